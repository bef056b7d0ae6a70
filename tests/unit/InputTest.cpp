#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/GameState.h"
#include "app/Input.h"

namespace {
constexpr int actionRepeat = 2;
const KeyBindings keys;  // the game's own
}  // namespace

TEST(KeyInput, OnlyReleasesAct) {
    GameState state;
    EXPECT_EQ(handleKey(state, GLFW_KEY_F1, actionPress, keys), KeyEffect::None);
    EXPECT_EQ(handleKey(state, GLFW_KEY_F1, actionRepeat, keys), KeyEffect::None);
    EXPECT_EQ(handleKey(state, GLFW_KEY_ESCAPE, actionPress, keys), KeyEffect::None);
    EXPECT_FALSE(state.wireframeMode);

    EXPECT_EQ(handleKey(state, GLFW_KEY_F1, actionRelease, keys), KeyEffect::ApplyPolygonMode);
    EXPECT_TRUE(state.wireframeMode);
    EXPECT_EQ(handleKey(state, GLFW_KEY_F1, actionRelease, keys), KeyEffect::ApplyPolygonMode);
    EXPECT_FALSE(state.wireframeMode);
}

TEST(KeyInput, FunctionKeysToggleTheirFlagsAndEscapeCloses) {
    GameState state;
    EXPECT_EQ(handleKey(state, GLFW_KEY_F2, actionRelease, keys), KeyEffect::ApplyFaceCulling);
    EXPECT_FALSE(state.cullingEnabled);
    EXPECT_EQ(handleKey(state, GLFW_KEY_F3, actionRelease, keys), KeyEffect::ToggleHud);
    EXPECT_FALSE(state.hudVisible);
    EXPECT_EQ(handleKey(state, GLFW_KEY_F4, actionRelease, keys), KeyEffect::ToggleFreeFly);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(handleKey(state, GLFW_KEY_F4, actionRelease, keys), KeyEffect::ToggleFreeFly);
    EXPECT_FALSE(state.paused);
    EXPECT_EQ(handleKey(state, GLFW_KEY_ESCAPE, actionRelease, keys), KeyEffect::CloseWindow);
    // R asks for a new round; the round itself is restarted outside the key rules.
    EXPECT_EQ(handleKey(state, GLFW_KEY_R, actionPress, keys), KeyEffect::None);
    EXPECT_EQ(handleKey(state, GLFW_KEY_R, actionRelease, keys), KeyEffect::RestartRound);

    // Every other key, W included (it is polled), leaves the state alone.
    const GameState before = state;
    EXPECT_EQ(handleKey(state, GLFW_KEY_W, actionRelease, keys), KeyEffect::None);
    EXPECT_EQ(handleKey(state, GLFW_KEY_F5, actionRelease, keys), KeyEffect::None);
    EXPECT_EQ(state.wireframeMode, before.wireframeMode);
    EXPECT_EQ(state.cullingEnabled, before.cullingEnabled);
    EXPECT_EQ(state.hudVisible, before.hudVisible);
    EXPECT_EQ(state.paused, before.paused);
}

TEST(KeyInput, MMutesAndUnmutesOnReleaseAndTouchesNothingElse) {
    GameState state;
    EXPECT_EQ(handleKey(state, GLFW_KEY_M, actionPress, keys), KeyEffect::None);
    EXPECT_FALSE(state.muted);
    EXPECT_EQ(handleKey(state, GLFW_KEY_M, actionRelease, keys), KeyEffect::ToggleMute);
    EXPECT_TRUE(state.muted);
    EXPECT_FALSE(state.paused);
    EXPECT_TRUE(state.hudVisible);
    EXPECT_EQ(handleKey(state, GLFW_KEY_M, actionRelease, keys), KeyEffect::ToggleMute);
    EXPECT_FALSE(state.muted);
    // The other keys leave it alone.
    state.muted = true;
    handleKey(state, GLFW_KEY_F4, actionRelease, keys);
    handleKey(state, GLFW_KEY_W, actionRelease, keys);
    EXPECT_TRUE(state.muted);
}

