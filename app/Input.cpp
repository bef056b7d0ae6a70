#include "app/Input.h"

#include <algorithm>

namespace {
constexpr float orbitYawGain = 4.0f;    // degrees per pixel per second
constexpr float orbitPitchGain = 2.0f;  // degrees per pixel per second
constexpr float orbitPitchMin = -45.0f;
constexpr float orbitPitchMax = 15.0f;
constexpr float flySpeed = 2.0f;
constexpr int leftButton = 0;
}  // namespace

KeyEffect handleKey(GameState& state, int key, int action) {
    if (action != actionRelease) return KeyEffect::None;
    switch (key) {
        case keyEscape:
            return KeyEffect::CloseWindow;
        case keyF1:
            state.wireframeMode = !state.wireframeMode;
            return KeyEffect::ApplyPolygonMode;
        case keyF2:
            state.cullingEnabled = !state.cullingEnabled;
            return KeyEffect::ApplyFaceCulling;
        case keyF3:
            state.hudVisible = !state.hudVisible;
            return KeyEffect::ToggleHud;
        case keyF4:
            state.paused = !state.paused;
            return KeyEffect::ToggleFreeFly;
        default:
            return KeyEffect::None;
    }
}

void handleMouseButton(GameState& state, int button, int action) {
    if (button != leftButton) return;
    if (action == actionPress) state.leftButtonHeld = true;
    if (action == actionRelease) state.leftButtonHeld = false;
}

void updateOrbit(GameState& state, int cursorX, int cursorY) {
    float pitch = 0.0f;
    if (state.leftButtonHeld) {
        state.orbitYaw -=
            orbitYawGain * static_cast<float>(cursorX - state.lastCursorX) * state.frameTime;
        pitch = state.orbitPitch +
                orbitPitchGain * static_cast<float>(cursorY - state.lastCursorY) * state.frameTime;
    } else {
        state.orbitYaw = 0.0f;
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
        state.flyForward = flySpeed * dt;
    }
    if (s) {
        if (!state.paused) state.driveSpeed += driveAcceleration * dt;
        state.flyForward = -flySpeed * dt;
    }
    if (!w && !s) state.flyForward = 0.0f;

    if (a) {
        if (!state.paused) state.robotHeading += turnRate * dt;
        state.flyStrafe = -flySpeed * dt;
    }
    if (d) {
        if (!state.paused) state.robotHeading -= turnRate * dt;
        state.flyStrafe = flySpeed * dt;
    }
    if (!a && !d) state.flyStrafe = 0.0f;
}

void startClock(FrameClock& clock, GameState& state, float now) {
    clock.previousTime = now;
    clock.intervalStart = now;
    clock.framesInInterval = 0;
    state.frameTime = 0.0f;
    state.framesPerSecond = 0;
}

void readClock(FrameClock& clock, GameState& state, float now) {
    state.frameTime = now - clock.previousTime;
    clock.previousTime = now;
}

void countFrame(FrameClock& clock, GameState& state, float now) {
    ++clock.framesInInterval;
    if (now - clock.intervalStart >= 1.0f) {
        state.framesPerSecond = clock.framesInInterval;
        clock.framesInInterval = 0;
        clock.intervalStart = now;
    }
}
