#include "app/Gamepad.h"

#include <algorithm>
#include <cmath>

namespace {

// A trigger's travel from released (0) to pressed fully (1), less its dead zone.
float triggerTravel(float axis) {
    if (!std::isfinite(axis)) return 0.0f;
    const float pressed = std::clamp((axis + 1.0f) * 0.5f, 0.0f, 1.0f);
    if (pressed <= triggerDeadZone) return 0.0f;
    return (pressed - triggerDeadZone) / (1.0f - triggerDeadZone);
}

struct Stick {
    float x = 0.0f;
    float y = 0.0f;
};

// A stick's position with its round dead zone taken off: the travel beyond the dead zone is
// stretched back to the full range, so that the value grows from 0 without a jump.
Stick stickTravel(float x, float y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return {};
    x = std::clamp(x, -1.0f, 1.0f);
    y = std::clamp(y, -1.0f, 1.0f);
    const float length = std::sqrt(x * x + y * y);
    if (length <= stickDeadZone) return {};
    const float scale = std::min(1.0f, (length - stickDeadZone) / (1.0f - stickDeadZone)) / length;
    return {x * scale, y * scale};
}

bool released(const GamepadState& now, const GamepadState& before, int button) {
    return before.connected && before.buttons[static_cast<std::size_t>(button)] &&
           !now.buttons[static_cast<std::size_t>(button)];
}

}  // namespace

GamepadState GamepadState::atRest() {
    GamepadState state;
    state.connected = true;
    state.axes[axisLeftTrigger] = -1.0f;
    state.axes[axisRightTrigger] = -1.0f;
    return state;
}

namespace {

// The pad's own rules for one frame read with the focus: `before` is its state at the last read.
GamepadInput readPad(const GamepadState& now, const GamepadState& before, bool leftTriggerRested,
                     bool rightTriggerRested) {
    GamepadInput input;
    using S = GamepadState;
    // A trigger not seen at rest is taken for one that the mapping lacks: its shoulder drives.
    const auto drive = [&now](bool rested, int axis, int shoulder) {
        if (rested) return triggerTravel(now.axes[static_cast<std::size_t>(axis)]);
        return now.buttons[static_cast<std::size_t>(shoulder)] ? 1.0f : 0.0f;
    };
    input.forward = drive(rightTriggerRested, S::axisRightTrigger, S::buttonRightShoulder);
    input.backward = drive(leftTriggerRested, S::axisLeftTrigger, S::buttonLeftShoulder);
    const Stick left = stickTravel(now.axes[S::axisLeftX], now.axes[S::axisLeftY]);
    input.turn = left.x;
    input.fly = -left.y;
    const Stick right = stickTravel(now.axes[S::axisRightX], now.axes[S::axisRightY]);
    input.orbitX = right.x;
    input.orbitY = right.y;
    input.togglePause = released(now, before, S::buttonStart);
    input.toggleHud = released(now, before, S::buttonBack);
    input.restart = released(now, before, S::buttonA);
    return input;
}

bool atRest(float triggerAxis) {
    return std::isfinite(triggerAxis) && triggerTravel(triggerAxis) == 0.0f;
}

}  // namespace

GamepadInput readGamepad(FollowedGamepad& pad, const PolledGamepad& polled, bool focused) {
    if (polled.joystick != pad.joystick || !polled.state.connected) {
        pad = FollowedGamepad{};
        if (polled.state.connected) pad.joystick = polled.joystick;
    }
    if (!focused || !polled.state.connected) {
        pad.last = GamepadState{};
        return {};
    }
    const GamepadState& now = polled.state;
    pad.leftTriggerRested =
        pad.leftTriggerRested || atRest(now.axes[GamepadState::axisLeftTrigger]);
    pad.rightTriggerRested =
        pad.rightTriggerRested || atRest(now.axes[GamepadState::axisRightTrigger]);
    const GamepadInput input =
        readPad(now, pad.last, pad.leftTriggerRested, pad.rightTriggerRested);
    pad.last = now;
    return input;
}
