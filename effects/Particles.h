#pragma once

#include <GL/glew.h>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <memory>
#include <utility>
#include <vector>

#include "render/GlHandle.h"

class Shader;
class Texture;

struct Particle {
    glm::vec3 position{0.0f};
    glm::vec3 velocity{0.0f};
    float lifeFraction = 0.1f;  // age / lifetime, recomputed on every update while awake
    float age = -1.0f;          // seconds since waking; negative while asleep
};

// The smoke's simulation without any drawing: a fixed pool woken at a steady rate at two
// emitter points beside the robot. Randomness comes from rand(), which the game never seeds.
struct ParticlePool {
    ParticlePool(unsigned int particleCount, unsigned int spawnRate);

    // Ages and moves the awake particles, puts the expired ones to sleep and wakes as many as
    // are due since the last wake. Prints a warning when the pool has too few asleep.
    void update(float dt, glm::vec3 emitterBase, float headingDegrees);

    // Every particle asleep and nothing due to wake, as the pool starts.
    void putAllToSleep();

    // The two points new smoke appears between: 1.7 along the heading (sin, 0, cos), 0.7 up
    // and 0.6 to either side.
    static std::pair<glm::vec3, glm::vec3> emitterPoints(glm::vec3 base, float headingDegrees);

    float lifetime = 1.0f;
    glm::vec3 initialVelocity{0.0f, 2.0f, 0.0f};
    unsigned int spawnRate;      // particles per second
    unsigned int particleCount;  // pool size, fixed
    unsigned int wakeCount = 0;  // how many the last update wanted to wake
    float spawnAccumulator = 0.0f;
    std::vector<Particle> particles;
};

// How far the smoke's texture shows: its alpha is scaled by this and by the particle's fade.
// particle.frag multiplies by the same 0.6, written there as a constant: the driver's compiler
// folds a constant otherwise than a uniform, and the smoke then moves by up to four levels of 255.
constexpr float smokeOpacity = 0.6f;

// Whether a particle this far through its life can still change the picture: the densest alpha
// of its texture (0 to 1), scaled by the opacity and the fade (1 at waking, 0 at the end of the
// lifetime and after), reaches leastVisibleAlpha. Past its lifetime a particle never does.
bool smokeVisible(float lifeFraction, float densestTextureAlpha);

// A 1 x 1 quad in its own XY plane: attribute 0 the corner (three floats), attribute 1 the
// texture coordinate (two floats), six 32-bit indices.
class QuadMesh {
public:
    QuadMesh(float width = 1.0f, float height = 1.0f);
    // Only the part of the 1 x 1 quad inside a convex outline given in texture coordinates
    // (counter-clockwise), as a fan of triangles; nothing at all for an empty outline.
    explicit QuadMesh(const std::vector<glm::vec2>& outline);

    void bind() const { glBindVertexArray(vertexArray.get()); }
    void draw() const;
    // Draws `instances` quads in one call, each with the per-instance attributes the caller has
    // added to the vertex array; bind() must come first.
    void drawInstanced(GLsizei instances) const;

private:
    void upload(const std::vector<float>& positions, const std::vector<float>& texCoords,
                const std::vector<GLuint>& indices);

    // Declared so that the buffers go before the vertex array that refers to them.
    GlVertexArray vertexArray;
    GlBuffer indexBuffer;
    GlBuffer texCoordBuffer;
    GlBuffer positionBuffer;
    GLsizei indexCount = 0;
};

// What the particle vertex stage reads per quad (attribute divisor 1): the particle's position
// at location 2 and its life fraction at location 3.
struct ParticleInstance {
    glm::vec3 position{0.0f};
    float lifeFraction = 0.0f;
};

// The robot's smoke: the pool plus what draws it, one textured quad per visible particle, all in
// one instanced draw, blended over the scene without writing depth. Each quad covers only the
// outline where its texture's alpha can show, fitted to the texture at start-up; a particle whose
// fade leaves it too faint to change the picture is not drawn at all.
class ParticleSystem {
public:
    ParticleSystem(unsigned int particleCount, unsigned int spawnRate, const glm::mat4& projection);

    void update(float dt, glm::vec3 emitterBase, float headingDegrees) {
        pool.update(dt, emitterBase, headingDegrees);
    }
    void draw(glm::mat4 view);
    // The camera's projection changed with the window's size.
    void setProjection(const glm::mat4& cameraProjection) { projection = cameraProjection; }
    void putAllToSleep() { pool.putAllToSleep(); }

    const ParticlePool& getPool() const { return pool; }
    ParticlePool& getPool() { return pool; }

    // Where each particle's quad is drawn, in texture coordinates, and the texture's densest
    // alpha, both read from every level of the texture as it is sampled, once at start-up.
    struct Shape {
        std::vector<glm::vec2> outline;
        float densestAlpha = 1.0f;
    };
    const Shape& getShape() const { return shape; }

private:
    ParticlePool pool;
    std::shared_ptr<Shader> shader;
    std::shared_ptr<Texture> texture;
    Shape shape;
    QuadMesh quad;
    glm::mat4 projection;
    // Room for the whole pool, on the processor and in the quad's instance buffer, made once.
    std::vector<ParticleInstance> awake;
    GlBuffer instanceBuffer;
};