TEST(MouseInput, OnlyTheLeftButtonCounts) {
    GameState state;
    handleMouseButton(state, 1, actionPress);
    EXPECT_FALSE(state.leftButtonHeld);
    handleMouseButton(state, 0, actionPress);
    EXPECT_TRUE(state.leftButtonHeld);
    handleMouseButton(state, 0, actionRepeat);
    EXPECT_TRUE(state.leftButtonHeld);
    handleMouseButton(state, 0, actionRelease);
    EXPECT_FALSE(state.leftButtonHeld);
    EXPECT_FLOAT_EQ(scrollZoomDelta(2.0), -1.0f);
}

TEST(Orbit, FirstDeltaIsMeasuredFromTheOrigin) {
    GameState state;
    state.leftButtonHeld = true;
    state.frameTime = 0.5f;  // a long frame turns no further than a short one
    updateOrbit(state, 10, 4);
    EXPECT_FLOAT_EQ(state.orbitYaw, -4.0f * 10 / 60.0f);
    EXPECT_FLOAT_EQ(state.orbitPitch, 2.0f * 4 / 60.0f);
    EXPECT_EQ(state.lastCursorX, 10);
    EXPECT_EQ(state.lastCursorY, 4);

    updateOrbit(state, 40, 4);  // relative to the last position now
    EXPECT_FLOAT_EQ(state.orbitYaw, -4.0f * 40 / 60.0f);
    EXPECT_FLOAT_EQ(state.orbitPitch, 2.0f * 4 / 60.0f);
}

TEST(Orbit, TheSameMouseTravelTurnsAsFarAtEveryFrameRate) {
    // 120 pixels right and 90 down over one second of frames, as at 60 frames per second: 4 and
    // 2 degrees per pixel per second of a 1/60 s frame, so 8 degrees of yaw and 3 of pitch.
    for (int framesPerSecond : {30, 60, 144}) {
        GameState state;
        state.leftButtonHeld = true;
        state.frameTime = 1.0f / static_cast<float>(framesPerSecond);
        for (int frame = 1; frame <= framesPerSecond; ++frame) {
            updateOrbit(state, 120 * frame / framesPerSecond, 90 * frame / framesPerSecond);
        }
        EXPECT_NEAR(state.orbitYaw, -8.0f, 1e-4f) << framesPerSecond << " frames per second";
        EXPECT_NEAR(state.orbitPitch, 3.0f, 1e-4f) << framesPerSecond << " frames per second";
    }
}

TEST(CursorInput, TheUnboundedCursorIsClampedBeforeItBecomesAnInt) {
    EXPECT_EQ(cursorCoordinate(12.9), 12);
    EXPECT_EQ(cursorCoordinate(-12.9), -12);
    const int limit = std::numeric_limits<int>::max() / 2;
    EXPECT_EQ(cursorCoordinate(1e300), limit);
    EXPECT_EQ(cursorCoordinate(-1e300), -limit);
    EXPECT_EQ(cursorCoordinate(std::numeric_limits<double>::infinity()), limit);
    EXPECT_EQ(cursorCoordinate(std::nan("")), 0);
    // The orbit's difference of two clamped positions cannot overflow.
    GameState state;
    state.leftButtonHeld = true;
    updateOrbit(state, cursorCoordinate(-1e300), 0);
    updateOrbit(state, cursorCoordinate(1e300), 0);
    EXPECT_LT(state.orbitYaw, 0.0f);
}

TEST(Orbit, PitchStaysWithinItsRangeForAnyTravel) {
    GameState state;
    state.leftButtonHeld = true;
    state.frameTime = 0.1f;
    int y = 0;
    for (int step = 0; step < 50; ++step) {
        y += 100000;
        updateOrbit(state, 0, y);
        EXPECT_LE(state.orbitPitch, 15.0f);
    }
    EXPECT_FLOAT_EQ(state.orbitPitch, 15.0f);
    for (int step = 0; step < 50; ++step) {
        y -= 100000;
        updateOrbit(state, 0, y);
        EXPECT_GE(state.orbitPitch, -45.0f);
    }
    EXPECT_FLOAT_EQ(state.orbitPitch, -45.0f);
}

