#pragma once

#include <cmath>
#include <utility>

#include "app/Arena.h"
#include "app/GameState.h"
#include "app/Input.h"
#include "physics/PhysicsWorld.h"
#include "physics/Robot.h"

// The game's physics world as start-up builds it (world, robot, ramp, plateau, the triggers of
// both fields, the ball's inertia), without a window: the fields' tiles are kept as grids.
// Frames run the world's part of the game's frame.
struct ArenaWorld {
    ArenaWorld() {
        game = GameState{};
        wheelAngle = 0.0f;
        ArenaPhysics arena = buildArenaPhysics();
        arenaTiles = std::move(arena.arenaTiles);
        plateauTiles = std::move(arena.plateauTiles);
    }
    ~ArenaWorld() { shutdownPhysics(); }
    ArenaWorld(const ArenaWorld&) = delete;
    ArenaWorld& operator=(const ArenaWorld&) = delete;

    // One frame whose clock reading at its end says `dt` seconds passed, with the given keys read
    // after it. The world's part is the game's own, so the robot and the ball use the frame time
    // of the frame before (0 in the first), and the keys the new one.
    void frame(float dt, bool w, bool a, bool s, bool d) {
        last = runWorldFrame(arenaTiles, plateauTiles);
        game.frameTime = dt;
        ++game.frameNumber;
        applyDriveKeys(game, w, a, s, d, game.frameTime);
    }

    // A new round as restartRound starts one, for the parts that need no window.
    void restart() { restartArena(arenaTiles, plateauTiles); }

    void frames(int count, float dt, bool w, bool a, bool s, bool d) {
        for (int i = 0; i < count; ++i) frame(dt, w, a, s, d);
    }

    btVector3 robot() const { return gController->getPosition(); }

    int mownCount() const {
        int mown = 0;
        for (const TileGrid* grid : {&arenaTiles, &plateauTiles}) {
            for (const auto& row : *grid) {
                for (const GrassTile& tile : row) mown += tile.isMown() ? 1 : 0;
            }
        }
        return mown;
    }

    TileGrid arenaTiles;
    TileGrid plateauTiles;
    WorldFrame last;  // what the world's part of the last frame did
};

constexpr float frameDt = 1.0f / 60.0f;

// How far (degrees, within [-180, 180]) the robot must turn to face the point (x, z): W drives
// towards (-sin h, -cos h), A turns the heading up and D down. Scripted drivers steer by it.
inline float headingErrorTowards(float x, float z) {
    const btVector3 at = gController->getPosition();
    const float wanted = std::atan2(-(x - at.x()), -(z - at.z())) * 57.29578f;
    float error = std::fmod(wanted - game.robotHeading, 360.0f);
    if (error > 180.0f) error -= 360.0f;
    if (error < -180.0f) error += 360.0f;
    return error;
}
