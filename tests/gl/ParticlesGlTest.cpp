#include <gtest/gtest.h>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <vector>

#include "effects/Particles.h"
#include "render/DrawCalls.h"
#include "render/GlHandle.h"
#include "render/Shader.h"
#include "render/Texture.h"
#include "tests/gl/ColourTarget.h"
#include "tests/gl/GlTestContext.h"

namespace {
constexpr int size = 64;
}  // namespace

class ParticlesGlTest : public GlTest {};

TEST_F(ParticlesGlTest, QuadMeshCoversTheMiddleQuarterOfClipSpace) {
    auto flat = Shader::fromSource(
        "#version 430 core\n"
        "layout(location = 0) in vec3 corner;\n"
        "layout(location = 1) in vec2 uv;\n"
        "out vec2 texCoord;\n"
        "void main() { gl_Position = vec4(corner, 1.0); texCoord = uv; }\n",
        "#version 430 core\n"
        "in vec2 texCoord;\n"
        "out vec4 color;\n"
        "void main() { color = vec4(1.0, texCoord, 1.0); }\n");
    ColourTarget target;
    QuadMesh quad;
    flat->use();
    quad.bind();
    quad.draw();
    glBindVertexArray(0);
    // A 1 x 1 quad centred at the origin of a 2 x 2 clip square: a quarter of the pixels.
    EXPECT_EQ(target.litPixels(), size * size / 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ParticlesGlTest, DrawsAwakeSmokeWithoutWritingDepth) {
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f);
    ParticleSystem smoke(500, 500, projection);
    ColourTarget target;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);  // as in the game's frame: the smoke is depth-tested

    // Nothing awake yet: nothing drawn.
    const glm::mat4 view = glm::lookAt(glm::vec3(0.0f, 1.0f, 8.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                                       glm::vec3(0.0f, 1.0f, 0.0f));
    smoke.draw(view);
    EXPECT_EQ(target.litPixels(), 0);

    for (int frame = 0; frame < 10; ++frame) smoke.update(1.0f / 60.0f, glm::vec3(0.0f), 0.0f);
    smoke.draw(view);
    EXPECT_GT(target.litPixels(), 0);
    EXPECT_EQ(target.depthWritten(), 0);

    // Depth writes are on again for whatever is drawn next.
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBindVertexArray(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ParticlesGlTest, OneInstancedDrawGivesThePictureOfEachAwakeParticleDrawnInPoolOrder) {
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.1f, 100.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(0.0f, 1.0f, 3.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                                       glm::vec3(0.0f, 1.0f, 0.0f));
    ParticleSystem smoke(8, 500, projection);
    ParticlePool& pool = smoke.getPool();
    // Overlapping quads, so that the blend shows the order they were drawn in. The asleep ones
    // stand in view too: drawing any of them would show.
    for (std::size_t i = 0; i < pool.particles.size(); ++i) {
        Particle& particle = pool.particles[i];
        particle.position = glm::vec3(0.15f * static_cast<float>(i) - 0.5f,
                                      1.0f + 0.05f * static_cast<float>(i % 3), 0.0f);
        particle.lifeFraction = 0.1f * static_cast<float>(i + 1);
        particle.age = -1.0f;
    }
    const std::vector<std::size_t> awakeIndices = {1, 2, 5, 6};
    for (std::size_t i : awakeIndices) pool.particles[i].age = 0.5f;
    const std::vector<Particle> known = pool.particles;

    ColourTarget target(size);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);

    const DrawCallCounts before = drawCallCounts();
    smoke.draw(view);
    const DrawCallCounts drawn = drawCallsBetween(before, drawCallCounts());
    EXPECT_EQ(drawn.scene, 1u);
    EXPECT_EQ(drawn.total(), 1u);
    const std::vector<unsigned char> together = target.pixels();
    EXPECT_GT(target.litPixels(), 0);

    // The same particles drawn one at a time with the game's own program, outline and texture,
    // each particle's position and life fraction given as constant attributes of its own draw.
    Shader program("particle.vert", "particle.frag");
    Texture texture("smoke.dds");
    texture.storeDecoded();
    QuadMesh quad(smoke.getShape().outline);
    const auto drawOneAtATime = [&](const std::vector<std::size_t>& order) {
        target.clear();
        glDepthMask(GL_FALSE);
        program.use();
        quad.bind();
        texture.bind(0);
        program.setUniform("diffuseTexture", 0);
        program.setUniform("projMatrix", projection);
        program.setUniform("viewMatrix", view);
        for (std::size_t i : order) {
            glVertexAttrib3fv(2, &known[i].position.x);
            glVertexAttrib1f(3, known[i].lifeFraction);
            quad.draw();
        }
        glDepthMask(GL_TRUE);
        return target.pixels();
    };
    EXPECT_TRUE(drawOneAtATime(awakeIndices) == together);
    // The picture depends on the order, so the instanced draw kept the pool's.
    EXPECT_FALSE(drawOneAtATime({6, 5, 2, 1}) == together);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBindVertexArray(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
