#include "app/Game.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Arena.h"
#include "app/FramePacing.h"
#include "app/GameState.h"
#include "app/Input.h"
#include "app/PostProcess.h"
#include "app/Rules.h"
#include "app/Scene.h"
#include "app/Settings.h"
#include "app/Window.h"
#include "effects/DebugOutput.h"
#include "effects/Framework.h"
#include "effects/Particles.h"
#include "effects/Sound.h"
#include "effects/SoundRules.h"
#include "effects/Text.h"
#include "physics/Camera.h"
#include "physics/PhysicsWorld.h"
#include "render/GrassField.h"
#include "render/Lights.h"
#include "render/Shader.h"

namespace {

// ---- Input callbacks: they run inside glfwPollEvents on the main thread. ----

// Carries out what a key (or a gamepad button standing in for one) asks beyond the game state.
void applyKeyEffect(GLFWwindow* window, KeyEffect effect) {
    switch (effect) {
        case KeyEffect::CloseWindow:
            glfwSetWindowShouldClose(window, GLFW_TRUE);
            break;
        case KeyEffect::ApplyPolygonMode:
            glPolygonMode(GL_FRONT_AND_BACK, game.wireframeMode ? GL_LINE : GL_FILL);
            break;
        case KeyEffect::ApplyFaceCulling:
            if (game.cullingEnabled) {
                glEnable(GL_CULL_FACE);
            } else {
                glDisable(GL_CULL_FACE);
            }
            break;
        case KeyEffect::ToggleFreeFly:
            camera.freeFly = !camera.freeFly;
            break;
        case KeyEffect::RestartRound: {
            // The clock reading of this frame, which is the observer's where there is one.
            GameSession& session = sessionOf(window);
            restartRound(session, session.clock.previousTime);
            break;
        }
        case KeyEffect::ToggleFullscreen:
            toggleFullscreen(sessionOf(window));
            break;
        case KeyEffect::ToggleHud:
        case KeyEffect::ToggleMute:
        case KeyEffect::ToggleControls:
        case KeyEffect::None:
            break;
    }
}

void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    applyKeyEffect(window, handleKey(game, key, action, sessionOf(window).settings.keys));
}

// Marks the joysticks that are gamepads, so that their going can be told apart.
int gamepadMark = 0;

void reportGamepadConnected(int joystick) {
    if (!glfwJoystickIsGamepad(joystick)) return;
    glfwSetJoystickUserPointer(joystick, &gamepadMark);
    const char* name = glfwGetGamepadName(joystick);
    std::cout << "Gamepad connected: " << (name ? name : "unnamed") << std::endl;
}

void joystickCallback(int joystick, int event) {
    if (event == GLFW_CONNECTED) {
        reportGamepadConnected(joystick);
    } else if (event == GLFW_DISCONNECTED && glfwGetJoystickUserPointer(joystick) != nullptr) {
        glfwSetJoystickUserPointer(joystick, nullptr);
        std::cout << "Gamepad disconnected" << std::endl;
    }
}

void mouseButtonCallback(GLFWwindow* /*window*/, int button, int action, int /*mods*/) {
    handleMouseButton(game, button, action);
}

void scrollCallback(GLFWwindow* /*window*/, double /*xOffset*/, double yOffset) {
    camera.zoom(scrollZoomDelta(yOffset));
}

// ---- Start-up steps. ----

void loadOpenGl() {
    glewExperimental = GL_TRUE;
    const GLenum result = glewInit();
    if (result != GLEW_OK) {
        failStartUp(std::string("Failed to init GLEW: ") +
                    reinterpret_cast<const char*>(glewGetErrorString(result)));
    }
}

void installInput(GLFWwindow* window) {
    glfwSetKeyCallback(window, keyCallback);
    glfwSetScrollCallback(window, scrollCallback);
    glfwSetMouseButtonCallback(window, mouseButtonCallback);
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    glfwSetJoystickCallback(joystickCallback);
    for (int joystick = GLFW_JOYSTICK_1; joystick <= GLFW_JOYSTICK_LAST; ++joystick) {
        reportGamepadConnected(joystick);
    }
}

