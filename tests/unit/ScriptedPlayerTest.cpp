#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <iostream>
#include <string>
#include <vector>

#include "ArenaWorld.h"
#include "app/Rules.h"

// A scripted player that proves the game can be won: with a fixed frame time it decides only
// which of W, A, S and D to hold, and the frames run the same calls as the frame
// loop. It drives a lawn-mower route over the arena, climbs the ramp, mows the plateau strip,
// and then picks off whatever tiles its passes missed.
namespace {

constexpr float degrees = 57.29578f;
// Distance ahead on the lane that the player steers towards.
constexpr float lookAhead = 5.0f;
// Turning circle at full speed: 20 units per second at 135 degrees per second.
constexpr float turningRadius = 20.0f / (135.0f / degrees);

struct Keys {
    bool w = false, a = false, s = false, d = false;
};

glm::vec2 robotXZ() {
    const btVector3 at = gController->getPosition();
    return {at.x(), at.z()};
}

Keys steerTowards(const glm::vec2& target, bool coastWhenClose) {
    const glm::vec2 to = target - robotXZ();
    const float error = headingErrorTowards(target.x, target.y);
    Keys keys;
    keys.a = error > 2.0f;
    keys.d = error < -2.0f;
    // A target inside the turning circle cannot be reached at speed: coast until it can.
    const bool unreachable = glm::length(to) < 2.0f * turningRadius && std::abs(error) > 45.0f;
    keys.w = !(coastWhenClose && unreachable);
    return keys;
}

struct Lane {
    glm::vec2 from;
    glm::vec2 to;
};

class ScriptedPlayer {
public:
    explicit ScriptedPlayer(ArenaWorld& arenaWorld) : world(arenaWorld) {
        // Arena: lanes along x, each over three columns of tiles, visited four lanes apart so
        // that every turn fits the turning circle; they alternate direction end to end.
        const int order[] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11};
        bool towardsPlusX = true;
        for (int k : order) {
            const float z = -31.5f + 4.5f * k;
            const glm::vec2 west(-35.0f, z), east(37.0f, z);
            arenaLanes.push_back(towardsPlusX ? Lane{west, east} : Lane{east, west});
            towardsPlusX = !towardsPlusX;
        }
        // Plateau: lanes along z, from the edge inwards, so that every turn swings away from
        // the edge.
        const float xs[] = {-57.0f, -60.75f, -65.25f};
        bool towardsPlusZ = true;
        for (float x : xs) {
            const glm::vec2 south(x, -37.0f), north(x, 37.0f);
            plateauLanes.push_back(towardsPlusZ ? Lane{south, north} : Lane{north, south});
            towardsPlusZ = !towardsPlusZ;
        }
    }

    Keys decide() {
        const glm::vec2 at = robotXZ();
        const bool onPlateau = gController->getPosition().y() > 4.0f;
        if (!onPlateau) {
            if (const Lane* lane = currentLane(arenaLanes, arenaLane, at)) return follow(*lane, at);
            if (const GrassTile* tile = nearestStanding(world.arenaTiles, at)) {
                return steerTowards(glm::vec2(tile->position.x, tile->position.z), true);
            }
            // Up the ramp, straight towards -x.
            return steerTowards(glm::vec2(-75.0f, at.y), false);
        }
        if (const Lane* lane = currentLane(plateauLanes, plateauLane, at)) return follow(*lane, at);
        if (const GrassTile* tile = nearestStanding(world.plateauTiles, at)) {
            return steerTowards(glm::vec2(tile->position.x, tile->position.z), true);
        }
        return Keys{};
    }

private:
    // The lane being driven, moving on to the next once the robot has passed a lane's end.
    static const Lane* currentLane(const std::vector<Lane>& lanes, std::size_t& index,
                                   const glm::vec2& at) {
        for (; index < lanes.size(); ++index) {
            const Lane& lane = lanes[index];
            const float along = glm::dot(at - lane.from, glm::normalize(lane.to - lane.from));
            if (along < glm::length(lane.to - lane.from)) return &lane;
        }
        return nullptr;
    }

    // Steers towards a point a little ahead of the robot's place along the lane, which pulls it
    // back onto the lane after each turn.
    static Keys follow(const Lane& lane, const glm::vec2& at) {
        const glm::vec2 direction = glm::normalize(lane.to - lane.from);
        const float along = glm::dot(at - lane.from, direction);
        return steerTowards(lane.from + direction * (std::max(along, 0.0f) + lookAhead), false);
    }

    static const GrassTile* nearestStanding(const TileGrid& tiles, const glm::vec2& at) {
        const GrassTile* nearest = nullptr;
        float best = 1e9f;
        for (const auto& row : tiles) {
            for (const GrassTile& tile : row) {
                if (tile.isMown()) continue;
                const float distance =
                    glm::length(glm::vec2(tile.position.x, tile.position.z) - at);
                if (distance < best) {
                    best = distance;
                    nearest = &tile;
                }
            }
        }
        return nearest;
    }

