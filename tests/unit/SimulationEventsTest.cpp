#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "ArenaWorld.h"
#include "physics/SimulationEvents.h"

TEST(TriggerFilter, OnlyTriggerFirstAndKinematicSecondGetsTriggerReports) {
    EXPECT_EQ(triggerFilterShader(filterObjectTrigger, filterObjectKinematic), pairTriggerDefault);
    EXPECT_EQ(pairTriggerDefault, 0x0414u);
    // The same two objects the other way round are a contact pair.
    EXPECT_EQ(triggerFilterShader(filterObjectKinematic, filterObjectTrigger), pairContactDefault);
    EXPECT_EQ(pairContactDefault, 0x0E01u);
    // A trigger and a dynamic body (the ball), or two plain bodies: contacts, no touch reports.
    EXPECT_EQ(triggerFilterShader(filterObjectTrigger, 0), pairContactDefault);
    EXPECT_EQ(triggerFilterShader(0, 0), pairContactDefault);
    EXPECT_EQ(pairContactDefault & pairNotifyTouchAny, 0u);
    // Other attribute bits do not disturb the test.
    EXPECT_EQ(triggerFilterShader(filterObjectTrigger | 0x1, filterObjectKinematic | 0x2),
              pairTriggerDefault);
}

TEST(SimulationEvents, ContactReportPrintsTheCountAndAtMostSixtyFourPointsPerPair) {
    std::ostringstream out;
    SimulationEvents events(out);
    events.onContact(nullptr, 0);
    EXPECT_EQ(out.str(), "0 Contact pair(s) detected\n");

    out.str("");
    ContactPair pairs[2];
    for (int i = 0; i < 70; ++i) {
        pairs[0].points.push_back(ContactPairPoint{btVector3(i, 0.5f, -2.25f)});
    }
    pairs[1].points.push_back(ContactPairPoint{btVector3(1.0f / 3.0f, 1234567.0f, 0)});
    events.onContact(pairs, 2);
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "2 Contact pair(s) detected");
    int points = 0;
    std::string last;
    while (std::getline(lines, line)) {
        ++points;
        if (points == 64) {
            EXPECT_EQ(line, "Contact point (63 0.5 -2.25)");
        }
        last = line;
    }
    EXPECT_EQ(points, 65);
    EXPECT_EQ(last, "Contact point (0.333333 1.23457e+06 0)");
}

TEST(SimulationEvents, TriggerReportMowsOnceAndLaterReportsChangeNothing) {
    ArenaWorld world;
    GrassTile& tile = world.arenaTiles[0][0];
    ASSERT_FALSE(tile.isMown());
    const int objectsBefore = gScene->getNumCollisionObjects();
    TriggerPair pair{tile.actor, gController->getActor(), pairNotifyTouchFound};
    gSimulationEvents.onTrigger(&pair, 1);
    EXPECT_TRUE(tile.isMown());
    EXPECT_EQ(gScene->getNumCollisionObjects(), objectsBefore - 1);
    pair.status = pairNotifyTouchLost;
    gSimulationEvents.onTrigger(&pair, 1);
    EXPECT_TRUE(tile.isMown());
    EXPECT_EQ(gScene->getNumCollisionObjects(), objectsBefore - 1);
    EXPECT_FALSE(world.arenaTiles[0][1].isMown());
    EXPECT_FLOAT_EQ(game.driveSpeed, 0.0f);
}

TEST(SimulationEvents, TheBallNeverMows) {
    ArenaWorld world;
    parkRobot();  // out of reach of every tile
    // Let the ball fall onto the grass at (0, 7, 30) and roll under its patrol forces.
    for (int i = 0; i < 60 * 20; ++i) {
        world.frame(frameDt, false, false, false, false);
        parkRobot();
    }
    EXPECT_LT(gBall->getWorldTransform().getOrigin().y(), 2.5f);  // it did reach the grass
    EXPECT_EQ(world.mownCount(), 0);
}

namespace {

// Distance between the robot's upright capsule segment and a tile's box (both axis-aligned).
float capsuleToBox(const btVector3& centre, float halfSegment, const GrassTile& tile) {
    const float dx = std::max(0.0f, std::abs(centre.x() - tile.position.x) - tile.halfExtents.x);
    const float dz = std::max(0.0f, std::abs(centre.z() - tile.position.z) - tile.halfExtents.z);
    const float dy =
        std::max(0.0f, std::abs(centre.y() - tile.position.y) - tile.halfExtents.y - halfSegment);
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

TEST(SimulationEvents, TheRobotMowsExactlyTheTilesItsCapsuleEnters) {
    ArenaWorld world;
    std::vector<btVector3> stepPositions;
    // A curving drive: forwards, then turning left while still driving.
    for (int i = 0; i < 60 * 8; ++i) {
        stepPositions.push_back(world.robot());  // where the frame's one step sees the robot
        world.frame(frameDt, true, i > 200, false, false);
    }
    const float radius = 1.5f;
    int checked = 0;
    for (const auto& row : world.arenaTiles) {
        for (const GrassTile& tile : row) {
            float closest = 1e9f;
            for (const btVector3& at : stepPositions) {
                closest = std::min(closest, capsuleToBox(at, 0.05f, tile));
            }
            if (std::abs(closest - radius) < 0.02f) continue;  // grazing: either is right
            ++checked;
            EXPECT_EQ(tile.isMown(), closest < radius) << "tile at " << tile.position.x << ", "
                                                       << tile.position.z << " closest " << closest;
        }
    }
    EXPECT_GT(world.mownCount(), 60);
    EXPECT_GT(checked, 1900);
}

TEST(SimulationEvents, EachStepCountsTheTilesItMowedAndWhereTheyStood) {
    ArenaWorld world;
    int counted = 0;
    int stepsThatMowed = 0;
    for (int i = 0; i < 60 * 4; ++i) {
        const btVector3 robotBefore = world.robot();
        world.frame(frameDt, true, i > 120, false, false);
        const StepMowing& mown = world.last.mowing;
        counted += mown.tiles;
        if (mown.tiles == 0) continue;
        ++stepsThatMowed;
        // The tiles the capsule (radius 1.5) touched: their middles lie within its radius and a
        // tile's half diagonal (half extents 1.5) of it.
        const btVector3 centre = mown.centre();
        EXPECT_LT((centre - robotBefore).length(), 1.5f + 1.5f * std::sqrt(2.0f)) << "step " << i;
        EXPECT_NEAR(centre.y(), 1.5f, 1e-4f);
    }
    EXPECT_EQ(counted, world.mownCount());
    EXPECT_GT(stepsThatMowed, 10);

    // Standing on mown ground, a step mows nothing.
    game.driveSpeed = 0.0f;
    world.frames(120, frameDt, false, false, false, false);
    world.frame(frameDt, false, false, false, false);
    EXPECT_EQ(world.last.mowing.tiles, 0);
    EXPECT_EQ(world.last.mowing.centre(), btVector3(0, 0, 0));
}