void setInitialGlState() {
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    game.wireframeMode = false;
    game.cullingEnabled = true;
    game.hudVisible = true;
    game.paused = false;
}

// ---- Frame steps. ----

void clearFrame() {
    glEnable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

struct CursorPosition {
    int x = 0;
    int y = 0;
};

CursorPosition readCursor(GLFWwindow* window) {
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    return {cursorCoordinate(x), cursorCoordinate(y)};
}

void updateCamera(bool gameEnded, const CursorPosition& cursor) {
    if (gameEnded) {
        camera.update(game.robotPosition, 0.0f, -90.0f, cursor.x, cursor.y, game.flyForward,
                      game.flyStrafe, game.frameTime);
    } else {
        camera.update(game.robotPosition, game.orbitYaw + game.robotHeading,
                      game.orbitPitch - 25.0f, cursor.x, cursor.y, game.flyForward, game.flyStrafe,
                      game.frameTime);
    }
}

void place(std::optional<Geometry>& drawable, const glm::mat4& modelMatrix) {
    if (!drawable) return;
    drawable->resetModelMatrix();
    drawable->transform(modelMatrix);
}

// The robot's drawables and its lamp, and the ball's, where the world's part of the frame put
// them.
void placeRobotAndBall(Scene& scene, const WorldFrame& world) {
    place(scene.robotMesh1, world.robot.body);
    place(scene.robotMesh0, world.robot.leftBase);
    place(scene.robotMesh2, world.robot.rightBase);
    place(scene.rightWheel, world.robot.rightWheel);
    place(scene.leftWheel, world.robot.leftWheel);
    scene.pointL.position = world.robot.lightPosition;
    place(scene.ballGeometry, world.ball);
}

// Everything the sound follows, as this frame left it.
SoundFrame soundFrameOf(const WorldFrame& world, const Countdown& countdown) {
    SoundFrame frame;
    frame.frameTime = game.frameTime;
    frame.paused = game.paused;
    frame.muted = game.muted;
    frame.won = world.won;
    frame.lost = game.gameOver;
    frame.timeLeft = countdown.timeLeft;
    frame.driveSpeed = game.driveSpeed;
    frame.robotPosition = game.robotPosition;
    frame.tilesMown = world.mowing.tiles;
    const btVector3 mownCentre = world.mowing.centre();
    frame.mownCentre = glm::vec3(mownCentre.x(), mownCentre.y(), mownCentre.z());
    frame.blockedDistance = world.drive.blockedDistance;
    frame.driveSeconds = world.drive.seconds;
    frame.view = camera.getViewMatrix();
    return frame;
}

// The driving keys by their places on the keyboard, whichever keys they are bound to.
DriveKeys pollDriveKeys(GLFWwindow* window, const KeyBindings& keys) {
    auto held = [window, &keys](Action action) {
        for (const int key : keys.of(action)) {
            if (key != noKey && glfwGetKey(window, key) == GLFW_PRESS) return true;
        }
        return false;
    };
    return {held(Action::Forward), held(Action::Left), held(Action::Backward), held(Action::Right)};
}

// The pad in `joystick` through the window system's gamepad mappings; not connected when there
// is none.
GamepadState readJoystick(int joystick) {
    GamepadState pad;
    GLFWgamepadstate raw;
    if (joystick == noJoystick || !glfwJoystickIsGamepad(joystick) ||
        !glfwGetGamepadState(joystick, &raw)) {
        return pad;
    }
    pad.connected = true;
    for (int i = 0; i < GamepadState::buttonCount; ++i) {
        pad.buttons[static_cast<std::size_t>(i)] = raw.buttons[i] == GLFW_PRESS;
    }
    for (int i = 0; i < GamepadState::axisCount; ++i) {
        pad.axes[static_cast<std::size_t>(i)] = raw.axes[i];
    }
    return pad;
}

// The pad followed so far while it stays connected; otherwise the first connected one.
PolledGamepad pollGamepad(int followed) {
    PolledGamepad polled{followed, readJoystick(followed)};
    for (int joystick = GLFW_JOYSTICK_1; !polled.state.connected && joystick <= GLFW_JOYSTICK_LAST;
         ++joystick) {
        polled = {joystick, readJoystick(joystick)};
    }
    if (!polled.state.connected) polled.joystick = noJoystick;
    return polled;
}

// Losing the focus pauses a round being played as F4 does; getting it back changes nothing.
void pauseOnFocusLoss(GameSession& s, FrameObserver* observer) {
    const bool focused = readFocus(s.window, observer);
    if (pausesOnFocusLoss(game, s.roundEnded, s.hadFocus, focused)) {
        applyKeyEffect(s.window, handleAction(game, Action::Pause));
    }
    s.hadFocus = focused;
}

// The gamepad's part of the key read: driving and flying, then its buttons as their keys. Without
// the focus the pad rests.
void readGamepadInput(GameSession& s, FrameObserver* observer) {
    PolledGamepad polled = pollGamepad(s.gamepad.joystick);
    if (observer) polled = observer->gamepad(polled);
    const GamepadInput input = readGamepad(s.gamepad, polled, s.hadFocus);
    game.gamepadConnected = s.gamepad.joystick != noJoystick;
    applyGamepad(game, input, game.frameTime);
    if (input.togglePause) applyKeyEffect(s.window, handleAction(game, Action::Pause));
    if (input.toggleHud) applyKeyEffect(s.window, handleAction(game, Action::Hud));
    if (input.restart && gamepadRestarts(game, s.roundEnded)) {
        applyKeyEffect(s.window, handleAction(game, Action::Restart));
    }
}

// The HUD laid out for the settings' window and fitted to the view the frame was drawn for.
std::vector<HudLine> hudOfView(const GameSession& s, const Countdown& countdown, bool won) {
    const FramebufferSize view = s.targets->view();
    // Only the controls panel shows the render resolution.
    const std::string renderResolution =
        game.controlsVisible ? renderResolutionText(s.targets->scene(), s.renderScale) : "";
    std::vector<HudLine> lines = hudLines(game, countdown, won, s.settings.width, s.settings.height,
                                          s.keyLabels, renderResolution);
    fitHudToView(lines, s.settings.width, s.settings.height, view.width, view.height);
    return lines;
}

}  // namespace

