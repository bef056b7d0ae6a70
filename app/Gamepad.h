#pragma once

#include <array>

// A gamepad as the window system reports it through its gamepad mappings: the layout of GLFW's
// gamepad state, copied so that the rules below need no window system.
struct GamepadState {
    // Indices into `buttons` and `axes` (GLFW's GLFW_GAMEPAD_BUTTON_* and GLFW_GAMEPAD_AXIS_*).
    static constexpr int buttonA = 0;
    static constexpr int buttonLeftShoulder = 4;
    static constexpr int buttonRightShoulder = 5;
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
    // Sticks from -1 to 1; triggers from -1 (released) to 1 (pressed fully). An axis that the
    // pad's mapping lacks reads 0 for ever.
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
    float forward = 0.0f;   // right trigger (or shoulder): accelerate forwards as W does
    float backward = 0.0f;  // left trigger (or shoulder): backwards as S does
    float turn = 0.0f;      // left stick x: -1 as A, 1 as D
    float fly = 0.0f;       // left stick y, up positive: flying forwards as W does while paused
    float orbitX = 0.0f;    // right stick x: right positive
    float orbitY = 0.0f;    // right stick y: down positive, as the cursor's y
    // Buttons let go of in this frame, acting as keys do on release.
    bool togglePause = false;  // Start, as F4
    bool toggleHud = false;    // Back, as F3
    bool restart = false;      // A: a new round, where gamepadRestarts allows it
};

// A joystick number of the window system's, or none.
constexpr int noJoystick = -1;

// One frame's poll of the window system: the joystick of the pad read (noJoystick when there
// is none) and its state.
struct PolledGamepad {
    int joystick = noJoystick;
    GamepadState state;
};

// The one pad the game follows and what it remembers of it from frame to frame.
struct FollowedGamepad {
    int joystick = noJoystick;
    // Its state at the last read; nothing held after a change of pad and while it rests.
    GamepadState last;
    // Whether each trigger's axis has been seen at rest (near -1) since the pad was followed.
    // Until then the trigger counts as released: a trigger that the pad's mapping lacks reads
    // 0, which would otherwise be half pressed for ever.
    bool leftTriggerRested = false;
    bool rightTriggerRested = false;
};

// The input of one frame from the pad `polled` found. A new joystick (another pad, or the same
// in another slot) is followed from "nothing held", so that nothing of the previous one reads
// as a release. While the window lacks the focus (`focused` false) the pad rests: it is still
// followed, but asks for nothing and what it holds is forgotten. A pad whose mapping has no
// analog trigger drives with the shoulder button on the trigger's side instead.
GamepadInput readGamepad(FollowedGamepad& pad, const PolledGamepad& polled, bool focused);
