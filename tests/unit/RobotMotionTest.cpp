#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "app/Input.h"
#include "physics/Robot.h"

namespace {

constexpr float dt = 1.0f / 60.0f;

// One frame of driving with the keys held: the speed rules of the robot, then the key read.
float driveFrame(float speed, bool w, bool s) {
    GameState state;
    state.driveSpeed = nextDriveSpeed(speed, dt, w, s);
    applyDriveKeys(state, w, false, s, false, dt);
    return state.driveSpeed;
}

float holdFor(float seconds, float speed, bool w, bool s) {
    for (int i = 0; i < static_cast<int>(seconds / dt); ++i) speed = driveFrame(speed, w, s);
    return speed;
}

}  // namespace

TEST(SpeedLadder, HoldingWSettlesAtMinusTwentyAndSAtPlusTwenty) {
    EXPECT_NEAR(holdFor(120.0f, 0.0f, true, false), -20.0f, 0.06f);
    EXPECT_NEAR(holdFor(120.0f, 0.0f, false, true), 20.0f, 0.06f);
    // From beyond the band both come back to it.
    EXPECT_NEAR(holdFor(120.0f, -40.0f, true, false), -20.0f, 0.06f);
    EXPECT_NEAR(holdFor(120.0f, 40.0f, false, true), 20.0f, 0.06f);
}

TEST(SpeedLadder, RatesPerSecondOnEachRungWhileWIsHeld) {
    // The key alone (-3.5), then the key with the rungs that act between -5 and -10 (+1) and
    // between -10 and -20 (+2 + 1).
    EXPECT_NEAR((driveFrame(-2.0f, true, false) + 2.0f) / dt, -3.5f, 1e-3f);
    EXPECT_NEAR((driveFrame(-7.0f, true, false) + 7.0f) / dt, -2.5f, 1e-3f);
    EXPECT_NEAR((driveFrame(-15.0f, true, false) + 15.0f) / dt, -0.5f, 1e-3f);
    EXPECT_GT(driveFrame(-22.0f, true, false), -22.0f);  // pushed back up below -20
    EXPECT_NEAR((driveFrame(7.0f, false, true) - 7.0f) / dt, 2.5f, 1e-3f);
    EXPECT_NEAR((driveFrame(15.0f, false, true) - 15.0f) / dt, 0.5f, 1e-3f);
}

TEST(SpeedLadder, ThresholdsThemselvesAreLeftAlone) {
    // Every rung is strict: a speed on a threshold is moved only by the rungs below it.
    EXPECT_FLOAT_EQ(nextDriveSpeed(5.0f, 0.1f, true, false), 5.0f);
    EXPECT_FLOAT_EQ(nextDriveSpeed(-5.0f, 0.1f, false, true), -5.0f);
    EXPECT_FLOAT_EQ(nextDriveSpeed(10.0f, 0.1f, true, false), 10.0f - 0.1f);  // only > 5
    EXPECT_FLOAT_EQ(nextDriveSpeed(20.0f, 0.1f, true, false), 20.0f - 0.2f - 0.1f);
    EXPECT_FLOAT_EQ(nextDriveSpeed(25.0f, 0.1f, true, false), 25.0f - 0.3f - 0.2f - 0.1f);
}

TEST(SpeedLadder, ReleasingBothKeysDecaysByOneMinusTheFrameTime) {
    EXPECT_FLOAT_EQ(nextDriveSpeed(10.0f, 0.1f, false, false), 9.0f);
    EXPECT_FLOAT_EQ(nextDriveSpeed(-10.0f, 0.25f, false, false), -7.5f);
    // A frame longer than a second stops the robot instead of turning it round.
    EXPECT_FLOAT_EQ(nextDriveSpeed(10.0f, 1.0f, false, false), 0.0f);
    EXPECT_FLOAT_EQ(nextDriveSpeed(10.0f, 1.5f, false, false), 0.0f);
    EXPECT_FLOAT_EQ(nextDriveSpeed(-10.0f, 2.0f, false, false), 0.0f);
}

TEST(SpeedLadder, HoldingBothKeysCancelsTheKeysButNotTheLadder) {
    EXPECT_FLOAT_EQ(driveFrame(2.0f, true, true), 2.0f);
    EXPECT_NEAR(driveFrame(15.0f, true, true), 15.0f - 3.0f * dt, 1e-5f);
}

TEST(RobotMotion, HeadingZeroDrivesAlongZAndTheFallIsAlwaysThere) {
    const glm::vec3 forward = robotDisplacement(0.0f, -20.0f, 0.5f);
    EXPECT_NEAR(forward.x, 0.0f, 1e-6f);
    EXPECT_NEAR(forward.z, -10.0f, 1e-5f);
    EXPECT_NEAR(forward.y, -4.9f, 1e-5f);
    const glm::vec3 turned = robotDisplacement(90.0f, -20.0f, 0.5f);
    EXPECT_NEAR(turned.x, -10.0f, 1e-4f);
    EXPECT_NEAR(turned.z, 0.0f, 1e-4f);
}

TEST(RobotMotion, WheelAngleRestartsPastItsBounds) {
    EXPECT_FLOAT_EQ(nextWheelAngle(10.0f, 0.1f, 4.0f), 10.2f);
    EXPECT_FLOAT_EQ(nextWheelAngle(360.5f, 0.1f, 4.0f), 0.2f);
    EXPECT_FLOAT_EQ(nextWheelAngle(360.0f, 0.1f, 4.0f), 360.2f);  // strict
    EXPECT_FLOAT_EQ(nextWheelAngle(-0.5f, 0.1f, -4.0f), 359.8f);
}

TEST(RobotMotion, PiecesHangBelowTheLastPositionAndTheWheelsSitBesideThem) {
    const glm::vec3 at(3.0f, 1.6f, -4.0f);
    const RobotPlacement p = robotPieces(at, headingRotation(0.0f), 0.04f, 0.0f);
    EXPECT_NEAR(p.leftBase[3].y, 0.6f, 1e-6f);
    EXPECT_NEAR(p.body[3].y, 0.56f, 1e-6f);
    EXPECT_EQ(p.leftBase, p.rightBase);
    EXPECT_NEAR(p.rightWheel[3].x, 5.7f, 1e-5f);
    EXPECT_NEAR(p.leftWheel[3].x, 0.3f, 1e-5f);
    EXPECT_NEAR(p.leftWheel[3].y, 1.1f, 1e-5f);
    EXPECT_NEAR(p.leftWheel[3].z, -2.5f, 1e-5f);
    // Turned by 90 degrees the wheel offsets turn with the body.
    const RobotPlacement q = robotPieces(at, headingRotation(90.0f), 0.0f, 0.0f);
    EXPECT_NEAR(q.rightWheel[3].x, 3.0f + 1.5f, 1e-4f);
    EXPECT_NEAR(q.rightWheel[3].z, -4.0f - 2.7f, 1e-4f);
}