std::unique_ptr<GameSession> startGame(const Settings& settings) {
    auto session = std::make_unique<GameSession>();
    GameSession& s = *session;
    s.settings = settings;
    s.projection = buildProjection(settings);
    s.nearPlaneReach = nearPlaneReach(settings);

    s.window = openWindow(settings);
    s.keyLabels = keyLabels(settings.keys, [](int key) { return glfwGetKeyName(key, 0); });
    loadOpenGl();
    registerDebugOutput();
    if (!initFramework()) failStartUp("Failed to init framework");
    installInput(s.window);
    trackFramebufferSize(s);
    setInitialGlState();

    s.textShader = std::make_shared<Shader>("text.vert", "text.frag");
    s.sceneShader =
        std::make_shared<Shader>("texture.vert", "texture.frag", sceneProgramDefinitions());
    s.edgeShader = std::make_shared<Shader>("edge.vert", "edge.frag");
    s.grassShader =
        std::make_shared<Shader>("grass.vert", "texture.frag", grassProgramDefinitions());

    s.upscaleShader = std::make_shared<Shader>("upscale.vert", "upscale.frag");

    loadFont(*s.textShader, settings.width, settings.height);

    // Textures, materials, models and the first eleven drawables (robot pieces, ground, four
    // walls, ball), in the order of the scene's creation list.
    s.scene = std::make_unique<Scene>(createScene(s.sceneShader, s.grassShader));

    s.screenQuad = std::make_unique<ScreenQuad>();
    prepareEdgeShader(*s.edgeShader);
    prepareUpscaleShader(*s.upscaleShader);

    createLights(*s.scene, static_cast<float>(settings.brightness));

    // The off-screen images, for the window's size unless a full screen of another size or a
    // render scale say otherwise. An incomplete framebuffer is reported and the game carries on.
    s.renderScale = settings.automaticRenderScale ? 1.0f : settings.renderScale;
    if (settings.automaticRenderScale) {
        s.automaticScale.emplace(targetFrameRate(displayRefreshRate(s.window), settings.maxFps));
    }
    fitToView(s);

    s.startTime = readClockSeconds();
    startClock(s.clock, game, s.startTime);

    // The physics arena: the world (initPhysics), the robot actor's settings, the ramp and
    // plateau colliders, the triggers of both grass fields and the ball's inertia. Then what
    // draws it: the ramp and the plateau, the two fields over their tiles, and the smoke
    // particle system (500, 500, projection).
    ArenaPhysics arena = buildArenaPhysics();
    createRampDrawable(*s.scene);
    createPlateauDrawable(*s.scene);
    s.arenaField = createArenaField(std::move(arena.arenaTiles), s.scene->grassMaterial);
    s.plateauField = createPlateauField(std::move(arena.plateauTiles), s.scene->grassMaterial);
    s.smoke = std::make_unique<ParticleSystem>(500, 500, s.projection);

    // Without an audio device it says so and the game plays silently.
    s.sound = std::make_unique<Sound>(static_cast<float>(settings.volume));
    return session;
}

