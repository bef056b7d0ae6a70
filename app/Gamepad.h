#pragma once

#include <array>

// A gamepad as the window system reports it through its gamepad mappings: the layout of GLFW's
// gamepad state, copied so that the rules below need no window system.
struct GamepadState {
    // Indices into `buttons` and `axes` (GLFW's GLFW_GAMEPAD_BUTTON_* and GLFW_GAMEPAD_AXIS_*).
    static constexpr int buttonA = 0;
    static constexpr int buttonBack = 6;
    static constexpr int buttonStart = 7;
    static constexpr int axisLeftX = 0;
    static constexpr int axisLeftY = 1;  // down is positive
    static constexpr int axisRightX = 2;
    static constexpr int axisRightY = 3;  // down is positive
    static constexpr int axisLeftTrigger = 4;
    static constexpr int axisRightTrigger = 5;
    static constexpr int buttonCount = 15;
    static constexpr int axisCount = 6;

    bool connected = false;
    std::array<bool, buttonCount> buttons{};
    // Sticks from -1 to 1; triggers from -1 (released) to 1 (pressed fully).
    std::array<float, axisCount> axes{};

    // A connected pad at rest: sticks centred, triggers released.
    static GamepadState atRest();
};

// Stick travel inside this radius counts as none, so that a resting stick does not drift.
constexpr float stickDeadZone = 0.2f;
// The first part of a trigger's travel counts as none.
constexpr float triggerDeadZone = 0.05f;

// What one frame of a gamepad asks of the game, its dead zones taken off. The trigger and stick
// values are proportions from 0 (or -1) to 1 of what the keyboard's keys give.
struct GamepadInput {
    float forward = 0.0f;   // right trigger: accelerate forwards as W does
    float backward = 0.0f;  // left trigger: backwards as S does
    float turn = 0.0f;      // left stick x: -1 as A, 1 as D
    float fly = 0.0f;       // left stick y, up positive: flying forwards as W does while paused
    float orbitX = 0.0f;    // right stick x: right positive
    float orbitY = 0.0f;    // right stick y: down positive, as the cursor's y
    // Buttons let go of in this frame, acting as keys do on release.
    bool togglePause = false;  // Start, as F4
    bool toggleHud = false;    // Back, as F3
    bool restart = false;      // A, as R
};

// The input of a frame from the pad's state now and at the previous frame. A pad that is not
// connected (now) asks for nothing.
GamepadInput readGamepad(const GamepadState& now, const GamepadState& before);
