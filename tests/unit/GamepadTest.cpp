#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <vector>

#include "app/FramePacing.h"
#include "app/GameState.h"
#include "app/Gamepad.h"
#include "app/Input.h"

namespace {
using Pad = GamepadState;

Pad withAxis(Pad pad, int axis, float value) {
    pad.axes[static_cast<std::size_t>(axis)] = value;
    return pad;
}

Pad withButton(Pad pad, int button) {
    pad.buttons[static_cast<std::size_t>(button)] = true;
    return pad;
}

// The pad in `now` after `before`, followed in one slot, its triggers seen at rest.
GamepadInput readGamepad(const Pad& now, const Pad& before) {
    FollowedGamepad pad{0, before, true, true};
    return readGamepad(pad, {0, now}, true);
}

// One key read of a frame of `dt` seconds with the pad in `now` after `before`, keys up.
GameState read(GameState state, const Pad& now, const Pad& before, float dt) {
    applyDriveKeys(state, false, false, false, false, dt);
    applyGamepad(state, readGamepad(now, before), dt);
    return state;
}
}  // namespace

TEST(Gamepad, TriggersShouldersAndButtonsOfTheOnePadFollowed) {
    const Pad rest = Pad::atRest();
    const Pad noTriggers =
        withAxis(withAxis(rest, Pad::axisLeftTrigger, 0.0f), Pad::axisRightTrigger, 0.0f);
    const Pad rightPressed = withAxis(rest, Pad::axisRightTrigger, 1.0f);
    const Pad start = withButton(rest, Pad::buttonStart);
    struct Frame {
        int joystick;
        Pad pad;
        bool focused = true;
    };
    struct Case {
        const char* what;
        std::vector<Frame> frames;
        float forward, backward;
        bool pause;  // Start released in the last frame
    };
    const Pad half = withAxis(rest, Pad::axisRightTrigger, 0.0f);
    const Pad touched = withAxis(rest, Pad::axisRightTrigger, -0.95f);
    const Pad both = withAxis(rightPressed, Pad::axisLeftTrigger, 1.0f);
    const Pad onlyRight = withAxis(rest, Pad::axisLeftTrigger, 0.0f);
    const Pad rightShoulder = withButton(noTriggers, Pad::buttonRightShoulder);
    const Pad leftShoulder = withButton(noTriggers, Pad::buttonLeftShoulder);
    const Pad shoulderBesideTrigger = withButton(rest, Pad::buttonRightShoulder);
    // clang-format off
    const Case cases[] = {
        {"no analog triggers: it coasts", {{0, noTriggers}, {0, noTriggers}}, 0, 0, false},
        {"one trigger unmapped: it stands", {{0, onlyRight}, {0, onlyRight}}, 0, 0, false},
        {"right shoulder instead", {{0, rightShoulder}}, 1, 0, false},
        {"left shoulder instead", {{0, leftShoulder}}, 0, 1, false},
        {"trigger after its rest", {{0, rest}, {0, rightPressed}}, 1, 0, false},
        {"trigger held since it came", {{0, rightPressed}, {0, rightPressed}}, 0, 0, false},
        {"half pressed, less the dead zone", {{0, rest}, {0, half}}, 0.45f / 0.95f, 0, false},
        {"barely touched", {{0, rest}, {0, touched}}, 0, 0, false},
        {"both pressed", {{0, rest}, {0, both}}, 1, 1, false},
        {"shoulder beside a trigger", {{0, rest}, {0, shoulderBesideTrigger}}, 0, 0, false},
        {"Start let go", {{0, start}, {0, rest}}, 0, 0, true},
        {"another slot: nothing held", {{0, start}, {1, rest}}, 0, 0, false},
        {"let go without the focus", {{0, start}, {0, rest, false}}, 0, 0, false},
        {"without the focus: nothing", {{0, rest}, {0, rightPressed, false}}, 0, 0, false},
        {"unfocused press, focused", {{0, start, false}, {0, rest, false}, {0, rest}}, 0, 0, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        FollowedGamepad followed;
        GamepadInput input;
        for (const Frame& f : c.frames) {
            input = readGamepad(followed, {f.joystick, f.pad}, f.focused);
        }
        GameState state;
        applyGamepad(state, input, 0.1f);
        EXPECT_FLOAT_EQ(input.forward, c.forward) << c.what;
        EXPECT_FLOAT_EQ(input.backward, c.backward) << c.what;
        // In proportion to W and S, forwards negative.
        EXPECT_FLOAT_EQ(state.driveSpeed, driveAcceleration * 0.1f * (c.backward - c.forward))
            << c.what;
        EXPECT_EQ(state.forwardHeld || state.backwardHeld, c.forward + c.backward > 0) << c.what;
        EXPECT_EQ(input.togglePause, c.pause) << c.what;
    }
    // A restarts only a round that has ended or is paused.
    GameState state;
    EXPECT_FALSE(gamepadRestarts(state, false));
    EXPECT_TRUE(gamepadRestarts(state, true));
    state.paused = true;
    EXPECT_TRUE(gamepadRestarts(state, false));
}

TEST(Gamepad, TheLeftStickTurnsOutsideItsDeadZoneAndFliesWhilePaused) {
    const float dt = 0.1f;
    const Pad rest = Pad::atRest();
    GameState keyboard;
    applyDriveKeys(keyboard, false, false, false, true, dt);  // D

    const GameState right = read({}, withAxis(rest, Pad::axisLeftX, 1.0f), rest, dt);
    EXPECT_FLOAT_EQ(right.robotHeading, keyboard.robotHeading);
    // Inside the dead zone, even both axes together: nothing.
    const Pad drifting = withAxis(withAxis(rest, Pad::axisLeftX, 0.12f), Pad::axisLeftY, -0.12f);
    const GameState still = read({}, drifting, rest, dt);
    EXPECT_EQ(still.robotHeading, 0.0f);
    EXPECT_EQ(still.flyForward, 0.0f);
    // Just outside it the turn grows from nothing, without a jump.
    const GameState slight = read({}, withAxis(rest, Pad::axisLeftX, 0.25f), rest, dt);
    EXPECT_LT(slight.robotHeading, 0.0f);
    EXPECT_GT(slight.robotHeading, keyboard.robotHeading * 0.1f);

    // Paused: the stick flies (up is forwards) and neither drives nor turns the robot.
    GameState paused;
    paused.paused = true;
    const Pad up = withAxis(rest, Pad::axisLeftY, -1.0f);
    const GameState flying = read(paused, up, rest, dt);
    EXPECT_EQ(flying.robotHeading, 0.0f);
    EXPECT_EQ(flying.driveSpeed, 0.0f);
    GameState keysFlying = paused;
    applyDriveKeys(keysFlying, true, false, false, true, dt);  // W and D
    EXPECT_FLOAT_EQ(flying.flyForward, keysFlying.flyForward);
    EXPECT_FLOAT_EQ(read(paused, withAxis(rest, Pad::axisLeftX, 1.0f), rest, dt).flyStrafe,
                    keysFlying.flyStrafe);
    // Pushed diagonally the stick's travel is still at most a whole one.
    const Pad upAndRight = withAxis(up, Pad::axisLeftX, 1.0f);
    const GameState diagonal = read(paused, upAndRight, rest, dt);
    EXPECT_NEAR(std::hypot(diagonal.flyForward, diagonal.flyStrafe), keysFlying.flyForward, 1e-6f);
    // A key held wins its axis.
    GameState both = paused;
    applyDriveKeys(both, false, false, true, false, dt);  // S
    applyGamepad(both, readGamepad(upAndRight, rest), dt);
    EXPECT_FLOAT_EQ(both.flyForward, -keysFlying.flyForward);
}

TEST(Gamepad, TheRightStickOrbitsLikeADragAndLettingGoReturnsBehindTheRobot) {
    const Pad rest = Pad::atRest();
    GameState state;
    state.frameTime = 0.5f;
    applyGamepad(state, readGamepad(withAxis(rest, Pad::axisRightX, 1.0f), rest), 0.5f);
    updateOrbit(state, 0, 0);
    EXPECT_LT(state.orbitYaw, 0.0f);  // pushed right: as a drag to the right
    const float yaw = state.orbitYaw;
    updateOrbit(state, 0, 0);
    EXPECT_FLOAT_EQ(state.orbitYaw, 2.0f * yaw);
    // Down turns the pitch up to its limit, as dragging down does.
    applyGamepad(state, readGamepad(withAxis(rest, Pad::axisRightY, 1.0f), rest), 0.5f);
    for (int i = 0; i < 10; ++i) updateOrbit(state, 0, 0);
    EXPECT_FLOAT_EQ(state.orbitPitch, 15.0f);
    applyGamepad(state, readGamepad(rest, rest), 0.5f);
    updateOrbit(state, 0, 0);
    EXPECT_EQ(state.orbitYaw, 0.0f);
    EXPECT_EQ(state.orbitPitch, 0.0f);
}

TEST(Gamepad, ButtonsActOnReleaseAndNothingComesFromAnAbsentOrBrokenPad) {
    const Pad rest = Pad::atRest();
    for (const int button : {Pad::buttonStart, Pad::buttonBack, Pad::buttonA}) {
        const Pad held = withButton(rest, button);
        const GamepadInput pressed = readGamepad(held, rest);
        EXPECT_FALSE(pressed.togglePause || pressed.toggleHud || pressed.restart);
        const GamepadInput let = readGamepad(rest, held);
        EXPECT_EQ(let.togglePause, button == Pad::buttonStart);
        EXPECT_EQ(let.toggleHud, button == Pad::buttonBack);
        EXPECT_EQ(let.restart, button == Pad::buttonA);
        // Unplugged while held: no release.
        EXPECT_FALSE(readGamepad(Pad{}, held).restart);
    }

    // No pad: the keyboard alone, exactly.
    GameState keys;
    applyDriveKeys(keys, true, true, false, false, 0.1f);
    GameState withAbsentPad = keys;
    applyGamepad(withAbsentPad, readGamepad(Pad{}, Pad{}), 0.1f);
    EXPECT_EQ(withAbsentPad.driveSpeed, keys.driveSpeed);
    EXPECT_EQ(withAbsentPad.robotHeading, keys.robotHeading);
    EXPECT_EQ(withAbsentPad.flyForward, keys.flyForward);
    EXPECT_EQ(withAbsentPad.flyStrafe, keys.flyStrafe);
    EXPECT_EQ(withAbsentPad.forwardHeld, keys.forwardHeld);

    // Values a driver should never send are read as a pad at rest.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Pad broken = rest;
    for (float& axis : broken.axes) axis = nan;
    const GamepadInput input = readGamepad(broken, rest);
    EXPECT_EQ(input.forward, 0.0f);
    EXPECT_EQ(input.turn, 0.0f);
    EXPECT_EQ(input.orbitX, 0.0f);
    const GamepadInput beyond = readGamepad(withAxis(rest, Pad::axisLeftX, 7.0f), rest);
    EXPECT_FLOAT_EQ(beyond.turn, 1.0f);
}

TEST(FocusLoss, PausesOnlyARoundBeingPlayedWhenTheFocusGoes) {
    GameState state;
    EXPECT_TRUE(pausesOnFocusLoss(state, false, true, false));
    EXPECT_FALSE(pausesOnFocusLoss(state, false, true, true));    // kept
    EXPECT_FALSE(pausesOnFocusLoss(state, false, false, false));  // never had it
    EXPECT_FALSE(pausesOnFocusLoss(state, false, false, true));   // coming back
    EXPECT_FALSE(pausesOnFocusLoss(state, true, true, false));    // won or lost
    state.paused = true;
    EXPECT_FALSE(pausesOnFocusLoss(state, false, true, false));  // and it never unpauses
}

TEST(FramePacing, FramesStartNoMoreOftenThanTheCap) {
    FramePacer uncapped(0);
    EXPECT_EQ(uncapped.waitBeforeFrame(1.0), 0.0);
    EXPECT_EQ(uncapped.waitBeforeFrame(1.0), 0.0);

    // At 5 a second, frames that take no time at all start 0.2 s apart.
    FramePacer five(5);
    double now = 10.0;
    double lastStart = -1.0;
    for (int frame = 0; frame < 20; ++frame) {
        now += five.waitBeforeFrame(now);
        if (lastStart >= 0.0) {
            EXPECT_NEAR(now - lastStart, 0.2, 1e-9);
        }
        lastStart = now;
        now += 0.01;  // the frame itself
    }
    // A slow frame is not made up for by a burst: the next one still waits a whole interval.
    now = lastStart + 1.0;
    EXPECT_EQ(five.waitBeforeFrame(now), 0.0);
    EXPECT_NEAR(five.waitBeforeFrame(now + 0.05), 0.15, 1e-9);
}

TEST(FramePacing, TheCappedLoopSleepsRatherThanSpins) {
    // A real second of a loop capped at 20 frames a second: no more frames than that, and the
    // processor is hardly used (a spinning wait would use the whole second).
    FramePacer pacer(20);
    timespec cpuStart{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
    const auto start = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    int frames = 0;
    while (seconds() < 1.0) {
        sleepFor(pacer.waitBeforeFrame(seconds()));
        ++frames;
    }
    timespec cpuEnd{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
    const double cpu = static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) +
                       1e-9 * static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec);
    EXPECT_LE(frames, 20 + 1);
    EXPECT_LT(cpu, 0.25) << frames << " frames";
}
