#include <memory>

#include "render/Shader.h"
#include "tests/gl/GlTestContext.h"

namespace {
const char* vertexSource =
    "#version 430 core\n"
    "layout(location = 0) in vec3 position;\n"
    "uniform mat4 modelMatrix;\n"
    "void main() { gl_Position = modelMatrix * vec4(position, 1.0); }\n";
const char* fragmentSource =
    "#version 430 core\n"
    "uniform vec3 tint;\n"
    "uniform float alpha;\n"
    "out vec4 color;\n"
    "void main() { color = vec4(tint, alpha); }\n";

GLint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}
}  // namespace

class ShaderGlTest : public GlTest {};

TEST_F(ShaderGlTest, BuildsFromSourceAndCachesEachNameOnce) {
    auto shader = Shader::fromSource(vertexSource, fragmentSource);
    ASSERT_NE(shader->getProgram(), 0u);
    shader->use();
    EXPECT_EQ(currentProgram(), static_cast<GLint>(shader->getProgram()));

    shader->setUniform("tint", glm::vec3(1.0f, 0.5f, 0.25f));
    shader->setUniform("tint", glm::vec3(0.0f));
    shader->setUniform("alpha", 0.5f);
    EXPECT_EQ(shader->locationQueryCount(), 2u);

    // A name the program lacks is cached as -1; its setter does nothing and asks GL once.
    EXPECT_EQ(shader->getUniformLocation("missing"), -1);
    shader->setUniform("missing", 3);
    shader->setUniform("missing", glm::mat4(1.0f));
    EXPECT_EQ(shader->locationQueryCount(), 3u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLfloat tint[3] = {-1.0f, -1.0f, -1.0f};
    glGetUniformfv(shader->getProgram(), shader->getUniformLocation("tint"), tint);
    EXPECT_FLOAT_EQ(tint[0], 0.0f);
}

TEST_F(ShaderGlTest, TwoProgramsCacheIndependently) {
    auto first = Shader::fromSource(vertexSource, fragmentSource);
    auto second = Shader::fromSource(vertexSource, fragmentSource);
    first->use();
    first->setUniform("alpha", 1.0f);
    EXPECT_EQ(first->locationQueryCount(), 1u);
    EXPECT_EQ(second->locationQueryCount(), 0u);
    second->use();
    second->setUniform("alpha", 0.25f);
    EXPECT_EQ(second->locationQueryCount(), 1u);

    GLfloat alpha = 0.0f;
    glGetUniformfv(first->getProgram(), first->getUniformLocation("alpha"), &alpha);
    EXPECT_FLOAT_EQ(alpha, 1.0f);
}

TEST_F(ShaderGlTest, DestroyingAShaderLeavesNoProgramCurrent) {
    auto kept = Shader::fromSource(vertexSource, fragmentSource);
    auto dropped = Shader::fromSource(vertexSource, fragmentSource);
    kept->use();
    dropped.reset();
    EXPECT_EQ(currentProgram(), 0);
}
