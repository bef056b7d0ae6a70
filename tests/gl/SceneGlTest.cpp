#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <glm/gtc/matrix_transform.hpp>
#include <memory>

#include "app/PostProcess.h"
#include "app/Scene.h"
#include "render/Material.h"
#include "render/Shader.h"
#include "render/Texture.h"
#include "tests/gl/GlTestContext.h"

namespace {
GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint uniformInt(const Shader& shader, const char* name) {
    GLint value = -1;
    glGetUniformiv(shader.getProgram(), glGetUniformLocation(shader.getProgram(), name), &value);
    return value;
}

// Runs the rest of a test from another working folder, and returns to the old one after.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder)
        : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};
}  // namespace

class SceneGlTest : public GlTest {};

TEST_F(SceneGlTest, ShippedAssetsGiveEveryDrawableAndTexture) {
    auto shader = std::make_shared<Shader>("texture.vert", "texture.frag");
    auto grassShader = std::make_shared<Shader>("grass.vert", "texture.frag");
    Scene scene = createScene(shader, grassShader);
    for (const auto* texture : {&scene.floorTexture, &scene.wallTexture, &scene.robotTexture,
                                &scene.grassTexture, &scene.wheelTexture, &scene.ballTexture}) {
        ASSERT_TRUE(*texture);
        EXPECT_TRUE((*texture)->isValid());
    }
    EXPECT_TRUE(scene.robotMesh0 && scene.robotMesh1 && scene.robotMesh2);
    EXPECT_TRUE(scene.leftWheel && scene.rightWheel);
    EXPECT_TRUE(scene.ground && scene.wallAtMinusZ && scene.wallAtPlusX && scene.wallAtPlusZ &&
                scene.wallAtMinusX && scene.ballGeometry);
    EXPECT_FALSE(scene.ramp || scene.plateau);
    EXPECT_EQ(scene.robotMesh1->getModelMatrix(),
              glm::translate(glm::mat4(1.0f), glm::vec3(0, 4, 0)));
    EXPECT_EQ(scene.ballGeometry->getMesh().getElementCount(), 11904);
    // The wheels share one mesh but are two drawables with their own matrices.
    EXPECT_NE(scene.leftWheel->getMesh().getVertexArray(),
              scene.rightWheel->getMesh().getVertexArray());
    EXPECT_EQ(scene.leftWheel->getMaterial(), scene.wheelMaterial);
    // Only the grass is drawn instanced, with a program of its own.
    EXPECT_EQ(scene.grassMaterial->getShader(), grassShader.get());
    EXPECT_EQ(scene.floorMaterial->getShader(), shader.get());

    createLights(scene, 2.0f);
    EXPECT_EQ(scene.dirL.color, glm::vec3(1.6f));
    EXPECT_EQ(scene.pointL.color, glm::vec3(20.0f));

    createRampDrawable(scene);
    createPlateauDrawable(scene);
    const glm::mat4 tilted =
        glm::rotate(glm::mat4(1.0f), glm::radians(45.0f), glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(scene.ramp->getModelMatrix(),
              glm::translate(glm::mat4(1.0f), glm::vec3(-50, 2, 0)) * tilted);
    EXPECT_EQ(scene.plateau->getMaterial(), scene.floorMaterial);

    drawRobot(scene);
    drawArena(scene);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneGlTest, AModelWithTooFewMeshesLeavesThosePiecesOut) {
    auto shader = std::make_shared<Shader>("texture.vert", "texture.frag");
    auto grassShader = std::make_shared<Shader>("grass.vert", "texture.frag");
    const auto folder = std::filesystem::temp_directory_path() / "tessel-scene-few-meshes";
    std::filesystem::create_directories(folder / "assets" / "objects");
    // One object where the robot needs three; no wheel model at all.
    std::ofstream(folder / "assets" / "objects" / "roboterWheelCentered.obj")
        << "o leftCarrier\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n";

    std::string output;
    {
        WorkingFolder inside(folder);
        ::testing::internal::CaptureStdout();
        Scene scene = createScene(shader, grassShader);
        output = ::testing::internal::GetCapturedStdout();

        EXPECT_TRUE(scene.robotMesh0);
        EXPECT_FALSE(scene.robotMesh1);
        EXPECT_FALSE(scene.robotMesh2);
        EXPECT_FALSE(scene.leftWheel || scene.rightWheel);
        EXPECT_TRUE(scene.ground && scene.ballGeometry);
        drawRobot(scene);
        drawArena(scene);
    }
    std::filesystem::remove_all(folder);

    EXPECT_NE(output.find("ERROR: 'assets/objects/roboterWheelCentered.obj' has 1 of the 3"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("ERROR: 'assets/objects/wheel.obj' has 0 of the 1"), std::string::npos)
        << output;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class PostProcessGlTest : public GlTest {};

namespace {
// Draws a white image whose left half is black into `target`.
void fillWhiteWithBlackLeftHalf(const OffscreenTarget& target) {
    target.bind();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, target.size().width / 2, target.size().height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}
}  // namespace

TEST_F(PostProcessGlTest, OffscreenTargetHasTheWindowSize) {
    const OffscreenTarget target(1024, 768);
    EXPECT_TRUE(target.isComplete());
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);

    GLint width = 0, height = 0, format = 0;
    glBindTexture(GL_TEXTURE_2D, target.getColorTexture());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);

    glBindRenderbuffer(GL_RENDERBUFFER, target.getDepthStencil());
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(format, GL_DEPTH24_STENCIL8);

    // Binding a framebuffer sets the viewport to all of it.
    target.bind();
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(target.getFramebuffer()));
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    OffscreenTarget::bindWindow({640, 480});
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
}

