#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "GlTestContext.h"
#include "effects/DebugOutput.h"
#include "effects/Framework.h"
#include "render/Shader.h"

namespace {
GLint currentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}
GLint bufferSize(GLenum target) {
    GLint size = 0;
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    return size;
}
}  // namespace

class FrameworkGlTest : public GlTest {};

TEST_F(FrameworkGlTest, WithoutAContextItRefusesWithOneLine) {
    glfwMakeContextCurrent(nullptr);
    testing::internal::CaptureStdout();
    const bool ready = initFramework();
    const std::string output = testing::internal::GetCapturedStdout();
    glfwMakeContextCurrent(window());
    EXPECT_FALSE(ready);
    EXPECT_EQ(output, "No context available. Exiting.\n");
    EXPECT_EQ(frameworkVertexBuffer(), 0u);
}

TEST_F(FrameworkGlTest, BuildsTheFallbackProgramAndUploadsTheTeapot) {
    ASSERT_EQ(currentProgram(), 0);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(initFramework());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // a 4.3 core context passes silently

    const GLint fallback = currentProgram();
    EXPECT_NE(fallback, 0);
    GLint vertexArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(vertexArray, 0);
    GLint arrayBuffer = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    EXPECT_EQ(static_cast<GLuint>(arrayBuffer), frameworkVertexBuffer());
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER), 512 * 3 * 4);

    // The element buffer belongs to the vertex array; look at it through the array.
    glBindVertexArray(frameworkVertexArray());
    GLint elementBuffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    EXPECT_EQ(static_cast<GLuint>(elementBuffer), frameworkElementBuffer());
    EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER), 6912);
    GLint enabled = 0;
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, GL_TRUE);
    glBindVertexArray(0);

    // The fallback program is red by default.
    GLfloat color[3] = {0, 0, 0};
    glGetUniformfv(static_cast<GLuint>(fallback),
                   glGetUniformLocation(static_cast<GLuint>(fallback), "fragColor"), color);
    EXPECT_EQ(color[0], 1.0f);
    EXPECT_EQ(color[1], 0.0f);

    destroyFramework();
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_FALSE(glIsProgram(static_cast<GLuint>(fallback)));
    EXPECT_EQ(frameworkVertexBuffer(), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameworkGlTest, KeepsAProgramThatIsAlreadyCurrent) {
    auto own =
        Shader::fromSource("#version 430 core\nvoid main() { gl_Position = vec4(0.0); }\n",
                           "#version 430 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    own->use();
    ASSERT_TRUE(initFramework());
    EXPECT_EQ(static_cast<GLuint>(currentProgram()), own->getProgram());
    EXPECT_NE(frameworkVertexBuffer(), 0u);
    destroyFramework();
    // Without a fallback program of its own, the framework leaves the current program alone.
    EXPECT_EQ(static_cast<GLuint>(currentProgram()), own->getProgram());
}

TEST_F(FrameworkGlTest, TheShippedShadersLinkWithEveryUniformTheGameSets) {
    // A broken shipped file ends the process at its fatal stop, which fails this test too. A
    // program that links but has lost a uniform the game sets, or reads a per-instance attribute
    // from another location than the one the game fills, would draw wrongly in silence: each
    // uniform below must be active in its program, and each attribute at its location.
    const struct {
        const char* vertex;
        const char* fragment;
        std::vector<const char*> uniforms;
        std::vector<std::pair<const char*, GLint>> attributes;
    } programs[] = {
        {"text.vert", "text.frag", {"projection"}, {{"ink", 1}, {"glyphTexels", 2}}},
        {"texture.vert",
         "texture.frag",
         {"modelMatrix", "normalMatrix", "viewProjMatrix", "camera_world", "materialCoefficients",
          "specularAlpha", "diffuseTexture", "dirL.color", "dirL.direction", "pointL.color",
          "pointL.position", "pointL.attenuation"},
         {}},
        {"grass.vert",
         "texture.frag",
         {"viewProjMatrix", "camera_world", "materialCoefficients", "specularAlpha",
          "diffuseTexture", "dirL.color", "dirL.direction", "pointL.color", "pointL.position",
          "pointL.attenuation"},
         {{"modelMatrix", 3}, {"normalMatrix", 7}}},
        {"edge.vert", "edge.frag", {"screenTexture", "width", "height"}, {}},
        {"particle.vert",
         "particle.frag",
         {"projMatrix", "viewMatrix", "diffuseTexture"},
         {{"particlePosition", 2}, {"lifeFraction", 3}}},
    };
    for (const auto& files : programs) {
        Shader shader(files.vertex, files.fragment);
        GLint linked = GL_FALSE;
        glGetProgramiv(shader.getProgram(), GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << files.vertex;
        for (const char* name : files.uniforms) {
            EXPECT_GE(glGetUniformLocation(shader.getProgram(), name), 0)
                << name << " in " << files.vertex << " / " << files.fragment;
        }
        for (const auto& [name, location] : files.attributes) {
            EXPECT_EQ(glGetAttribLocation(shader.getProgram(), name), location)
                << name << " in " << files.vertex;
        }
    }
}

TEST_F(FrameworkGlTest, DriverMessagesArriveThroughTheRegisteredCallback) {
    registerDebugOutput();
    EXPECT_TRUE(glIsEnabled(GL_DEBUG_OUTPUT_SYNCHRONOUS));
    testing::internal::CaptureStdout();
    glBindTexture(GL_RGBA, 0);  // not a texture target: Mesa reports id 1
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(output.rfind("OpenGL Error: ", 0), 0u) << output;
    EXPECT_NE(output.find("[Source = API, Type = Error, Severity = High, ID = 1]"),
              std::string::npos)
        << output;
    EXPECT_EQ(output.back(), '\n');
}
