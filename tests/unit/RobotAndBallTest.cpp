#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#include "ArenaWorld.h"

// The ball is an obstacle to the robot: the robot stops at it and slides along it, and the ball
// rolls off the robot when it runs into it, pushed by the robot's real velocity whatever the
// frame rate. Whatever the driver does, the ball stays in the arena.
namespace {

constexpr float degrees = 57.29578f;

btVector3 ballAt() {
    return gBall->getWorldTransform().getOrigin();
}

// Inside the walls (their faces at x = -99.5 and 49.5, z = -49.5 and 49.5) and low.
::testing::AssertionResult ballInPlay(const std::string& when) {
    const btVector3 at = ballAt();
    if (at.x() > -99.5f && at.x() < 49.5f && at.z() > -49.5f && at.z() < 49.5f && at.y() > 0.0f &&
        at.y() < 25.0f) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "ball at (" << at.x() << ", " << at.y() << ", " << at.z() << ") " << when;
}

// The keys that turn the robot towards a point and drive at it.
struct Keys {
    bool w = true, a = false, d = false;
};
Keys steerAt(const btVector3& target) {
    const float error = headingErrorTowards(target.x(), target.z());
    Keys keys;
    keys.a = error > 2.0f;
    keys.d = error < -2.0f;
    return keys;
}

// Puts the ball at rest at `at` with its patrol in the phase of tiny pushes, and the robot
// `distance` away from it in the direction `angle` (degrees about +y), facing it at full speed.
void setUpRam(const btVector3& at, float angle, float distance) {
    btTransform pose = gBall->getWorldTransform();
    pose.setOrigin(at);
    gBall->setWorldTransform(pose);
    gBall->setLinearVelocity(btVector3(0, 0, 0));
    gBall->setAngularVelocity(btVector3(0, 0, 0));
    ballPush = 0.0f;
    ballPushPositive = true;
    const float a = angle / degrees;
    gController->setPosition(at + btVector3(std::sin(a), 0, std::cos(a)) * distance +
                             btVector3(0, 1.6f - at.y(), 0));
    game.robotHeading = angle;  // W drives along (-sin, -cos): straight at the ball
    game.driveSpeed = -20.0f;
}

// Holds S until the robot's speed has turned round, then for two more seconds, in which a free
// robot reverses 7 units; returns how far it got in them.
float backAway(ArenaWorld& world, float dt) {
    while (game.driveSpeed < 0.0f) world.frame(dt, false, false, true, false);
    const btVector3 from = world.robot();
    world.frames(static_cast<int>(2.0f / dt), dt, false, false, true, false);
    return (world.robot() - from).length();
}

}  // namespace

class RobotAndBall : public ::testing::TestWithParam<int> {
protected:
    float dt() const { return 1.0f / static_cast<float>(GetParam()); }
    int framesIn(float seconds) const { return static_cast<int>(seconds / dt()); }
};

TEST_P(RobotAndBall, RammingItFromEightDirectionsLeavesItInPlay) {
    float fastest = 0.0f;
    for (int direction = 0; direction < 8; ++direction) {
        ArenaWorld world;
        world.frames(2, dt(), false, false, false, false);
        setUpRam(btVector3(-20.0f, 2.0f, 0.0f), 45.0f * direction, 15.0f);
        const std::string when = "after a ram from " + std::to_string(45 * direction) + " degrees";
        float closest = 100.0f;
        for (int frame = 0; frame < framesIn(3.0f); ++frame) {
            const Keys keys = steerAt(ballAt());
            world.frame(dt(), keys.w, keys.a, false, keys.d);
            ASSERT_TRUE(ballInPlay(when));
            const btVector3 gap = ballAt() - world.robot();
            closest = std::min(closest, btVector3(gap.x(), 0, gap.z()).length());
            fastest = std::max(fastest, gBall->getLinearVelocity().length());
        }
        // They met: the capsule's radius 1.5 and the ball's 2, and the robot's skin between.
        EXPECT_LT(closest, 3.6f) << when;
        EXPECT_GT(backAway(world, dt()), 5.0f) << when;
        EXPECT_TRUE(ballInPlay(when + " and backing away"));
    }
    // Never launched. A ball that runs into the robot while it drives at 20 can bounce off at
    // twice that; the kinematic body's speed of old sent it off at hundreds.
    std::cout << "fastest ball at 1/" << GetParam() << " s per frame: " << fastest << std::endl;
    EXPECT_LT(fastest, 60.0f);
}

