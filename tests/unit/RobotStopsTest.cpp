#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ArenaWorld.h"
#include "effects/SoundRules.h"

// The bump follows the robot controller: what obstacles take from the robot's travel, through
// the sound's stop rule, in the game's own world.

namespace {
struct Drive {
    std::vector<float> stops;  // sizes of the stops heard
    std::vector<int> frames;   // the frames they were heard in
};

// Drives with W (and A or D when asked) for `count` frames of `dt`, turning towards nothing.
void drive(ArenaWorld& world, StopTracker& tracker, Drive& heard, int count, float dt, bool a,
           bool d, int& frame) {
    for (int i = 0; i < count; ++i, ++frame) {
        world.frame(dt, true, a, false, d);
        const float stop =
            trackStop(tracker, world.last.drive.blockedDistance, world.last.drive.seconds);
        if (stop > 0.0f) {
            heard.stops.push_back(stop);
            heard.frames.push_back(frame);
        }
    }
}
}  // namespace

TEST(RobotStops, DrivingHeadOnIntoAWallIsOneStopAsHardAsTheSpeed) {
    for (const float dt : {1.0f / 15.0f, 1.0f / 60.0f, 1.0f / 1000.0f}) {
        SCOPED_TRACE(dt);
        ArenaWorld world;
        StopTracker tracker;
        Drive heard;
        int frame = 0;
        // Heading 0 drives towards -z: the wall's face is at z = -49.5, 48 units away.
        drive(world, tracker, heard, static_cast<int>(8.0f / dt), dt, false, false, frame);
        EXPECT_LT(world.robot().z(), -47.0f);
        ASSERT_EQ(heard.stops.size(), 1u);
        EXPECT_NEAR(heard.stops[0], std::abs(game.driveSpeed), 1.5f);
        EXPECT_GT(bumpGain(heard.stops[0]), 0.5f);
    }
}

TEST(RobotStops, TurningAwayToSlideAlongTheWallIsNoFurtherStop) {
    ArenaWorld world;
    StopTracker tracker;
    Drive heard;
    int frame = 0;
    const float dt = 1.0f / 60.0f;
    // Into the wall at -z, then a turn of about 80 degrees to the left: a slide along it.
    drive(world, tracker, heard, 8 * 60, dt, false, false, frame);
    ASSERT_EQ(heard.stops.size(), 1u);
    drive(world, tracker, heard, 35, dt, true, false, frame);
    const float zAtWall = world.robot().z();
    const float xBefore = world.robot().x();
    drive(world, tracker, heard, 3 * 60, dt, false, false, frame);
    EXPECT_LT(world.robot().x(), xBefore - 10.0f);   // it slid a long way
    EXPECT_NEAR(world.robot().z(), zAtWall, 0.05f);  // along the wall
    EXPECT_EQ(heard.stops.size(), 1u);
}

TEST(RobotStops, ClimbingTheRampIsNoStopAndTheFarWallIs) {
    // At 15 frames per second the robot climbs more per frame than it can step up, and slides up
    // the ramp's face: it travels less along the ground, which is still no stop.
    for (const float dt : {1.0f / 15.0f, 1.0f / 60.0f, 1.0f / 500.0f}) {
        SCOPED_TRACE(dt);
        ArenaWorld world;
        game.robotHeading = 90.0f;  // W drives towards -x, up the ramp onto the plateau
        StopTracker tracker;
        Drive heard;
        int frame = 0;
        bool onPlateau = false;
        const int frames = static_cast<int>(20.0f / dt);
        for (int i = 0; i < frames; ++i) {
            drive(world, tracker, heard, 1, dt, false, false, frame);
            if (world.robot().x() < -60.0f && world.robot().y() > 6.0f) onPlateau = true;
            if (!onPlateau) {
                ASSERT_TRUE(heard.stops.empty()) << "at x = " << world.robot().x();
            }
        }
        EXPECT_TRUE(onPlateau);
        // The wall at x = -100 stops it, once.
        ASSERT_EQ(heard.stops.size(), 1u);
        EXPECT_LT(world.robot().x(), -97.0f);
    }
}
