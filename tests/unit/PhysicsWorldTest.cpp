#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

#include "ArenaWorld.h"

TEST(BallPatrol, FirstPushIsMinusOneUntilTheBallPassesMinusTwenty) {
    ArenaWorld world;
    EXPECT_FLOAT_EQ(ballPush, -1.0f);
    EXPECT_FALSE(ballPushPositive);
    world.frames(10, frameDt, false, false, false, false);
    EXPECT_FLOAT_EQ(ballPush, -1.0f);  // not scaled by the frame time
}

TEST(BallPatrol, TurnsOnlyStrictlyPastMinusTwentyAndFive) {
    BallPatrol p = nextBallPatrol(-20.0f, -1.0f, false);
    EXPECT_FLOAT_EQ(p.push, -1.0f);
    EXPECT_FALSE(p.pushPositive);

    p = nextBallPatrol(-20.001f, -1.0f, false);
    EXPECT_FLOAT_EQ(p.push, 0.5f * physicsStep);
    EXPECT_TRUE(p.pushPositive);

    p = nextBallPatrol(5.0f, 0.01f, true);
    EXPECT_FLOAT_EQ(p.push, 0.01f);
    EXPECT_TRUE(p.pushPositive);

    p = nextBallPatrol(5.001f, 0.01f, true);
    EXPECT_FLOAT_EQ(p.push, -0.5f * physicsStep);
    EXPECT_FALSE(p.pushPositive);

    // Already heading the right way: nothing changes on either side.
    p = nextBallPatrol(-30.0f, 0.01f, true);
    EXPECT_FLOAT_EQ(p.push, 0.01f);
    p = nextBallPatrol(30.0f, -1.0f, false);
    EXPECT_FLOAT_EQ(p.push, -1.0f);
}

TEST(BallPatrol, ThePushAfterATurnIsTheSameAtAnyFrameTime) {
    // Through the game's frame calls: the ball is put just past the turn, and the frame that
    // turns it follows a frame of the given length (a 2 s stall among them).
    for (const float dt : {1.0f / 30.0f, 1.0f / 60.0f, 1.0f / 1000.0f, 2.0f}) {
        ArenaWorld world;
        parkRobot();
        btTransform at = gBall->getWorldTransform();
        at.setOrigin(btVector3(0.0f, 2.0f, -21.0f));
        gBall->setWorldTransform(at);
        game.frameTime = dt;
        world.frame(dt, false, false, false, false);
        EXPECT_TRUE(ballPushPositive) << "dt " << dt;
        EXPECT_FLOAT_EQ(ballPush, 0.5f / 60.0f) << "dt " << dt;
    }
}

TEST(BallPatrol, WobbleFollowsTheStepNumberModFour) {
    EXPECT_EQ(ballWobble(0), glm::vec3(0, 0, -0.2f));
    EXPECT_EQ(ballWobble(1), glm::vec3(0, 0, 0.2f));
    EXPECT_EQ(ballWobble(2), glm::vec3(0.2f, 0, 0));
    EXPECT_EQ(ballWobble(3), glm::vec3(-0.2f, 0, 0));
    EXPECT_EQ(ballWobble(4), ballWobble(0));
    EXPECT_EQ(ballWobble(1001), ballWobble(1));
}

TEST(BallPatrol, AngleAxisOfTinyRotationsIsNoRotation) {
    float angle = 1.0f;
    glm::vec3 axis(0.0f);
    quaternionToAngleAxis(btQuaternion(1e-9f, 0, 0, 1), angle, axis);
    EXPECT_EQ(angle, 0.0f);
    EXPECT_EQ(axis, glm::vec3(1, 0, 0));
    quaternionToAngleAxis(btQuaternion(btVector3(0, 1, 0), 0.5f), angle, axis);
    EXPECT_NEAR(angle, 0.5f, 1e-5f);
    EXPECT_NEAR(axis.y, 1.0f, 1e-5f);
    quaternionToAngleAxis(btQuaternion(0, 0, 1, 0), angle, axis);
    EXPECT_NEAR(angle, SIMD_PI, 1e-6f);
}

