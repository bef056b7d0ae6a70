#include <gtest/gtest.h>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <vector>

#include "effects/Particles.h"
#include "render/GlHandle.h"
#include "render/Shader.h"
#include "tests/gl/GlTestContext.h"

namespace {
constexpr int size = 64;

// A colour texture and a depth buffer, cleared to black and to the far plane.
class ColourTarget {
public:
    ColourTarget()
        : framebuffer(GlFramebuffer::create()),
          colour(GlTexture::create()),
          depth(GlRenderbuffer::create()) {
        glBindTexture(GL_TEXTURE_2D, colour.get());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindRenderbuffer(GL_RENDERBUFFER, depth.get());
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size, size);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour.get(),
                               0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  depth.get());
        glViewport(0, 0, size, size);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    ~ColourTarget() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

    int litPixels() const {
        std::vector<unsigned char> data(size * size * 4);
        glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
        int count = 0;
        for (std::size_t i = 0; i < data.size(); i += 4) count += data[i] > 0 ? 1 : 0;
        return count;
    }

    // Pixels whose depth is no longer the far plane's.
    int depthWritten() const {
        std::vector<float> data(size * size);
        glReadPixels(0, 0, size, size, GL_DEPTH_COMPONENT, GL_FLOAT, data.data());
        int count = 0;
        for (float d : data) count += d < 1.0f ? 1 : 0;
        return count;
    }

private:
    GlFramebuffer framebuffer;
    GlTexture colour;
    GlRenderbuffer depth;
};
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
