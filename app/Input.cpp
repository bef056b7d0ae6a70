#include "app/Input.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {
// The orbit gains and the fly input were tuned at 60 frames per second, the rate the physics
// step is made for, and are applied at that frame time whatever the real one: the same mouse
// travel turns the view as far, and a held key flies the camera as fast, at any frame rate.
constexpr float referenceFrameTime = physicsStep;
constexpr float orbitYawGain = 4.0f * referenceFrameTime;    // degrees per pixel
constexpr float orbitPitchGain = 2.0f * referenceFrameTime;  // degrees per pixel
constexpr float orbitPitchMin = -45.0f;
constexpr float orbitPitchMax = 15.0f;
// The camera flies a held key's input times 240 per second: 8 units a second.
constexpr float flyInput = 2.0f * referenceFrameTime;
constexpr int leftButton = 0;
// A gamepad's right stick pushed all the way orbits this many degrees a second.
constexpr float stickYawRate = 120.0f;
constexpr float stickPitchRate = 60.0f;
}  // namespace

KeyEffect handleKey(GameState& state, int key, int action, const KeyBindings& keys) {
    if (action != actionRelease) return KeyEffect::None;
    const std::optional<Action> bound = keys.actionOf(key);
    return bound ? handleAction(state, *bound) : KeyEffect::None;
}

KeyEffect handleAction(GameState& state, Action action) {
    switch (action) {
        case Action::Quit:
            return KeyEffect::CloseWindow;
        case Action::Wireframe:
            state.wireframeMode = !state.wireframeMode;
            return KeyEffect::ApplyPolygonMode;
        case Action::Culling:
            state.cullingEnabled = !state.cullingEnabled;
            return KeyEffect::ApplyFaceCulling;
        case Action::Hud:
            state.hudVisible = !state.hudVisible;
            return KeyEffect::ToggleHud;
        case Action::Pause:
            state.paused = !state.paused;
            return KeyEffect::ToggleFreeFly;
        case Action::Restart:
            return KeyEffect::RestartRound;
        case Action::Mute:
            state.muted = !state.muted;
            return KeyEffect::ToggleMute;
        case Action::Controls:
            state.controlsVisible = !state.controlsVisible;
            return KeyEffect::ToggleControls;
        case Action::Fullscreen:
            return KeyEffect::ToggleFullscreen;
        case Action::Forward:
        case Action::Backward:
        case Action::Left:
        case Action::Right:
            return KeyEffect::None;
    }
    return KeyEffect::None;
}

void handleMouseButton(GameState& state, int button, int action) {
    if (button != leftButton) return;
    if (action == actionPress) state.leftButtonHeld = true;
    if (action == actionRelease) state.leftButtonHeld = false;
}

int cursorCoordinate(double position) {
    constexpr double limit = std::numeric_limits<int>::max() / 2;
    if (std::isnan(position)) return 0;
    return static_cast<int>(std::clamp(position, -limit, limit));
}

void updateOrbit(GameState& state, int cursorX, int cursorY) {
    float pitch = 0.0f;
    const bool stickPushed = state.orbitStickX != 0.0f || state.orbitStickY != 0.0f;
    if (state.leftButtonHeld) {
        state.orbitYaw -= orbitYawGain * static_cast<float>(cursorX - state.lastCursorX);
        pitch = state.orbitPitch + orbitPitchGain * static_cast<float>(cursorY - state.lastCursorY);
    } else if (stickPushed) {
        pitch = state.orbitPitch;
    } else {
        state.orbitYaw = 0.0f;
    }
    if (stickPushed) {
        state.orbitYaw -= stickYawRate * state.orbitStickX * state.frameTime;
        pitch += stickPitchRate * state.orbitStickY * state.frameTime;
    }
    state.orbitPitch = std::max(orbitPitchMin, std::min(orbitPitchMax, pitch));
    state.lastCursorX = cursorX;
    state.lastCursorY = cursorY;
}

void applyDriveKeys(GameState& state, bool w, bool a, bool s, bool d, float dt) {
    state.forwardHeld = w;
    state.leftHeld = a;
    state.backwardHeld = s;
    state.rightHeld = d;

    // Forward is negative speed; S wins the fly input when both are held, A and D likewise.
    if (w) {
        if (!state.paused) state.driveSpeed -= driveAcceleration * dt;
        state.flyForward = flyInput;
    }
    if (s) {
        if (!state.paused) state.driveSpeed += driveAcceleration * dt;
        state.flyForward = -flyInput;
    }
    if (!w && !s) state.flyForward = 0.0f;

    if (a) {
        if (!state.paused) state.robotHeading += turnRate * dt;
        state.flyStrafe = -flyInput;
    }
    if (d) {
        if (!state.paused) state.robotHeading -= turnRate * dt;
        state.flyStrafe = flyInput;
    }
    if (!a && !d) state.flyStrafe = 0.0f;
}

void applyGamepad(GameState& state, const GamepadInput& input, float dt) {
    state.orbitStickX = input.orbitX;
    state.orbitStickY = input.orbitY;
    // A pad at rest changes nothing at all, not even the sign of a zero.
    if (input.forward > 0.0f) {
        state.forwardHeld = true;
        if (!state.paused) state.driveSpeed -= driveAcceleration * dt * input.forward;
    }
    if (input.backward > 0.0f) {
        state.backwardHeld = true;
        if (!state.paused) state.driveSpeed += driveAcceleration * dt * input.backward;
    }
    if (state.paused) {
        if (state.flyForward == 0.0f) state.flyForward = flyInput * input.fly;
        if (state.flyStrafe == 0.0f) state.flyStrafe = flyInput * input.turn;
    } else if (input.turn != 0.0f) {
        state.robotHeading -= turnRate * dt * input.turn;
    }
}

void startClock(FrameClock& clock, GameState& state, double now) {
    clock.previousTime = now;
    clock.intervalStart = now;
    clock.framesInInterval = 0;
    state.frameTime = 0.0f;
    state.framesPerSecond = 0;
}

void readClock(FrameClock& clock, GameState& state, double now) {
    state.frameTime = static_cast<float>(now - clock.previousTime);
    clock.previousTime = now;
}

void countFrame(FrameClock& clock, GameState& state, double now) {
    ++clock.framesInInterval;
    if (now - clock.intervalStart >= 1.0) {
        state.framesPerSecond = clock.framesInInterval;
        clock.framesInInterval = 0;
        clock.intervalStart = now;
    }
}
