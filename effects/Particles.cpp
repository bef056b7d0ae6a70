#include "effects/Particles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iostream>

#include "app/GameState.h"
#include "effects/VisibleOutline.h"
#include "render/DrawCalls.h"
#include "render/Shader.h"
#include "render/Texture.h"

namespace {
constexpr float emitterAhead = 1.7f;  // along the heading
constexpr float emitterSide = 0.6f;   // to either side
constexpr float emitterUp = 0.7f;
constexpr float smokeSpeed = 5.0f;  // along the heading at waking, falling to 0 over a lifetime
constexpr float smokeLift = 3.0f;   // upward acceleration

// A uniform-ish value in [0, 1) in steps of 1/1000.
float nextRandomFraction() {
    return static_cast<float>(std::rand() % 1000) / 1000.0f;
}
}  // namespace

ParticlePool::ParticlePool(unsigned int count, unsigned int rate)
    : spawnRate(rate), particleCount(count), particles(count) {
    putAllToSleep();
}

void ParticlePool::putAllToSleep() {
    Particle asleep;
    asleep.velocity = initialVelocity;
    std::fill(particles.begin(), particles.end(), asleep);
    spawnAccumulator = 0.0f;
    wakeCount = 0;
}

std::pair<glm::vec3, glm::vec3> ParticlePool::emitterPoints(glm::vec3 base, float headingDegrees) {
    const float radians = headingDegrees * degreesToRadians;
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    const glm::vec3 ahead = base + glm::vec3(emitterAhead * s, emitterUp, emitterAhead * c);
    const glm::vec3 side(emitterSide * c, 0.0f, -emitterSide * s);
    return {ahead + side, ahead - side};
}

void ParticlePool::update(float dt, glm::vec3 emitterBase, float headingDegrees) {
    const float radians = headingDegrees * degreesToRadians;
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    const auto [p1, p2] = emitterPoints(emitterBase, headingDegrees);

    // Wake whole particles only; the fraction left over is dropped with the accumulator.
    spawnAccumulator += dt;
    wakeCount = static_cast<unsigned int>(static_cast<float>(spawnRate) * spawnAccumulator);
    if (wakeCount != 0) spawnAccumulator = 0.0f;

    unsigned int woken = 0;
    for (Particle& particle : particles) {
        if (particle.age > lifetime) {
            particle.age = -1.0f;  // asleep, and not woken again before the next update
            continue;
        }
        if (woken < wakeCount && particle.age < 0.0f) {
            particle.age = 0.0f;
            const float t = nextRandomFraction();
            particle.position = p1 * t + p2 * (1.0f - t);
            particle.position.y += static_cast<float>(std::rand() % 1000) / 1500.0f - 0.33f;
            particle.velocity = initialVelocity;
            particle.velocity.x += smokeSpeed * s;
            particle.velocity.z += smokeSpeed * c;
            ++woken;
        }
        if (particle.age >= 0.0f) {
            particle.age += dt;
            particle.lifeFraction = particle.age / lifetime;
            particle.position += dt * particle.velocity;
            particle.velocity.x -= smokeSpeed * s * dt;
            particle.velocity.y += smokeLift * dt;
            particle.velocity.z -= smokeSpeed * c * dt;
        }
    }

    if (wakeCount > woken) {
        std::cout << "Couldnt wake enough particles, consider changing the Particle System settings"
                  << std::endl;
    }
}

QuadMesh::QuadMesh(float width, float height)
    : vertexArray(GlVertexArray::create()),
      indexBuffer(GlBuffer::create()),
      texCoordBuffer(GlBuffer::create()),
      positionBuffer(GlBuffer::create()) {
    const float w = width / 2.0f;
    const float h = height / 2.0f;
    upload({-w, -h, 0.0f, w, -h, 0.0f, w, h, 0.0f, -w, h, 0.0f},
           {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f}, {0, 1, 2, 2, 3, 0});
}

QuadMesh::QuadMesh(const std::vector<glm::vec2>& outline)
    : vertexArray(GlVertexArray::create()),
      indexBuffer(GlBuffer::create()),
      texCoordBuffer(GlBuffer::create()),
      positionBuffer(GlBuffer::create()) {
    std::vector<float> positions;
    std::vector<float> texCoords;
    std::vector<GLuint> indices;
    for (const glm::vec2 uv : outline) {
        // The unit quad's corner (-0.5, -0.5) has texture coordinate (0, 0).
        positions.insert(positions.end(), {uv.x - 0.5f, uv.y - 0.5f, 0.0f});
        texCoords.insert(texCoords.end(), {uv.x, uv.y});
    }
    // A fan around corner 0, each triangle's corners in the order the plain quad gives its two
    // (0, 1, 2 and 2, 3, 0): the rasteriser interpolates from a triangle's first corner, and the
    // same order draws a rectangle to the same pixels.
    for (GLuint i = 2; i < outline.size(); ++i) {
        if (i == 2) {
            indices.insert(indices.end(), {0, 1, 2});
        } else {
            indices.insert(indices.end(), {i - 1, i, 0});
        }
    }
    upload(positions, texCoords, indices);
}

