#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Game.h"
#include "app/GameState.h"
#include "app/Rules.h"
#include "app/Settings.h"
#include "effects/Sound.h"
#include "physics/Camera.h"
#include "physics/PhysicsWorld.h"
#include "physics/Robot.h"

// The game's own start-up, frames and restart on a real window (Mesa under Xvfb), from the
// repository's root, where the assets are. The sound plays into OpenAL Soft's wave writer.
namespace {

const std::string scratch = testing::TempDir() + "tessel_session_" + std::to_string(getpid());
const std::string recording = scratch + ".wav";

// OpenAL Soft reads its configuration at its first call in the process.
struct WaveOutput {
    WaveOutput() {
        std::ofstream(scratch + ".conf") << "[general]\ndrivers=wave\n[wave]\nfile=" << recording;
        setenv("ALSOFT_CONF", (scratch + ".conf").c_str(), 1);
        setenv("ALSOFT_DRIVERS", "wave", 1);
    }
    ~WaveOutput() {
        std::remove((scratch + ".conf").c_str());
        std::remove(recording.c_str());
    }
} waveOutput;

// How long the recording is and its largest sample, 0 to 1.
struct Recorded {
    double seconds = 0.0;
    float peak = 0.0f;
};
Recorded readRecording() {
    SF_INFO info{};
    SNDFILE* file = sf_open(recording.c_str(), SFM_READ, &info);
    if (file == nullptr) return {};
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    Recorded recorded{static_cast<double>(info.frames) / info.samplerate, 0.0f};
    for (const float sample : samples) recorded.peak = std::max(recorded.peak, std::abs(sample));
    return recorded;
}

// Runs the frames at a fixed 1/60 s each, holds the given keys, and can read back what the
// frame put in the window before the heads-up text goes over it.
class Driver : public FrameObserver {
public:
    explicit Driver(double startTime) : clock(startTime) {}

    void phaseDone(FramePhase phase) override {
        if (phase != FramePhase::PostProcessing || !readPicture) return;
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        picture.assign(static_cast<std::size_t>(viewport[2]) * viewport[3] * 3, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, viewport[2], viewport[3], GL_RGB, GL_UNSIGNED_BYTE, picture.data());
    }
    DriveKeys driveKeys(const DriveKeys& /*polled*/) override { return keys; }
    double clockReading(double /*measured*/) override { return clock += 1.0 / 60.0; }
    // Other tests open windows on the same display, and X hands each new one the focus.
    bool hasFocus(bool /*reported*/) override { return true; }
    PolledGamepad gamepad(const PolledGamepad& /*polled*/) override { return {}; }

    // The share of the last picture's pixels that are near white (the clear colour).
    double whiteShare() const {
        std::size_t white = 0;
        for (std::size_t i = 0; i + 2 < picture.size(); i += 3) {
            if (picture[i] > 240 && picture[i + 1] > 240 && picture[i + 2] > 240) ++white;
        }
        return picture.empty() ? 1.0 : static_cast<double>(white) / (picture.size() / 3);
    }

