#include <gtest/gtest.h>

#include <cmath>
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

TEST(RobotMotion, WheelAngleWrapsByWholeTurnsWithoutAJump) {
    constexpr float fullTurn = 6.2831853f;
    EXPECT_FLOAT_EQ(nextWheelAngle(1.0f, 0.1f, 4.0f), 1.2f);
    EXPECT_NEAR(nextWheelAngle(6.2f, 0.1f, 4.0f), 6.4f - fullTurn, 1e-5f);
    EXPECT_NEAR(nextWheelAngle(0.1f, 0.1f, -4.0f), 0.1f - 0.2f + fullTurn, 1e-5f);

    // Full speed both ways, over several wraps: the rotation handed to the wheels never changes
    // within a frame by more than that frame's roll.
    for (const float dt : {1.0f / 30.0f, 1.0f / 60.0f, 1.0f / 144.0f}) {
        for (const float speed : {-20.0f, 20.0f}) {
            const float roll = std::fabs(0.5f * dt * speed);
            float angle = 0.0f;
            int wraps = 0;
            for (int frame = 0; frame < static_cast<int>(120.0f / dt); ++frame) {
                const float next = nextWheelAngle(angle, dt, speed);
                ASSERT_GE(next, 0.0f);
                ASSERT_LE(next, fullTurn);
                // The change as the wheels show it: the shorter way round the circle.
                float change = std::fabs(next - angle);
                if (change > fullTurn / 2.0f) {
                    change = fullTurn - change;
                    ++wraps;
                }
                ASSERT_NEAR(change, roll, 1e-4f) << "dt " << dt << " speed " << speed;
                angle = next;
            }
            EXPECT_GE(wraps, 3) << "dt " << dt << " speed " << speed;
        }
    }
}

TEST(RobotMotion, PiecesHangBelowTheLastPositionAndTheWheelsSitBesideThem) {
    const glm::vec3 at(3.0f, 1.6f, -4.0f);
    const RobotPlacement p = robotPieces(at, headingRotation(0.0f), 0.04f, 0.0f);
    EXPECT_NEAR(p.leftBase[3].y, 0.6f, 1e-6f);
    EXPECT_NEAR(p.body[3].y, 0.56f, 1e-6f);
    // The body hangs 1 plus the jitter below the position, summed in that order.
    const float jitter = 1.0f / 20000.0f;
    EXPECT_EQ(robotPieces(at, headingRotation(0.0f), jitter, 0.0f).body[3].y,
              at.y - (1.0f + jitter));
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