TEST_P(RobotAndBall, PinningItAgainstAWallLeavesItInPlayAndTheRobotFree) {
    ArenaWorld world;
    world.frames(2, dt(), false, false, false, false);
    // Against the wall at z = -50, whose face is at -49.5; the robot comes from +z.
    setUpRam(btVector3(-25.0f, 2.0f, -47.4f), 0.0f, 20.0f);
    float closest = 100.0f;
    for (int frame = 0; frame < framesIn(5.0f); ++frame) {
        const Keys keys = steerAt(ballAt());
        world.frame(dt(), keys.w, keys.a, false, keys.d);
        ASSERT_TRUE(ballInPlay("while pinned"));
        closest = std::min(closest, (ballAt() - world.robot()).length());
    }
    EXPECT_LT(closest, 3.6f);
    EXPECT_GT(backAway(world, dt()), 5.0f);
    EXPECT_TRUE(ballInPlay("after backing away"));
}

TEST_P(RobotAndBall, TheBallRollsOffTheRobotWhenItRunsIntoIt) {
    ArenaWorld world;
    world.frames(2, dt(), false, false, false, false);
    setUpRam(btVector3(-20.0f, 2.0f, 10.0f), 180.0f, 10.0f);  // the robot at z = 0
    game.driveSpeed = 0.0f;
    gBall->setLinearVelocity(btVector3(0, 0, -10.0f));
    float closest = 100.0f;
    for (int frame = 0; frame < framesIn(1.5f); ++frame) {
        world.frame(dt(), false, false, false, false);
        closest = std::min(closest, (ballAt() - world.robot()).length());
    }
    EXPECT_LT(closest, 3.6f);       // it touched the robot
    EXPECT_GT(closest, 3.3f);       // and did not sink into it
    EXPECT_GT(ballAt().z(), 4.0f);  // it went back the way it came
    EXPECT_GT(gBall->getLinearVelocity().z(), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(FrameTimes, RobotAndBall, ::testing::Values(30, 60, 144, 1000),
                         [](const ::testing::TestParamInfo<int>& rate) {
                             return "OneOver" + std::to_string(rate.param);
                         });

class RobotVelocity : public ::testing::TestWithParam<int> {};

TEST_P(RobotVelocity, WhatTheBallFeelsIsTheRobotsRealVelocity) {
    // Bullet would take the robot's velocity from its move over the 1/60 s step, twice the real
    // one at 30 frames per second and a hundredth of it at 5000.
    const float dt = 1.0f / static_cast<float>(GetParam());
    ArenaWorld world;
    game.robotHeading = 90.0f;  // W drives towards -x
    world.frames(static_cast<int>(3.0f / dt), dt, true, false, false, false);
    const btVector3 felt = gController->getActor()->getLinearVelocity();
    EXPECT_NEAR(felt.x(), game.driveSpeed, 0.05f * std::abs(game.driveSpeed));
    EXPECT_NEAR(felt.z(), 0.0f, 1e-3f);
    EXPECT_NEAR(felt.y(), 0.0f, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(FrameTimes, RobotVelocity, ::testing::Values(30, 60, 144, 1000, 5000),
                         [](const ::testing::TestParamInfo<int>& rate) {
                             return "OneOver" + std::to_string(rate.param);
                         });

// A driver who does nothing but chase the ball for a whole four-minute game.
class BallRammer : public ::testing::TestWithParam<int> {};

TEST_P(BallRammer, TheBallEndsTheGameInsideTheArena) {
    const float dt = 1.0f / static_cast<float>(GetParam());
    ArenaWorld world;
    float highest = 0.0f;
    for (int frame = 0; frame < static_cast<int>(240.0f / dt); ++frame) {
        const Keys keys = steerAt(ballAt());
        world.frame(dt, keys.w, keys.a, false, keys.d);
        highest = std::max(highest, ballAt().y());
    }
    std::cout << "after four minutes at 1/" << GetParam() << " s per frame the ball is at ("
              << ballAt().x() << ", " << ballAt().y() << ", " << ballAt().z() << "), highest "
              << highest << std::endl;
    EXPECT_TRUE(ballInPlay("at the end"));
    EXPECT_LT(highest, 25.0f);
}

INSTANTIATE_TEST_SUITE_P(FrameTimes, BallRammer, ::testing::Values(30, 60),
                         [](const ::testing::TestParamInfo<int>& rate) {
                             return "OneOver" + std::to_string(rate.param);
                         });