TEST(Orbit, ReleasingTheButtonZeroesBothOffsetsButTracksTheCursor) {
    GameState state;
    state.leftButtonHeld = true;
    state.frameTime = 0.1f;
    updateOrbit(state, 30, -40);
    ASSERT_NE(state.orbitYaw, 0.0f);
    ASSERT_NE(state.orbitPitch, 0.0f);
    state.leftButtonHeld = false;
    updateOrbit(state, 500, 500);
    EXPECT_EQ(state.orbitYaw, 0.0f);
    EXPECT_EQ(state.orbitPitch, 0.0f);
    EXPECT_EQ(state.lastCursorX, 500);
    EXPECT_EQ(state.lastCursorY, 500);
}

TEST(DriveKeys, ForwardBackwardAndBoth) {
    GameState state;
    const float dt = 0.1f;
    // The fly input is that of a 1/60 s frame at any frame time; the camera scales it.
    const float fly = 2.0f / 60.0f;
    applyDriveKeys(state, true, false, false, false, dt);
    EXPECT_FLOAT_EQ(state.driveSpeed, -0.35f);
    EXPECT_FLOAT_EQ(state.flyForward, fly);
    EXPECT_TRUE(state.forwardHeld);

    applyDriveKeys(state, true, false, true, false, dt);
    EXPECT_FLOAT_EQ(state.driveSpeed, -0.35f);  // both changes cancel out
    EXPECT_FLOAT_EQ(state.flyForward, -fly);    // S wins the fly input

    applyDriveKeys(state, false, false, false, false, dt);
    EXPECT_FLOAT_EQ(state.flyForward, 0.0f);
    EXPECT_FLOAT_EQ(state.driveSpeed, -0.35f);  // no key, no change
    EXPECT_FALSE(state.forwardHeld);
    EXPECT_FALSE(state.backwardHeld);
}

TEST(DriveKeys, TurningAndStrafing) {
    GameState state;
    const float dt = 0.2f;
    const float fly = 2.0f / 60.0f;
    applyDriveKeys(state, false, true, false, false, dt);
    EXPECT_FLOAT_EQ(state.robotHeading, 27.0f);
    EXPECT_FLOAT_EQ(state.flyStrafe, -fly);
    applyDriveKeys(state, false, true, false, true, dt);
    EXPECT_FLOAT_EQ(state.robotHeading, 27.0f);
    EXPECT_FLOAT_EQ(state.flyStrafe, fly);  // D wins the fly input
    applyDriveKeys(state, false, false, false, false, dt);
    EXPECT_FLOAT_EQ(state.flyStrafe, 0.0f);
}

TEST(DriveKeys, PauseFreezesDrivingButNotFlying) {
    GameState state;
    state.paused = true;
    state.driveSpeed = 1.5f;
    state.robotHeading = 30.0f;
    applyDriveKeys(state, true, true, false, false, 0.25f);
    EXPECT_FLOAT_EQ(state.driveSpeed, 1.5f);
    EXPECT_FLOAT_EQ(state.robotHeading, 30.0f);
    EXPECT_FLOAT_EQ(state.flyForward, 2.0f / 60.0f);
    EXPECT_FLOAT_EQ(state.flyStrafe, -2.0f / 60.0f);
    applyDriveKeys(state, false, false, true, true, 0.25f);
    EXPECT_FLOAT_EQ(state.driveSpeed, 1.5f);
    EXPECT_FLOAT_EQ(state.robotHeading, 30.0f);
}

TEST(FrameClock, FrameTimeAndFramesPerSecond) {
    GameState state;
    FrameClock clock;
    state.frameTime = 3.0f;
    state.framesPerSecond = 99;
    startClock(clock, state, 10.0f);
    EXPECT_EQ(state.frameTime, 0.0f);
    EXPECT_EQ(state.framesPerSecond, 0);

    readClock(clock, state, 10.25f);
    EXPECT_FLOAT_EQ(state.frameTime, 0.25f);
    // Four frames a quarter second apart: the interval closes at the fourth.
    for (int frame = 1; frame <= 3; ++frame) {
        countFrame(clock, state, 10.0f + 0.25f * frame);
        EXPECT_EQ(state.framesPerSecond, 0);
    }
    countFrame(clock, state, 11.0f);
    EXPECT_EQ(state.framesPerSecond, 4);
    countFrame(clock, state, 11.5f);
    EXPECT_EQ(state.framesPerSecond, 4);  // the new interval is still open
    countFrame(clock, state, 12.0f);
    EXPECT_EQ(state.framesPerSecond, 2);
}
