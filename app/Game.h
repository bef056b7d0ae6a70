#pragma once

#include <glm/mat4x4.hpp>
#include <memory>
#include <optional>

#include "app/Gamepad.h"
#include "app/Input.h"
#include "app/Keys.h"
#include "app/PostProcess.h"
#include "app/RenderScale.h"
#include "app/Scene.h"
#include "app/Settings.h"
#include "app/WindowMode.h"
#include "effects/Particles.h"
#include "effects/Sound.h"
#include "render/GrassField.h"
#include "render/Shader.h"

struct GLFWwindow;

// Start-up, the frame loop and shutdown. Returns the process exit code.
int runGame();

// What start-up makes and the frame loop uses. The frame benchmark (tools/bench) runs the same
// start-up, frames and shutdown, so everything here is open to it.
struct GameSession {
    Settings settings;
    glm::mat4 projection{1.0f};   // for the view in force (the window's, or the full screen's)
    float nearPlaneReach = 0.0f;  // of that projection, from the eye
    GLFWwindow* window = nullptr;
    // What the window system gave, which the final pass and the HUD fill. It is the size asked
    // for, except where the window system decides otherwise (full screen on a screen of its own
    // size); the projection, the off-screen images and the HUD follow it (fitToView).
    FramebufferSize windowFramebuffer;
    // The share of the view's width and height the scene is drawn at, and where the settings
    // say auto, what chooses it.
    float renderScale = 1.0f;
    std::optional<RenderScaleController> automaticScale;

    // The programs, shared by the materials, the text and the post-processing pass. The grass
    // program is the scene's lighting with the tiles' matrices read per instance.
    std::shared_ptr<Shader> textShader;
    std::shared_ptr<Shader> sceneShader;
    std::shared_ptr<Shader> edgeShader;
    std::shared_ptr<Shader> grassShader;
    std::shared_ptr<Shader> upscaleShader;  // a scene drawn smaller than the window, scaled up

    std::unique_ptr<Scene> scene;
    std::unique_ptr<ScreenQuad> screenQuad;
    std::unique_ptr<RenderTargets> targets;  // of the view and render scale in force

    FrameClock clock;
    double startTime = 0.0;  // seconds on the frame clock; also the start of the countdown

    std::unique_ptr<GrassField> arenaField;
    std::unique_ptr<GrassField> plateauField;
    std::unique_ptr<ParticleSystem> smoke;
    std::unique_ptr<Sound> sound;

    // Whether the last frame found the round won or lost; losing the focus pauses only a round
    // that is being played.
    bool roundEnded = false;
    // Whether the window had the input focus at the last frame.
    bool hadFocus = false;
    // Whether the window system asked for the picture again since the last frame.
    bool windowDamaged = false;
    // The one gamepad followed, and what is remembered of it.
    FollowedGamepad gamepad;

    // The keys of settings.keys as the HUD names them, in the player's keyboard layout.
    KeyLabels keyLabels;
};

// The parts of a frame, in the order they run; the benchmark reports the time of each.
enum class FramePhase {
    FrameStart,         // off-screen target bound, cleared, mouse orbit read
    PhysicsStep,        // the world's steps run, trigger and contact events handled
    RobotAndBall,       // the robot driven and placed, the ball's pose read, won decided
    CameraAndUniforms,  // the camera updated, the per-frame uniforms uploaded
    GrassFields,        // both fields drawn
    SceneDrawables,     // the robot and the arena drawn
    Smoke,
    PostProcessing,  // the edge pass into the window
    Sound,           // clock and countdown read, the sound updated
    Hud,             // heads-up text
    Swap,            // buffer swap and event polling
};
constexpr int framePhaseCount = static_cast<int>(FramePhase::Swap) + 1;

// W, A, S and D as read at the end of a frame.
struct DriveKeys {
    bool w = false;
    bool a = false;
    bool s = false;
    bool d = false;
};

// Watches a frame from outside: the benchmark times the phases and scripts the keys. The game
// runs its frames without one.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    // The work of `phase` has been issued; the time since the previous call belongs to it. A
    // phase can be reported more than once in a frame, and a skipped one (the physics step
    // while paused) not at all.
    virtual void phaseDone(FramePhase phase) = 0;
    // The keys this frame applies, given the ones the window reports held.
    virtual DriveKeys driveKeys(const DriveKeys& polled) { return polled; }
    // The clock reading this frame uses, given the one the window system gives; the benchmark's
    // reproducible picture steps it by a fixed frame time instead.
    virtual double clockReading(double measured) { return measured; }
    // Whether the window counts as having the input focus this frame, given what the window
    // system reports. Scripted runs share a display with other windows that may take the focus,
    // which would pause them halfway.
    virtual bool hasFocus(bool reported) { return reported; }
    // The gamepad this frame reads, given the one the window system reports. Scripted runs
    // answer "no pad" (a PolledGamepad{}), so that a pad plugged into the machine cannot steer
    // them.
    virtual PolledGamepad gamepad(const PolledGamepad& polled) { return polled; }
};

// Start-up with the given settings: window, programs, font, scene, post-processing target,
// clock, physics world, grass fields, smoke and sound. A failure ends the process.
std::unique_ptr<GameSession> startGame(const Settings& settings);
// One iteration of the frame loop.
void runFrame(GameSession& session, FrameObserver* observer = nullptr);
// Makes the projection, the culling's reach, the smoke's and the text's projections and the
// off-screen images fit the window's framebuffer and the render scale, where either changed
// since they were made; otherwise does nothing. Each frame starts with it.
void fitToView(GameSession& session);
// Gives the automatic render scale, where the settings ask for it, the time the last frame took
// (without any wait for the frame cap); the next frame draws at the scale it then chooses.
void adjustRenderScale(GameSession& session, double frameSeconds);
// A new round, as the game starts one, at the clock reading `now`: every tile standing, the
// robot, the ball and the pendulum at their start places at rest, the wheels and the smoke at
// rest, no sound of the old round left, the countdown at its full time from `now`, not over, not
// paused, the camera orbiting behind the robot (restartArena is the part without a window). The
// frame count, the clock and the toggles of what is drawn go on. It makes no OpenGL object and no
// physics object.
void restartRound(GameSession& session, double now);
// Releases what start-up made, in reverse order, and closes the window system.
void shutdownGame(GameSession& session);
