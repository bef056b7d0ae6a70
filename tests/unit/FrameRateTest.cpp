#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "ArenaWorld.h"

// What the player sees must not depend on the frame rate: from a software renderer's 15 frames
// per second to an uncapped graphics card's 5000, the robot drives by the real frame time, and
// the physics world runs the fixed steps that the real time holds.
namespace {

const std::vector<int> sweptFrameRates = {15, 30, 60, 144, 1000, 5000};

std::string perSecond(int framesPerSecond) {
    return "at " + std::to_string(framesPerSecond) + " frames per second";
}

int framesIn(float seconds, int framesPerSecond) {
    return static_cast<int>(std::lround(seconds * static_cast<float>(framesPerSecond)));
}

}  // namespace

TEST(FrameRate, HoldingWForTenSecondsCoversTheSameDistanceAtEveryRate) {
    std::vector<float> distances;
    for (int rate : sweptFrameRates) {
        const float dt = 1.0f / static_cast<float>(rate);
        ArenaWorld world;
        // Corner to corner across the floor, with the ball taken out of the way.
        gScene->removeRigidBody(gBall);
        gController->setPosition(btVector3(45.0f, 1.6f, -45.0f));
        game.robotHeading = 135.0f;  // W drives towards (-x, +z)
        world.frames(framesIn(0.5f, rate), dt, false, false, false, false);
        const btVector3 start = world.robot();
        world.frames(framesIn(10.0f, rate), dt, true, false, false, false);
        const float distance = (world.robot() - start).length();
        std::cout << perSecond(rate) << ": " << distance << " units in 10 s" << std::endl;
        distances.push_back(distance);
    }
    // From rest the speed reaches about -13 in 10 s: some 95 units.
    const float reference = distances[2];  // 60 frames per second
    EXPECT_GT(reference, 90.0f);
    for (std::size_t i = 0; i < distances.size(); ++i) {
        EXPECT_NEAR(distances[i], reference, 0.02f * reference) << perSecond(sweptFrameRates[i]);
    }
}

TEST(FrameRate, TheRobotClimbsTheRampOntoThePlateauAtEveryRate) {
    for (int rate : sweptFrameRates) {
        const float dt = 1.0f / static_cast<float>(rate);
        ArenaWorld world;
        game.robotHeading = 90.0f;  // W drives towards -x, up the ramp at x = -50
        bool onPlateau = false;
        for (int frame = 0; frame < framesIn(20.0f, rate) && !onPlateau; ++frame) {
            world.frame(dt, true, false, false, false);
            const btVector3 at = world.robot();
            onPlateau = at.x() < -60.0f && std::abs(at.y() - 6.1f) < 0.02f;
        }
        EXPECT_TRUE(onPlateau) << perSecond(rate) << ", stopped at x " << world.robot().x()
                               << ", y " << world.robot().y();
    }
}

TEST(FrameRate, AStalledFrameNeitherReversesNorAmplifiesTheSpeed) {
    // A two-second frame (a stall, a window drag) right after W is let go: the speed decays by
    // the factor (1 - 2), which must stop the robot rather than turn it round.
    {
        ArenaWorld world;
        world.frames(180, frameDt, true, false, false, false);
        ASSERT_LT(game.driveSpeed, -5.0f);
        world.frame(2.0f, false, false, false, false);
        world.frames(2, frameDt, false, false, false, false);
        EXPECT_EQ(game.driveSpeed, 0.0f);
    }
    // The same stall while W is held: the speed keeps its sign and stays within the ladder.
    {
        ArenaWorld world;
        world.frames(180, frameDt, true, false, false, false);
        world.frame(2.0f, true, false, false, false);
        world.frames(2, frameDt, true, false, false, false);
        EXPECT_LT(game.driveSpeed, -5.0f);
        EXPECT_GT(game.driveSpeed, -25.0f);
    }
}

TEST(FrameRate, TheBallPatrolsTheSameAndGlidesAtEveryRate) {
    // The robot stands at its start for 30 s. When the world took one step a frame, the ball
    // rolled 60 units at 15 frames per second, 238 at 60 and 884 at 1000.
    std::vector<float> paths;
    for (int rate : {60, 15, 30, 144, 240, 1000}) {
        ArenaWorld world;
        btVector3 body = gBall->getWorldTransform().getOrigin();
        glm::vec4 drawn = drawnBallPose()[3];
        float path = 0.0f;
        for (int i = 0; i < framesIn(30.0f, rate); ++i) {
            world.frame(1.0f / static_cast<float>(rate), false, false, false, false);
            const btVector3 at = gBall->getWorldTransform().getOrigin();
            path += btVector3(at.x() - body.x(), 0.0f, at.z() - body.z()).length();
            body = at;
            // Between its steps it is drawn where it has got to, not where the last step left it.
            ASSERT_NE(world.last.ball[3], drawn) << perSecond(rate) << ", frame " << i;
            drawn = world.last.ball[3];
        }
        std::cout << perSecond(rate) << ": the ball rolled " << path << " in 30 s" << std::endl;
        paths.push_back(path);
        EXPECT_NEAR(path, paths[0], 0.03f * paths[0]) << perSecond(rate);
    }
    EXPECT_GT(paths[0], 200.0f);

    // Frames of exactly 1/60 s as the frame clock reads them, whose frame times are never quite
    // 1/60 s, run one step each: for five minutes from a clock started with the game, and for
    // twenty from one that has run for a day. A stall runs 8 steps, not 120.
    const struct {
        double start;
        int minutes;
    } sittings[] = {{0.0, 5}, {86400.0, 20}};
    for (const auto& sitting : sittings) {
        ArenaWorld world;
        GameState clockState;
        FrameClock clock;
        startClock(clock, clockState, sitting.start);
        for (int i = 1; i <= 60 * 60 * sitting.minutes; ++i) {
            readClock(clock, clockState, sitting.start + i / 60.0);
            world.frame(clockState.frameTime, false, false, false, false);
            ASSERT_EQ(world.last.steps, 1) << "frame " << i << " from " << sitting.start << " s";
        }
        EXPECT_EQ(advancePhysics(2.0f), maxStepsPerFrame);
    }
}
