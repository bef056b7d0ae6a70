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

GamepadInput readGamepad(const GamepadState& now, const GamepadState& before) {
    GamepadInput input;
    if (!now.connected) return input;
    using S = GamepadState;
    input.forward = triggerTravel(now.axes[S::axisRightTrigger]);
    input.backward = triggerTravel(now.axes[S::axisLeftTrigger]);
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
