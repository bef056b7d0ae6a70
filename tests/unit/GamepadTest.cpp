#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

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

// One key read of a frame of `dt` seconds with the pad in `now` after `before`, keys up.
GameState read(GameState state, const Pad& now, const Pad& before, float dt) {
    applyDriveKeys(state, false, false, false, false, dt);
    applyGamepad(state, readGamepad(now, before), dt);
    return state;
}
}  // namespace

TEST(Gamepad, TriggersDriveInProportionUpToTheKeysRate) {
    const float dt = 0.1f;
    const Pad rest = Pad::atRest();
    GameState keyboard;
    applyDriveKeys(keyboard, true, false, false, false, dt);

    // Fully pressed: as W, and it counts as held for the speed ladder.
    const GameState full = read({}, withAxis(rest, Pad::axisRightTrigger, 1.0f), rest, dt);
    EXPECT_FLOAT_EQ(full.driveSpeed, keyboard.driveSpeed);
    EXPECT_TRUE(full.forwardHeld);
    // Half pressed (the axis half way from -1 to 1): about half of it, less the dead zone.
    const GameState half = read({}, withAxis(rest, Pad::axisRightTrigger, 0.0f), rest, dt);
    EXPECT_NEAR(half.driveSpeed, keyboard.driveSpeed * (0.5f - 0.05f) / 0.95f, 1e-6f);
    // The left trigger backwards; both together cancel as W and S do, and both count as held.
    const GameState back = read({}, withAxis(rest, Pad::axisLeftTrigger, 1.0f), rest, dt);
    EXPECT_FLOAT_EQ(back.driveSpeed, -keyboard.driveSpeed);
    EXPECT_TRUE(back.backwardHeld);
    const Pad both =
        withAxis(withAxis(rest, Pad::axisLeftTrigger, 1.0f), Pad::axisRightTrigger, 1.0f);
    const GameState cancelled = read({}, both, rest, dt);
    EXPECT_FLOAT_EQ(cancelled.driveSpeed, 0.0f);
    EXPECT_TRUE(cancelled.forwardHeld && cancelled.backwardHeld);
    // A trigger barely touched does nothing.
    const GameState touched = read({}, withAxis(rest, Pad::axisRightTrigger, -0.95f), rest, dt);
    EXPECT_EQ(touched.driveSpeed, 0.0f);
    EXPECT_FALSE(touched.forwardHeld);
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