TEST(BallPatrol, TheBallPatrolsBetweenTheTurnsAndStaysInTheArena) {
    ArenaWorld world;
    parkRobot();
    bool turnedPositive = false;
    float lowestZ = 100.0f;
    for (int i = 0; i < 60 * 120; ++i) {
        world.frame(frameDt, false, false, false, false);
        parkRobot();
        const btVector3 at = gBall->getWorldTransform().getOrigin();
        lowestZ = std::min(lowestZ, at.z());
        turnedPositive = turnedPositive || ballPushPositive;
        ASSERT_GT(at.x(), -100.0f) << "frame " << i;
        ASSERT_LT(at.x(), 50.0f) << "frame " << i;
        ASSERT_GT(at.z(), -50.0f) << "frame " << i;
        ASSERT_LT(at.z(), 50.0f) << "frame " << i;
        ASSERT_GT(at.y(), 1.0f) << "frame " << i;
        ASSERT_LT(at.y(), 16.0f) << "frame " << i;
    }
    EXPECT_LT(lowestZ, -20.0f);
    EXPECT_TRUE(turnedPositive);
}

TEST(BallPatrol, TheDrawnBallFollowsItsBody) {
    ArenaWorld world;
    world.frames(30, frameDt, false, false, false, false);
    const btVector3 at = gBall->getWorldTransform().getOrigin();
    const glm::mat4 model = world.last.ball;
    EXPECT_NEAR(model[3].x, at.x(), 1e-5f);
    EXPECT_NEAR(model[3].y, at.y(), 1e-5f);
    EXPECT_NEAR(model[3].z, at.z(), 1e-5f);
}

TEST(PhysicsWorld, APauseLeavesEveryActorWhereItWas) {
    ArenaWorld world;
    world.frames(90, frameDt, true, false, false, false);
    const btVector3 robot = world.robot();
    const btVector3 ball = gBall->getWorldTransform().getOrigin();
    const btVector3 box = gPendulumBox->getWorldTransform().getOrigin();
    const float push = ballPush;
    const float speed = game.driveSpeed;
    const int mown = world.mownCount();
    game.paused = true;
    world.frames(120, frameDt, true, true, false, false);
    EXPECT_EQ(world.robot(), robot);
    EXPECT_EQ(gBall->getWorldTransform().getOrigin(), ball);
    EXPECT_EQ(gPendulumBox->getWorldTransform().getOrigin(), box);
    EXPECT_EQ(ballPush, push);
    EXPECT_EQ(game.driveSpeed, speed);
    EXPECT_EQ(world.mownCount(), mown);
    // On resume everything carries on from there.
    game.paused = false;
    world.frames(10, frameDt, true, false, false, false);
    EXPECT_NE(world.robot(), robot);
}

namespace {
// The box's heading about the vertical, in radians, from where its local x axis points.
float yawOf(const btTransform& pose) {
    const btVector3 x = pose.getBasis().getColumn(0);
    return std::atan2(-x.z(), x.x());
}
}  // namespace

TEST(PhysicsWorld, ThePendulumHangsBelowItsAnchorAndTurnsOnlyAboutItsFreeAxis) {
    ArenaWorld world;
    world.frames(600, frameDt, false, false, false, false);
    const btVector3 box = gPendulumBox->getWorldTransform().getOrigin();
    EXPECT_NEAR(box.distance(btVector3(5, 5, 1)), 0.0f, 0.1f);

    // Spun about all three axes at once, the box keeps hanging upright below the anchor and
    // turns about the vertical alone, the joint's one free axis.
    const float yawBefore = yawOf(gPendulumBox->getWorldTransform());
    gPendulumBox->setAngularVelocity(btVector3(3.0f, 3.0f, 3.0f));
    gPendulumBox->activate(true);
    world.frames(20, frameDt, false, false, false, false);
    const btTransform& pose = gPendulumBox->getWorldTransform();
    EXPECT_NEAR(pose.getBasis().getColumn(1).dot(btVector3(0, 1, 0)), 1.0f, 1e-3f);
    EXPECT_GT(std::abs(yawOf(pose) - yawBefore), 0.2f);
    EXPECT_NEAR(pose.getOrigin().distance(btVector3(5, 5, 1)), 0.0f, 0.1f);
}