TEST_F(PostProcessGlTest, EdgePassOutlinesAContrastEdgeAndGetsTheWindowSize) {
    Shader edge("edge.vert", "edge.frag");
    prepareEdgeShader(edge);
    EXPECT_EQ(uniformInt(edge, "screenTexture"), 0);
    const ScreenQuad quad;
    const int size = 64;
    const OffscreenTarget target(size, size);

    fillWhiteWithBlackLeftHalf(target);

    glEnable(GL_DEPTH_TEST);
    composeThroughEdgeShader(edge, quad, target, {size, size});
    EXPECT_EQ(uniformInt(edge, "width"), size);
    EXPECT_EQ(uniformInt(edge, "height"), size);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);

    unsigned char edgePixel[4] = {0, 0, 0, 0};
    unsigned char farPixel[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glReadPixels(size / 2, size / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, edgePixel);
    glReadPixels(size - 4, size / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, farPixel);
    EXPECT_GT(farPixel[0], 240);  // white stays white away from the edge
    EXPECT_LT(edgePixel[0], 80);  // the white side of the edge is darkened
    glClearColor(1, 1, 1, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PostProcessGlTest, EdgePassStretchesTheImageOverAWindowLargerThanIt) {
    // A full-screen window that cannot switch modes can be larger than the off-screen image:
    // each window pixel shows the texel under it, never one past the image's edge.
    Shader edge("edge.vert", "edge.frag");
    prepareEdgeShader(edge);
    const ScreenQuad quad;
    const int size = 32;
    const int window = 64;
    const OffscreenTarget target(size, size);

    fillWhiteWithBlackLeftHalf(target);

    composeThroughEdgeShader(edge, quad, target, {window, window});
    const auto red = [](int x) {
        unsigned char pixel[4] = {0, 0, 0, 0};
        glReadBuffer(GL_BACK);
        glReadPixels(x, window / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return static_cast<int>(pixel[0]);
    };
    EXPECT_LT(red(8), 16);    // texel 4: black
    EXPECT_LT(red(33), 80);   // texel 16: the white side of the edge, darkened
    EXPECT_GT(red(44), 240);  // texel 22: white
    EXPECT_GT(red(56), 240);  // texel 28: white, although window pixel 56 lies past the image
    glClearColor(1, 1, 1, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ScreenQuadLayout, TwoCounterClockwiseTrianglesCoverTheScreen) {
    for (int triangle = 0; triangle < 2; ++triangle) {
        const float* v = screenQuadVertices.data() + triangle * 12;
        const float cross = (v[4] - v[0]) * (v[9] - v[1]) - (v[5] - v[1]) * (v[8] - v[0]);
        EXPECT_GT(cross, 0.0f) << "triangle " << triangle;
    }
    for (std::size_t i = 0; i < 24; i += 4) {
        // Texture coordinates map clip space [-1, 1] onto [0, 1].
        EXPECT_EQ(screenQuadVertices[i + 2], (screenQuadVertices[i] + 1.0f) / 2.0f);
        EXPECT_EQ(screenQuadVertices[i + 3], (screenQuadVertices[i + 1] + 1.0f) / 2.0f);
    }
}
