#pragma once

#include <array>
#include <cstdint>
#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <memory>
#include <optional>
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

// What the grass vertex stage reads per tile (attribute divisor 1): the model matrix at locations
// 3 to 6 and the normal matrix at 7 to 9, the latter computed on the processor exactly as for
// every other drawable, so that the tiles are lit to the same bit.
// The integer at location 10 holds the tile's inner sides (see innerSideBit).
struct GrassInstance {
    glm::mat4 modelMatrix{1.0f};
    glm::mat3 normalMatrix{1.0f};
    std::uint32_t innerSides = 0;
};

// The sides of a tile that meet a standing neighbour lie inside the grass, where nothing is seen
// from above it. Each has a bit, after the direction of its outward normal: +x, -x, +z, -z.
constexpr int tileSideCount = 4;
constexpr std::uint32_t innerSideBit(int side) {
    return 1u << side;
}

// The drawing order of a tile whose mesh stands at `centre`, seen from `viewpoint`, as one number:
// sorted ascending, the keys put the nearest tile first and tiles at equal distance in index
// order, so that the order is the same on every machine. The index comes back with keyIndex.
std::uint64_t nearestFirstKey(const glm::vec3& centre, const glm::vec3& viewpoint,
                              std::uint32_t index);
inline std::uint32_t keyIndex(std::uint64_t key) {
    return static_cast<std::uint32_t>(key & 0xffffffffu);
}

// True when the box from `low` to `high`, taken to clip space by `clipFromBox`, lies wholly
// beyond one of the six planes of the view volume, so that drawing it could not cover a pixel.
// A box that the view volume's planes only cut, or that reaches from behind the eye into the
// view, is not outside.
bool boxOutsideView(const glm::mat4& clipFromBox, const glm::vec3& low, const glm::vec3& high);

// A grid of tiles drawn with one mesh, each standing tile with the model matrix at its row and
// column. The matrix grid must have the shape of the tile grid; a tile without a matrix is
// reported once at construction and never drawn.
class GrassField {
public:
    GrassField(MatrixGrid modelMatrices, TileGrid tiles, const GeometryData& mesh,
               std::shared_ptr<Material> material);

    // Draws every standing tile in one instanced draw, the tile nearest to `viewpoint` first, so
    // that the depth test discards the faces that nearer tiles hide before they are shaded.
    // Which tiles stand is read from the tiles at every draw: a tile mown, or standing again,
    // shows in the next draw. Returns true when no tile is left standing, and then draws nothing.
    //
    // With `nearReach` (how far from the eye the near clipping plane reaches), the sides where
    // two standing tiles meet are left out while `viewpoint` is higher above every tile than
    // that: from there a tile's top hides them, and they would only cost the depth test. From
    // inside the grass, and without `nearReach` (wireframe drawing shows every edge), they are
    // drawn.
    //
    // With `viewProjection` (the camera's, world to clip space), tiles wholly outside the view are
    // left out of the draw: on a software renderer each costs vertex work for nothing.
    bool draw(const glm::vec3& viewpoint, std::optional<float> nearReach = std::nullopt,
              const std::optional<glm::mat4>& viewProjection = std::nullopt);

    const TileGrid& getTiles() const { return tiles; }
    // Which tiles stand is read at every draw: a tile regrown here shows in the next one.
    TileGrid& getTiles() { return tiles; }

private:
    // A tile that has a matrix, and so can be drawn.
    struct PlacedTile {
        std::size_t row = 0;
        std::size_t column = 0;
        glm::vec3 centre{0.0f};  // where its mesh's origin stands in the world
        GrassInstance instance;
        // The placed tile whose side meets each of this tile's sides, or none.
        std::array<std::optional<std::size_t>, tileSideCount> neighbours;
    };

    // Finds the tiles whose sides meet, side to side and flush, among grid neighbours that are
    // only moved (not turned or scaled) from one another.
    void findNeighbours(const GeometryData& meshData);
    std::uint32_t innerSidesOf(const PlacedTile& tile) const;

    const glm::mat4* matrixAt(std::size_t row, std::size_t column) const;
    // Fills `drawOrder` with the keys of the standing tiles, nearest first, leaving out those
    // outside `viewProjection`'s view where one is given.
    void orderStandingTiles(const glm::vec3& viewpoint,
                            const std::optional<glm::mat4>& viewProjection);
    // Writes the instances of `drawOrder` to the instance buffer, unless it already holds them
    // in that order.
    void uploadInstances();

    MeshBuffers mesh;
    GlBuffer instanceBuffer;  // room for every placed tile, made once
    std::shared_ptr<Material> material;
    MatrixGrid modelMatrices;
    TileGrid tiles;

    // Every placed tile in grid order, and the per-frame scratch, all sized at construction so
    // that a draw allocates nothing.
    std::vector<PlacedTile> placed;
    std::vector<std::uint64_t> drawOrder;
    std::vector<GrassInstance> staged;
    float highestTop = 0.0f;                     // of any tile's mesh, in the world
    glm::vec3 meshLow{0.0f}, meshHigh{0.0f};     // the box around the tile mesh, in its own space
    std::vector<std::uint32_t> uploadedOrder;    // indices into `placed` the buffer holds
    std::vector<std::uint8_t> standing;          // 1 for each placed tile standing at this draw
    std::vector<std::uint8_t> uploadedStanding;  // and at the draw that filled the buffer
};