    ArenaWorld& world;
    std::vector<Lane> arenaLanes;
    std::vector<Lane> plateauLanes;
    std::size_t arenaLane = 0;
    std::size_t plateauLane = 0;
};

}  // namespace

// The same player at the frame rates of a slow software renderer, of the reference 60 frames
// per second, of a fast display and of an uncapped graphics card: driving and the world's steps
// follow the real time, so the route is the same and the game is won at each of them, the
// steps mowing only what the robot reaches however many of them a frame runs.
class ScriptedPlayerAtFrameRate : public ::testing::TestWithParam<int> {};

TEST_P(ScriptedPlayerAtFrameRate, MowsBothFieldsWithinTheTimeLimit) {
    const float dt = 1.0f / static_cast<float>(GetParam());
    ArenaWorld world;
    ScriptedPlayer player(world);
    const int frameLimit = static_cast<int>(240.0f / dt);
    int frame = 0;
    float arenaClearedAt = -1.0f;
    for (; frame < frameLimit && !world.last.won; ++frame) {
        const Keys keys = player.decide();
        const btVector3 robotAtSteps = world.robot();
        world.frame(dt, keys.w, keys.a, keys.s, keys.d);
        const StepMowing& mown = world.last.mowing;  // near the robot only
        const btVector3 off = mown.tiles > 0 ? mown.centre() - robotAtSteps : btVector3(0, 0, 0);
        ASSERT_LT(btVector3(off.x(), 0, off.z()).length(), 3.7f) << frame;
        if (arenaClearedAt < 0.0f && isFieldMown(world.arenaTiles)) arenaClearedAt = frame * dt;
    }
    std::cout << "at 1/" << GetParam() << " s per frame: arena cleared after " << arenaClearedAt
              << " s, both fields after " << frame * dt << " s; " << world.mownCount()
              << " of 2288 tiles" << std::endl;
    EXPECT_TRUE(world.last.won);
}

INSTANTIATE_TEST_SUITE_P(FrameTimes, ScriptedPlayerAtFrameRate,
                         ::testing::Values(15, 60, 144, 1000, 5000),
                         [](const ::testing::TestParamInfo<int>& rate) {
                             return "OneOver" + std::to_string(rate.param);
                         });

// Another round in the same world: a few hundred tiles mown, then a restart puts the tiles, the
// robot, the ball and the rules back as the game starts them, and the new round can be won.
TEST(ScriptedPlayerAfterARestart, MowsBothFieldsOfTheNewRound) {
    const float dt = 1.0f / 60.0f;
    ArenaWorld world;
    {
        ScriptedPlayer player(world);
        while (world.mownCount() < 300) {
            const Keys keys = player.decide();
            world.frame(dt, keys.w, keys.a, keys.s, keys.d);
        }
    }
    game.timeLimit = 300.0f;  // as if paused for a minute
    game.gameOver = true;
    game.paused = true;
    const int objectsBefore = gScene->getNumCollisionObjects();
    const int mownBefore = world.mownCount();
    world.restart();

    EXPECT_EQ(world.mownCount(), 0);
    EXPECT_EQ(gScene->getNumCollisionObjects(), objectsBefore + mownBefore);
    EXPECT_EQ(game.driveSpeed, 0.0f);
    EXPECT_EQ(game.robotHeading, 0.0f);
    EXPECT_EQ(game.timeLimit, 240.0f);
    EXPECT_FALSE(game.gameOver);
    EXPECT_FALSE(game.paused);
    EXPECT_EQ(wheelAngle, 0.0f);
    EXPECT_EQ(world.robot(), btVector3(0, 2, 0));
    EXPECT_EQ(gBall->getWorldTransform().getOrigin(), btVector3(0, 7, 30));
    EXPECT_EQ(gBall->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(gBall->getAngularVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(ballPush, -1.0f);
    EXPECT_FALSE(ballPushPositive);

    ScriptedPlayer player(world);
    const int frameLimit = static_cast<int>(240.0f / dt);
    int frame = 0;
    for (; frame < frameLimit && !world.last.won; ++frame) {
        const Keys keys = player.decide();
        world.frame(dt, keys.w, keys.a, keys.s, keys.d);
    }
    std::cout << "after a restart: both fields mown after " << frame * dt << " s" << std::endl;
    EXPECT_TRUE(world.last.won);

    // A hundred more restarts, the last ones after the win: the world keeps every object it
    // had, no more.
    const int objectsAfterOne = [&] {
        world.restart();
        return gScene->getNumCollisionObjects();
    }();
    for (int i = 0; i < 99; ++i) {
        world.frames(3, dt, true, false, false, false);
        world.restart();
    }
    EXPECT_EQ(gScene->getNumCollisionObjects(), objectsAfterOne);
    EXPECT_EQ(world.mownCount(), 0);
    std::cout << "physics objects after 1 restart: " << objectsAfterOne
              << ", after 100: " << gScene->getNumCollisionObjects() << std::endl;
}