TEST(PhysicsWorld, ParkingHangsTheRobotAboveTheArena) {
    ArenaWorld world;
    world.frames(10, frameDt, true, false, false, false);
    parkRobot();
    EXPECT_EQ(world.robot(), btVector3(-25, 100, 0));
    placeRobot();
    EXPECT_EQ(game.robotPosition, glm::vec3(-25, 100, 0));
}

TEST(PhysicsWorld, ShutdownReleasesTheWorldAndInitBuildsAFreshOne) {
    {
        ArenaWorld world;
        world.frames(60, frameDt, true, false, false, false);
        EXPECT_GT(world.mownCount(), 0);
    }
    EXPECT_EQ(gPhysics, nullptr);
    EXPECT_EQ(gBall, nullptr);
    EXPECT_EQ(advancePhysics(physicsStep), 0);  // harmless without a world
    ArenaWorld fresh;
    EXPECT_EQ(fresh.mownCount(), 0);
    EXPECT_FLOAT_EQ(ballPush, -1.0f);
}

TEST(GrassFields, HoldTheirTilesWhereTheArenaPutsThem) {
    ArenaWorld world;
    ASSERT_EQ(world.arenaTiles.size(), 44u);
    ASSERT_EQ(world.plateauTiles.size(), 8u);
    std::size_t arena = 0, plateau = 0;
    for (const auto& row : world.arenaTiles) arena += row.size();
    for (const auto& row : world.plateauTiles) plateau += row.size();
    EXPECT_EQ(arena, 1936u);
    EXPECT_EQ(plateau, 352u);

    EXPECT_EQ(world.arenaTiles[0][0].getPosition(), glm::vec3(-33.0f, 1.5f, -33.0f));
    EXPECT_EQ(world.arenaTiles[43][43].getPosition(), glm::vec3(31.5f, 1.5f, 31.5f));
    EXPECT_EQ(world.arenaTiles[0][1].getPosition(), glm::vec3(-33.0f, 1.5f, -31.5f));
    EXPECT_EQ(world.plateauTiles[0][0].getPosition(), glm::vec3(-66.75f, 5.0f, -33.0f));
    EXPECT_EQ(world.plateauTiles[7][43].getPosition(), glm::vec3(-56.25f, 5.0f, 31.5f));
    EXPECT_EQ(world.arenaTiles[0][0].halfExtents, glm::vec3(1.5f, 1.0f, 1.5f));

    const FieldLayout arenaLayout = arenaFieldLayout();
    const FieldLayout plateauLayout = plateauFieldLayout();
    EXPECT_EQ(arenaLayout.modelMatrices[0][0][3], glm::vec4(-33.0f, 0.5f, -33.0f, 1.0f));
    EXPECT_EQ(plateauLayout.modelMatrices[0][0][3], glm::vec4(-66.75f, 5.5f, -33.0f, 1.0f));
    EXPECT_EQ(plateauLayout.modelMatrices.size(), 8u);
    EXPECT_EQ(plateauLayout.modelMatrices[7].size(), 44u);
}

TEST(GrassFields, MowingTheArenaAloneDoesNotClearThePlateau) {
    ArenaWorld world;
    std::vector<TriggerPair> pairs;
    for (auto& row : world.arenaTiles) {
        for (GrassTile& tile : row) pairs.push_back(TriggerPair{tile.actor, nullptr});
    }
    gSimulationEvents.onTrigger(pairs.data(), static_cast<int>(pairs.size()));
    EXPECT_TRUE(isFieldMown(world.arenaTiles));
    EXPECT_FALSE(isFieldMown(world.plateauTiles));
    EXPECT_TRUE(isFieldMown(TileGrid{}));
    // The world goes on stepping without the mown triggers.
    world.frames(30, frameDt, true, false, false, false);
}

// Prints what a physics step and a controller move cost with the whole arena in the world;
// nothing is asserted on the figures.