    DriveKeys keys;
    double clock;
    bool readPicture = false;
    std::vector<unsigned char> picture;
};

int standingTiles(const GameSession& s) {
    int standing = 0;
    for (const GrassField* field : {s.arenaField.get(), s.plateauField.get()}) {
        for (const auto& row : field->getTiles()) {
            for (const GrassTile& tile : row) standing += tile.isMown() ? 0 : 1;
        }
    }
    return standing;
}

int awakeSmoke(const GameSession& s) {
    int awake = 0;
    for (const Particle& particle : s.smoke->getPool().particles) awake += particle.age >= 0.0f;
    return awake;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

class Session : public ::testing::Test {
protected:
    void start(const Settings& settings) {
        game = GameState{};
        camera = Camera{};
        wheelAngle = 0.0f;
        session = startGame(settings);
        driver = std::make_unique<Driver>(session->startTime);
    }
    void TearDown() override {
        if (session) shutdownGame(*session);
    }
    void frames(int count) {
        for (int i = 0; i < count; ++i) runFrame(*session, driver.get());
    }

    std::unique_ptr<GameSession> session;
    std::unique_ptr<Driver> driver;
};

}  // namespace

TEST_F(Session, RestartingBringsBackTheStartOfTheRoundAndLeaksNothing) {
    start(settingsFromText("[window]\nwidth=320\nheight=240\n"));
    ASSERT_EQ(standingTiles(*session), 2288);
    driver->keys = {true, true, false, false};  // W and A: off the ball's line at once
    frames(60);
    driver->keys = {};
    frames(5);
    game.paused = true;
    camera.freeFly = true;
    game.orbitYaw = 30.0f;
    frames(2);
    ASSERT_LT(standingTiles(*session), 2288);
    ASSERT_GT(awakeSmoke(*session), 0);
    ASSERT_NE(game.driveSpeed, 0.0f);

    const int frameNumber = game.frameNumber;
    const double now = driver->clock;
    gPhysics->setOwedTime(0.01f);
    restartRound(*session, now);
    EXPECT_EQ(gPhysics->owedTime(), 0.0f);
    EXPECT_EQ(standingTiles(*session), 2288);
    EXPECT_EQ(awakeSmoke(*session), 0);
    EXPECT_FALSE(game.paused);
    EXPECT_FALSE(camera.freeFly);
    EXPECT_FALSE(game.gameOver);
    EXPECT_EQ(game.timeLimit, 240.0f);
    EXPECT_EQ(session->startTime, now);
    EXPECT_EQ(game.driveSpeed, 0.0f);
    EXPECT_EQ(game.robotHeading, 0.0f);
    EXPECT_EQ(game.orbitYaw, 0.0f);
    EXPECT_EQ(wheelAngle, 0.0f);
    EXPECT_EQ(gController->getPosition(), btVector3(0, 2, 0));
    EXPECT_EQ(gBall->getWorldTransform().getOrigin(), btVector3(0, 7, 30));
    EXPECT_EQ(game.frameNumber, frameNumber);  // the frame count goes on

    // The next frame counts down from the full time again, and nothing has ended.
    frames(1);
    EXPECT_FALSE(session->roundEnded);
    GameState copy = game;
    EXPECT_EQ(timeLeftText(runCountdown(copy, driver->clock, session->startTime)),
              "Time left: 03:59");

    // A hundred restarts cost nothing lasting: the physics world holds as many objects, and the
    // heap as much memory, as after one.
    restartRound(*session, driver->clock);
    const int objectsAfterOne = gScene->getNumCollisionObjects();
    const std::size_t heapAfterOne = mallinfo2().uordblks;
    const long residentAfterOne = residentKiB();
    for (int i = 0; i < 99; ++i) {
        driver->keys = {true, false, false, false};
        frames(2);
        restartRound(*session, driver->clock);
    }
    const std::size_t heapAfterHundred = mallinfo2().uordblks;
    std::cout << "after 1 restart: " << objectsAfterOne << " physics objects, heap in use "
              << heapAfterOne / 1024 << " KiB, resident " << residentAfterOne
              << " KiB; after 100: " << gScene->getNumCollisionObjects() << ", "
              << heapAfterHundred / 1024 << " KiB, " << residentKiB() << " KiB" << std::endl;
    EXPECT_EQ(gScene->getNumCollisionObjects(), objectsAfterOne);
    EXPECT_LT(heapAfterHundred, heapAfterOne + 256 * 1024);
}

TEST_F(Session, AnEndedRoundShowsTheWholeArenaFromAbove) {
    // The shipped settings see the arena from the end view; the far distance the game falls
    // back on without them clips it all away, leaving the white sky.
    for (const bool shipped : {true, false}) {
        Settings settings = loadSettings(settingsPath);
        if (!shipped) settings.farPlane = Settings{}.farPlane;
        start(settings);
        frames(3);
        game.timeLimit = 0.0f;  // the countdown runs out in the next frame
        frames(3);
        ASSERT_TRUE(game.gameOver);
        driver->readPicture = true;
        frames(1);
        const double white = driver->whiteShare();
        std::cout << "far " << settings.farPlane << ": " << white * 100.0
                  << "% of the end view is white" << std::endl;
        if (shipped) {
            EXPECT_LT(white, 0.5);
        } else {
            EXPECT_GT(white, 0.9);
        }
        shutdownGame(*session);
        session.reset();
    }
}

TEST_F(Session, ARestartFromAPausedRoundLeavesNoSoundOfItAndPutsThePendulumBack) {
    start(settingsFromText("[window]\nwidth=320\nheight=240\n"));
    frames(60);
    const btTransform pendulumStart(btQuaternion(btVector3(0, 0, 1), SIMD_HALF_PI),
                                    btVector3(0, 0, 0));
    ASSERT_GT(gPendulumBox->getWorldTransform().getOrigin().length(), 1.0f);

    // A new device, and a new recording, with neither the engine's hum nor the cuts of the tiles
    // the robot stands on at the start of a round: the new round is silent unless the old one is
    // heard.
    namespace fs = std::filesystem;
    fs::create_directories(scratch);
    fs::copy_file(fs::path(soundFolder) / "bump.flac", fs::path(scratch) / "bump.flac");
    session->sound.reset();
    session->sound = std::make_unique<Sound>(1.0f, scratch + "/");

    // Muted, the robot runs into a wall (its bump sounds: the speed lost to the wall rose, then
    // stopped rising), then into another (the lost speed rises again and the bump waits for the
    // rise to end). The game pauses, holding the first bump.
    SoundFrame frame;
    frame.frameTime = frame.driveSeconds = 1.0f / 60.0f;
    frame.timeLeft = 200.0f;
    frame.muted = true;
    for (const float lostSpeed : {0.0f, 10.0f, 20.0f, 0.0f, 10.0f, 20.0f}) {
        frame.blockedDistance = lostSpeed / 60.0f;
        session->sound->update(frame);
    }
    frame.paused = game.paused = true;
    frame.driveSeconds = 0.0f;  // no drive while paused: the second bump stays pending
    session->sound->update(frame);
    ASSERT_EQ(session->sound->voices().paused, 1);

    restartRound(*session, driver->clock);
    EXPECT_TRUE(gPendulumBox->getWorldTransform() == pendulumStart);
    EXPECT_EQ(gPendulumBox->getLinearVelocity() + gPendulumBox->getAngularVelocity(),
              btVector3(0, 0, 0));
    for (int i = 0; i < 72; ++i) {  // the new round's first second and more, in real time
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
        frames(1);
    }
    shutdownGame(*session);
    session.reset();
    const Recorded recorded = readRecording();
    EXPECT_GT(recorded.seconds, 1.0);
    EXPECT_LT(recorded.peak, 1e-4f) << "over " << recorded.seconds << " s";  // 16 bits' least step
    fs::remove_all(scratch);
}

namespace {
// The view each program holds as the grass and the robot (the first scene drawables) are drawn.
struct DrawnViews : Driver {
    using Driver::Driver;
    void phaseDone(FramePhase phase) override {
        const auto view = [](const Shader& shader) {
            glm::mat4 m(0.0f);
            const GLuint program = shader.getProgram();
            glGetUniformfv(program, glGetUniformLocation(program, "viewProjMatrix"), &m[0][0]);
            return m;
        };
        if (phase == FramePhase::GrassFields) grass = view(*s->grassShader);
        if (phase == FramePhase::SceneDrawables && ++reports == 1) robot = view(*s->sceneShader);
    }
    const GameSession* s = nullptr;
    glm::mat4 grass{0.0f}, robot{0.0f};
    int reports = 0;
};
}  // namespace

TEST_F(Session, EveryFrameDrawsTheGrassAndTheRobotThroughItsOwnCamera) {
    start(settingsFromText("[window]\nwidth=320\nheight=240\n"));
    DrawnViews views(session->startTime);
    views.s = session.get();
    views.keys = {true, true, false, false};  // W and A: the camera turns every frame
    // From the first frame on, and after R takes the camera from the end view back to the robot.
    for (int frame = 0; frame < 8; ++frame) {
        if (frame == 4) game.timeLimit = 0.0f;
        if (frame == 6) restartRound(*session, views.clock);
        views.reports = 0;
        runFrame(*session, &views);
        const glm::mat4 own = session->projection * camera.getViewMatrix();
        EXPECT_EQ(views.grass, own) << "frame " << frame;
        EXPECT_EQ(views.robot, own) << "frame " << frame;
    }
}

// Full screen on a screen of another shape, then a render scale, then the window again: the
// projection, the off-screen images and the smoke follow the size in force, and the window's own
// size brings back exactly what start-up made.
TEST_F(Session, TheViewFollowsTheWindowAndTheRenderScale) {
    start(settingsFromText("[window]\nwidth=320\nheight=240\n"));
    frames(1);
    const glm::mat4 windowProjection = session->projection;
    EXPECT_EQ(windowProjection, buildProjection(session->settings));
    struct Step {
        FramebufferSize view;
        float scale;
        FramebufferSize scene;
    };
    for (const Step step : {Step{{640, 270}, 1.0f, {640, 270}}, Step{{640, 270}, 0.5f, {320, 135}},
                            Step{{320, 240}, 1.0f, {320, 240}}}) {
        session->windowFramebuffer = step.view;
        session->renderScale = step.scale;
        frames(2);
        const RenderTargets& targets = *session->targets;
        EXPECT_EQ(targets.view(), step.view);
        EXPECT_EQ(targets.scene(), step.scene);
        EXPECT_EQ(targets.sceneTarget().size(), step.scene);
        EXPECT_TRUE(targets.sceneTarget().isComplete());
        EXPECT_EQ(session->projection,
                  buildProjection(session->settings, step.view.width, step.view.height));
    }
    EXPECT_EQ(session->projection, windowProjection);
}
