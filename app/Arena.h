#pragma once

#include <functional>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <memory>
#include <vector>

#include "physics/Robot.h"
#include "physics/SimulationEvents.h"
#include "render/GrassField.h"

struct PhysicsMaterial;
class PhysicsWorld;

// The part of the arena that needs the physics world: the ramp and plateau colliders, the robot
// actor's settings and the two grass fields with their layout.

// Half extents of every tile's trigger box; they are twice the tile spacing wide, so
// neighbouring triggers overlap.
inline const glm::vec3 tileHalfExtents{1.5f, 1.0f, 1.5f};

// Where a field's tiles stand and where their boxes are drawn, row by row, each row column by
// column.
struct FieldLayout {
    std::vector<std::vector<glm::vec3>> tilePositions;
    MatrixGrid modelMatrices;
};

// 44 x 44 tiles covering the arena floor; 8 x 44 tiles on the plateau strip beyond the ramp.
FieldLayout arenaFieldLayout();
FieldLayout plateauFieldLayout();

// Creates the trigger of every tile of `layout` in `physics`'s world.
TileGrid createTiles(const FieldLayout& layout, PhysicsWorld* physics);

// The material shared by the ramp and the plateau colliders.
const PhysicsMaterial* createColliderMaterial();
// The robot's kinematic body: kept awake and swept continuously.
void applyRobotActorSettings();
// The ramp (tilted 45 degrees about z at x = -50) and the plateau beyond it.
void createRampCollider(const PhysicsMaterial& material);
void createPlateauCollider(const PhysicsMaterial& material);

// The arena's physics, with nothing drawn: the world, the robot actor's settings, the ramp and
// plateau colliders, the triggers of both fields and the ball's inertia. Start-up builds it
// here, and so do the physics tests and the benchmark, which drive it without a window.
struct ArenaPhysics {
    TileGrid arenaTiles;
    TileGrid plateauTiles;
};
ArenaPhysics buildArenaPhysics();

// The part of a new round that needs no window, which the game's restartRound and the tests'
// scripted player both run: the rules' new round (startNewRound), the camera back behind the
// robot, the wheels, the robot, the ball and the pendulum at their start places at rest, and
// every tile of both fields standing again.
void restartArena(TileGrid& arenaTiles, TileGrid& plateauTiles);

// What the world's part of one frame did, for the drawing, the sound and the rules.
struct WorldFrame {
    // False while paused: the world stood still and nothing of it below `won` was run.
    bool moved = false;
    int steps = 0;         // physics steps run
    StepMowing mowing;     // the tiles those steps mowed
    DriveResult drive;     // what obstacles did to the robot's drive
    RobotPlacement robot;  // where the robot's pieces and its lamp are drawn
    glm::mat4 ball{1.0f};  // the ball's drawn pose
    bool won = false;      // both fields mown
};

// The world's part of a frame, with no window, in the game's order: the ball kept awake; unless
// paused, the physics advanced by game.frameTime, the robot driven by the keys of the last read
// over that time and placed, the ball's drawn pose read; then the round won once both fields are
// mown, and once the game has ended (won or over) the robot hung up out of play. The frame loop,
// the tests' arena world and the benchmark all run their frames' physics through it.
// `physicsStepped`, if given, is called as soon as the physics steps are done, so that a frame's
// observer can time them on their own.
WorldFrame runWorldFrame(const TileGrid& arenaTiles, const TileGrid& plateauTiles,
                         const std::function<void()>& physicsStepped = nullptr);

// The two fields over their tiles, drawn with the grass material.
std::unique_ptr<GrassField> createArenaField(TileGrid tiles,
                                             std::shared_ptr<Material> grassMaterial);
std::unique_ptr<GrassField> createPlateauField(TileGrid tiles,
                                               std::shared_ptr<Material> grassMaterial);