void QuadMesh::upload(const std::vector<float>& positions, const std::vector<float>& texCoords,
                      const std::vector<GLuint>& indices) {
    indexCount = static_cast<GLsizei>(indices.size());
    const auto bytes = [](const auto& values) {
        return static_cast<GLsizeiptr>(values.size() * sizeof(values[0]));
    };

    glBindVertexArray(vertexArray.get());
    glBindBuffer(GL_ARRAY_BUFFER, positionBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, bytes(positions), positions.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);

    glBindBuffer(GL_ARRAY_BUFFER, texCoordBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, bytes(texCoords), texCoords.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer.get());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, bytes(indices), indices.data(), GL_STATIC_DRAW);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void QuadMesh::draw() const {
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
    countDrawCall(DrawCallKind::Scene);
}

void QuadMesh::drawInstanced(GLsizei instances) const {
    if (instances <= 0 || indexCount == 0) return;
    glDrawElementsInstanced(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr, instances);
    countDrawCall(DrawCallKind::Scene);
}

bool smokeVisible(float lifeFraction, float densestTextureAlpha) {
    // The same arithmetic as the fragment stage's, so that the two agree at the edge.
    const float fade = std::clamp(1.0f - lifeFraction, 0.0f, 1.0f);
    return densestTextureAlpha * fade * smokeOpacity >= leastVisibleAlpha;
}

namespace {
// The sides of the outline each particle is drawn over. A software rasteriser shades a block of
// pixels along every edge inside the outline once for each triangle that touches it, which costs
// more than the cut corners save: measured with llvmpipe, the smoke took 15% longer over an
// octagon and 65% longer over a 16-gon than over the rectangle (see docs/benchmark.md).
constexpr int outlineSides = 4;

// Reads the texture back as the driver samples it, fits the outline to it and keeps it decoded.
ParticleSystem::Shape fitToTexture(Texture& texture) {
    std::vector<TextureLevel> levels = texture.decodedLevels();
    ParticleSystem::Shape shape;
    shape.densestAlpha = densestAlpha(levels);
    shape.outline = fitVisibleOutline(levels, smokeOpacity, outlineSides);
    texture.storeDecoded();
    return shape;
}
}  // namespace

ParticleSystem::ParticleSystem(unsigned int particleCount, unsigned int spawnRate,
                               const glm::mat4& projectionMatrix)
    : pool(particleCount, spawnRate),
      shader(std::make_shared<Shader>("particle.vert", "particle.frag")),
      texture(std::make_shared<Texture>("smoke.dds")),
      shape(fitToTexture(*texture)),
      quad(shape.outline),
      projection(projectionMatrix),
      awake(pool.particles.size()),
      instanceBuffer(GlBuffer::create()) {
    glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(awake.size() * sizeof(ParticleInstance)),
                 nullptr, GL_DYNAMIC_DRAW);
    quad.bind();
    const auto stride = static_cast<GLsizei>(sizeof(ParticleInstance));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(ParticleInstance, position)));
    glVertexAttribDivisor(2, 1);
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(ParticleInstance, lifeFraction)));
    glVertexAttribDivisor(3, 1);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void ParticleSystem::draw(glm::mat4 view) {
    // Smoke never hides what is behind it from later draws.
    glDepthMask(GL_FALSE);
    shader->use();
    quad.bind();
    texture->bind(0);
    shader->setUniform("diffuseTexture", 0);
    shader->setUniform("projMatrix", projection);
    shader->setUniform("viewMatrix", view);

    // The visible particles in pool order: the blending depends on the order, and the pool's is
    // the one the smoke has always been drawn in.
    std::size_t count = 0;
    for (const Particle& particle : pool.particles) {
        if (particle.age < 0.0f || count == awake.size()) continue;
        if (!smokeVisible(particle.lifeFraction, shape.densestAlpha)) continue;
        awake[count++] = {particle.position, particle.lifeFraction};
    }
    if (count > 0) {
        glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer.get());
        glBufferSubData(GL_ARRAY_BUFFER, 0,
                        static_cast<GLsizeiptr>(count * sizeof(ParticleInstance)), awake.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        quad.drawInstanced(static_cast<GLsizei>(count));
    }
    glDepthMask(GL_TRUE);
}
