#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <memory>
#include <vector>

#include "render/Geometry.h"

class Material;
class PhysicsWorld;
class btCollisionObject;
class btCollisionShape;
class btDiscreteDynamicsWorld;

// One mowable tile: a static trigger box in the physics world. Copying a tile copies the view
// of its trigger; the trigger and its box belong to the physics world, which keeps them for the
// whole run (a mown tile's trigger stays there without a shape until the tile grows again).
struct GrassTile {
    // Creates the trigger box at `position` and adds it to `physics`'s world.
    GrassTile(const glm::vec3& position, const glm::vec3& halfExtents, PhysicsWorld* physics);

    glm::vec3 getPosition() const { return position; }
    // True once the robot has driven into the tile and its trigger lost its shape.
    bool isMown() const;
    // A mown tile stands again: its trigger gets its box back and rejoins the world.
    void regrow();

    PhysicsWorld* physics = nullptr;
    btDiscreteDynamicsWorld* scene = nullptr;
    glm::vec3 position{0.0f};
    glm::vec3 halfExtents{0.0f};
    btCollisionObject* actor = nullptr;
    btCollisionShape* box = nullptr;  // the trigger's shape, kept for regrowing
};

using TileGrid = std::vector<std::vector<GrassTile>>;
using MatrixGrid = std::vector<std::vector<glm::mat4>>;

// True when no tile of the grid is left standing (also for an empty grid).
bool isFieldMown(const TileGrid& tiles);
// Every mown tile of the grid stands again.
void regrowTiles(TileGrid& tiles);

// A grid of tiles drawn as one mesh per unmown tile, each with the model matrix at the same row
// and column. The matrix grid must have the shape of the tile grid; a tile without a matrix is
// reported once at construction and never drawn.
class GrassField {
public:
    GrassField(MatrixGrid modelMatrices, TileGrid tiles, const GeometryData& mesh,
               std::shared_ptr<Material> material);

    // Draws every standing tile; returns true when no tile is left standing.
    bool draw() const;

    const TileGrid& getTiles() const { return tiles; }
    // Every tile stands again, for a new round.
    void regrow() { regrowTiles(tiles); }
    const MatrixGrid& getModelMatrices() const { return modelMatrices; }

private:
    const glm::mat4* matrixAt(std::size_t row, std::size_t column) const;

    MeshBuffers mesh;
    std::shared_ptr<Material> material;
    MatrixGrid modelMatrices;
    TileGrid tiles;
};