void runFrame(GameSession& s, FrameObserver* observer) {
    const auto phaseDone = [observer](FramePhase phase) {
        if (observer) observer->phaseDone(phase);
    };
    Scene& scene = *s.scene;

    fitToView(s);
    if (game.wireframeMode) {
        OffscreenTarget::bindWindow(s.targets->view());
    } else {
        s.targets->sceneTarget().bind();
    }
    clearFrame();
    const CursorPosition cursor = readCursor(s.window);
    updateOrbit(game, cursor.x, cursor.y);
    phaseDone(FramePhase::FrameStart);

    // The world runs the fixed steps this frame's time owes it (none, one or several, none while
    // paused); the robot follows the frame time itself. Once the game has ended the robot hangs
    // high above the arena and the camera looks straight down on it.
    const WorldFrame world = runWorldFrame(s.arenaField->getTiles(), s.plateauField->getTiles(),
                                           [&phaseDone] { phaseDone(FramePhase::PhysicsStep); });
    if (world.moved) {
        placeRobotAndBall(scene, world);
        phaseDone(FramePhase::RobotAndBall);
    }
    const bool gameEnded = world.won || game.gameOver;
    updateCamera(gameEnded, cursor);
    setPerFrameUniforms(s.grassShader.get(), &camera, scene.dirL, scene.pointL, s.projection);
    setPerFrameUniforms(s.sceneShader.get(), &camera, scene.dirL, scene.pointL, s.projection);
    phaseDone(FramePhase::CameraAndUniforms);

    // Everything is drawn through this frame's camera, opaque surfaces nearest first so that the
    // depth test rejects what they hide before it is shaded: the robot the camera follows (unless
    // the game has ended), the grass fields (the arena's, then the plateau's, each nearest the
    // camera first), then the ball and the arena with the ground last.
    if (!gameEnded) {
        drawRobot(scene);
        phaseDone(FramePhase::SceneDrawables);
    }
    // Wireframe drawing shows the sides where tiles meet; otherwise they are hidden from above.
    const std::optional<float> innerSidesHiddenBeyond =
        game.wireframeMode ? std::nullopt : std::optional<float>(s.nearPlaneReach);
    const glm::mat4 viewProjection = s.projection * camera.getViewMatrix();
    s.arenaField->draw(camera.getPosition(), innerSidesHiddenBeyond, viewProjection);
    s.plateauField->draw(camera.getPosition(), innerSidesHiddenBeyond, viewProjection);
    phaseDone(FramePhase::GrassFields);
    drawArena(scene);
    phaseDone(FramePhase::SceneDrawables);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (!gameEnded) {
        s.smoke->update(game.frameTime, game.robotPosition, game.robotHeading);
        s.smoke->draw(camera.getViewMatrix());
    }
    phaseDone(FramePhase::Smoke);

    if (!game.wireframeMode) {
        // Leaves the depth test off for the HUD.
        s.targets->compose(*s.edgeShader, *s.upscaleShader, *s.screenQuad);
        phaseDone(FramePhase::PostProcessing);
    }

    const double measured = readClockSeconds();
    const double now = observer ? observer->clockReading(measured) : measured;
    readClock(s.clock, game, now);
    const Countdown countdown = runCountdown(game, now, s.startTime);
    recordWin(game, countdown, world.won);
    s.roundEnded = roundEnded(world.won, game);

    s.sound->update(soundFrameOf(world, countdown));
    phaseDone(FramePhase::Sound);

    if (game.hudVisible) drawHud(*s.textShader, hudOfView(s, countdown, world.won));
    phaseDone(FramePhase::Hud);

    glfwSwapBuffers(s.window);
    glfwPollEvents();
    pauseOnFocusLoss(s, observer);
    phaseDone(FramePhase::Swap);

    ++game.frameNumber;
    DriveKeys keys = pollDriveKeys(s.window, s.settings.keys);
    if (observer) keys = observer->driveKeys(keys);
    applyDriveKeys(game, keys.w, keys.a, keys.s, keys.d, game.frameTime);
    readGamepadInput(s, observer);
    countFrame(s.clock, game, s.clock.previousTime);
}

void fitToView(GameSession& s) {
    const FramebufferSize view = s.windowFramebuffer;
    // A minimised window has no pixels; what there is stays until it comes back.
    if (view.width <= 0 || view.height <= 0) return;
    const FramebufferSize scene = sceneSizeFor(view, s.renderScale);
    if (s.targets && s.targets->view() == view && s.targets->scene() == scene) return;
    if (!s.targets || s.targets->view() != view) {
        s.projection = buildProjection(s.settings, view.width, view.height);
        s.nearPlaneReach = nearPlaneReach(s.settings, view.width, view.height);
        setTextProjection(*s.textShader, view.width, view.height);
        if (s.smoke) s.smoke->setProjection(s.projection);
    }
    s.targets = std::make_unique<RenderTargets>(view, scene);
}

void adjustRenderScale(GameSession& s, double frameSeconds) {
    if (s.automaticScale) s.renderScale = s.automaticScale->frameDone(frameSeconds);
}

void restartRound(GameSession& s, double now) {
    restartArena(s.arenaField->getTiles(), s.plateauField->getTiles());
    s.smoke->putAllToSleep();
    s.sound->startNewRound();
    s.startTime = now;
    s.roundEnded = false;
}

void shutdownGame(GameSession& s) {
    // What start-up created goes in reverse order (sound, smoke, plateau field, arena field,
    // drawables, models, then the shared materials, textures and shaders).
    s.sound.reset();
    s.smoke.reset();
    s.plateauField.reset();
    s.arenaField.reset();
    s.targets.reset();
    s.screenQuad.reset();
    s.scene.reset();
    shutdownPhysics();
    releaseFont();
    s.upscaleShader.reset();
    s.grassShader.reset();
    s.edgeShader.reset();
    s.sceneShader.reset();
    s.textShader.reset();
    destroyFramework();
    glfwTerminate();
    s.window = nullptr;
}

int runGame() {
    // The settings are read once, before the window opens: the shipped file, then the player's
    // own over it.
    Settings settings = loadSettings(settingsPath);
    const std::string playerPath =
        playerSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    if (!playerPath.empty()) settings = loadPlayerSettings(settings, playerPath);
    const std::unique_ptr<GameSession> session = startGame(settings);
    FramePacer pacer(session->settings.maxFps);
    while (!glfwWindowShouldClose(session->window)) {
        if (restsInBackground(*session)) {
            waitInBackground(*session);
            continue;
        }
        session->windowDamaged = false;
        sleepFor(pacer.waitBeforeFrame(glfwGetTime()));
        const double frameStart = glfwGetTime();
        runFrame(*session);
        adjustRenderScale(*session, glfwGetTime() - frameStart);
    }
    shutdownGame(*session);
    return 0;
}
