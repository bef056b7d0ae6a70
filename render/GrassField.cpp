#include "render/GrassField.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <glm/common.hpp>
#include <iostream>
#include <limits>

#include "physics/PhysicsWorld.h"
#include "render/Material.h"
#include "render/Shader.h"

GrassTile::GrassTile(const glm::vec3& tilePosition, const glm::vec3& tileHalfExtents,
                     PhysicsWorld* physicsWorld)
    : physics(physicsWorld), position(tilePosition), halfExtents(tileHalfExtents) {
    if (physics == nullptr) return;
    scene = &physics->scene();
    const PhysicsMaterial* material = physics->createMaterial(1.0f, 1.0f, 1.0f);
    box = physics->createShape<btBoxShape>(btVector3(halfExtents.x, halfExtents.y, halfExtents.z));
    actor = physics->createTrigger(
        box, *material,
        btTransform(btQuaternion::getIdentity(), btVector3(position.x, position.y, position.z)));
}

bool GrassTile::isMown() const {
    return actor == nullptr || !hasShape(*actor);
}

void GrassTile::regrow() {
    if (physics == nullptr || actor == nullptr || !isMown()) return;
    physics->restoreTrigger(*actor, box);
}

void regrowTiles(TileGrid& tiles) {
    for (auto& row : tiles) {
        for (GrassTile& tile : row) tile.regrow();
    }
}

bool isFieldMown(const TileGrid& tiles) {
    for (const auto& row : tiles) {
        for (const GrassTile& tile : row) {
            if (!tile.isMown()) return false;
        }
    }
    return true;
}

std::uint64_t nearestFirstKey(const glm::vec3& centre, const glm::vec3& viewpoint,
                              std::uint32_t index) {
    const glm::vec3 offset = centre - viewpoint;
    const float squaredDistance = glm::dot(offset, offset);
    // The bits of a float that is not negative order as the float does, so the distance can go
    // in the high half and the index break ties in the low half.
    std::uint32_t distanceBits = 0;
    static_assert(sizeof distanceBits == sizeof squaredDistance);
    std::memcpy(&distanceBits, &squaredDistance, sizeof distanceBits);
    return (static_cast<std::uint64_t>(distanceBits) << 32) | index;
}

bool boxOutsideView(const glm::mat4& clipFromBox, const glm::vec3& low, const glm::vec3& high) {
    // A corner gets a bit for each plane it lies beyond; the box is outside when all eight share
    // one. The planes are linear in clip space, so this holds for corners behind the eye too.
    unsigned sharedPlanes = 0x3f;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec4 p =
            clipFromBox * glm::vec4((corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y,
                                    (corner & 4) ? high.z : low.z, 1.0f);
        const unsigned beyond = (p.x < -p.w ? 0x01u : 0u) | (p.x > p.w ? 0x02u : 0u) |
                                (p.y < -p.w ? 0x04u : 0u) | (p.y > p.w ? 0x08u : 0u) |
                                (p.z < -p.w ? 0x10u : 0u) | (p.z > p.w ? 0x20u : 0u);
        sharedPlanes &= beyond;
        if (sharedPlanes == 0) return false;
    }
    return true;
}

namespace {
// Adds `columns` matrix columns of `components` floats each, starting `offset` bytes into every
// GrassInstance of the bound array buffer, to the bound vertex array at consecutive locations
// from `firstLocation`, each advancing once per instance.
void attachInstanceColumns(GLuint firstLocation, GLuint columns, GLint components,
                           std::size_t offset) {
    const auto stride = static_cast<GLsizei>(sizeof(GrassInstance));
    const std::size_t columnBytes = static_cast<std::size_t>(components) * sizeof(float);
    for (GLuint column = 0; column < columns; ++column) {
        const GLuint location = firstLocation + column;
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offset + column * columnBytes));
        glVertexAttribDivisor(location, 1);
    }
}

// Moved, neither turned nor scaled: its sides keep their directions and sizes.
bool onlyMoves(const glm::mat4& model) {
    return glm::mat3(model) == glm::mat3(1.0f) && model[0][3] == 0.0f && model[1][3] == 0.0f &&
           model[2][3] == 0.0f && model[3][3] == 1.0f;
}
}  // namespace

GrassField::GrassField(MatrixGrid matrices, TileGrid tileGrid, const GeometryData& meshData,
                       std::shared_ptr<Material> fieldMaterial)
    : mesh(meshData),
      instanceBuffer(GlBuffer::create()),
      material(std::move(fieldMaterial)),
      modelMatrices(std::move(matrices)),
      tiles(std::move(tileGrid)) {
    bool shapesMatch = modelMatrices.size() == tiles.size();
    for (std::size_t row = 0; shapesMatch && row < tiles.size(); ++row) {
        shapesMatch = modelMatrices[row].size() == tiles[row].size();
    }
    if (!shapesMatch) {
        std::cout << "Grass field: the matrix grid does not match the tile grid; tiles without "
                     "a matrix are not drawn"
                  << std::endl;
    }

    for (std::size_t row = 0; row < tiles.size(); ++row) {
        for (std::size_t column = 0; column < tiles[row].size(); ++column) {
            const glm::mat4* model = matrixAt(row, column);
            if (model == nullptr) continue;
            PlacedTile tile;
            tile.row = row;
            tile.column = column;
            tile.centre = glm::vec3((*model)[3]);
            tile.instance.modelMatrix = *model;
            tile.instance.normalMatrix = normalMatrixFor(*model);
            placed.push_back(tile);
        }
    }
    findNeighbours(meshData);
    drawOrder.reserve(placed.size());
    staged.resize(placed.size());
    uploadedOrder.reserve(placed.size());
    standing.resize(placed.size());
    uploadedStanding.resize(placed.size());

    // The model matrix at locations 3 to 6 and the normal matrix at 7 to 9, after the mesh's own
    // three attributes.
    mesh.bind();
    glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(placed.size() * sizeof(GrassInstance)),
                 nullptr, GL_DYNAMIC_DRAW);
    attachInstanceColumns(3, 4, 4, offsetof(GrassInstance, modelMatrix));
    attachInstanceColumns(7, 3, 3, offsetof(GrassInstance, normalMatrix));
    glEnableVertexAttribArray(10);
    glVertexAttribIPointer(10, 1, GL_UNSIGNED_INT, static_cast<GLsizei>(sizeof(GrassInstance)),
                           reinterpret_cast<const void*>(offsetof(GrassInstance, innerSides)));
    glVertexAttribDivisor(10, 1);
    MeshBuffers::unbind();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

const glm::mat4* GrassField::matrixAt(std::size_t row, std::size_t column) const {
    if (row >= modelMatrices.size() || column >= modelMatrices[row].size()) return nullptr;
    return &modelMatrices[row][column];
}

void GrassField::findNeighbours(const GeometryData& meshData) {
    highestTop = -std::numeric_limits<float>::infinity();
    if (meshData.positions.empty()) return;
    glm::vec3 low = meshData.positions.front();
    glm::vec3 high = low;
    for (const glm::vec3& position : meshData.positions) {
        low = glm::min(low, position);
        high = glm::max(high, position);
    }
    meshLow = low;
    meshHigh = high;

    std::vector<std::vector<std::optional<std::size_t>>> placedAt(tiles.size());
    for (std::size_t row = 0; row < tiles.size(); ++row) placedAt[row].resize(tiles[row].size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const PlacedTile& tile = placed[i];
        placedAt[tile.row][tile.column] = i;
        for (const float x : {low.x, high.x}) {
            for (const float z : {low.z, high.z}) {
                const glm::vec4 corner = tile.instance.modelMatrix * glm::vec4(x, high.y, z, 1.0f);
                highestTop = std::max(highestTop, corner.y / corner.w);
            }
        }
    }

    // Where the neighbour on each side stands, measured from this tile, when the two meet flush.
    const glm::vec3 size = high - low;
    const glm::vec3 sideOffsets[tileSideCount] = {
        {size.x, 0.0f, 0.0f}, {-size.x, 0.0f, 0.0f}, {0.0f, 0.0f, size.z}, {0.0f, 0.0f, -size.z}};
    const float tolerance = 1e-4f * std::max(size.x, size.z);
    const std::pair<int, int> gridSteps[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (PlacedTile& tile : placed) {
        if (!onlyMoves(tile.instance.modelMatrix)) continue;
        for (const auto& [rowStep, columnStep] : gridSteps) {
            const auto row = static_cast<std::ptrdiff_t>(tile.row) + rowStep;
            const auto column = static_cast<std::ptrdiff_t>(tile.column) + columnStep;
            if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= placedAt.size() ||
                static_cast<std::size_t>(column) >= placedAt[row].size()) {
                continue;
            }
            const std::optional<std::size_t> other = placedAt[row][column];
            if (!other || !onlyMoves(placed[*other].instance.modelMatrix)) continue;
            const glm::vec3 offset = placed[*other].centre - tile.centre;
            for (int side = 0; side < tileSideCount; ++side) {
                const glm::vec3 miss = glm::abs(offset - sideOffsets[side]);
                if (std::max({miss.x, miss.y, miss.z}) <= tolerance) tile.neighbours[side] = other;
            }
        }
    }
}

std::uint32_t GrassField::innerSidesOf(const PlacedTile& tile) const {
    std::uint32_t sides = 0;
    for (int side = 0; side < tileSideCount; ++side) {
        const std::optional<std::size_t> other = tile.neighbours[side];
        if (!other) continue;
        const PlacedTile& neighbour = placed[*other];
        if (!tiles[neighbour.row][neighbour.column].isMown()) sides |= innerSideBit(side);
    }
    return sides;
}

void GrassField::orderStandingTiles(const glm::vec3& viewpoint,
                                    const std::optional<glm::mat4>& viewProjection) {
    drawOrder.clear();
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const PlacedTile& tile = placed[i];
        standing[i] = !tiles[tile.row][tile.column].isMown();
        if (!standing[i]) continue;
        if (viewProjection &&
            boxOutsideView(*viewProjection * tile.instance.modelMatrix, meshLow, meshHigh)) {
            continue;
        }
        drawOrder.push_back(nearestFirstKey(tile.centre, viewpoint, static_cast<std::uint32_t>(i)));
    }
    std::sort(drawOrder.begin(), drawOrder.end());
}

void GrassField::uploadInstances() {
    // A tile's inner sides follow what stands beside it, which may be out of view: the same order
    // needs the same standing tiles as well.
    const bool unchanged =
        drawOrder.size() == uploadedOrder.size() &&
        std::equal(drawOrder.begin(), drawOrder.end(), uploadedOrder.begin(),
                   [](std::uint64_t key, std::uint32_t index) { return keyIndex(key) == index; }) &&
        standing == uploadedStanding;
    if (unchanged) return;

    uploadedStanding = standing;
    uploadedOrder.clear();
    for (std::size_t slot = 0; slot < drawOrder.size(); ++slot) {
        const std::uint32_t index = keyIndex(drawOrder[slot]);
        staged[slot] = placed[index].instance;
        staged[slot].innerSides = innerSidesOf(placed[index]);
        uploadedOrder.push_back(index);
    }
    glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer.get());
    glBufferSubData(GL_ARRAY_BUFFER, 0,
                    static_cast<GLsizeiptr>(drawOrder.size() * sizeof(GrassInstance)),
                    staged.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

bool GrassField::draw(const glm::vec3& viewpoint, std::optional<float> nearReach,
                      const std::optional<glm::mat4>& viewProjection) {
    // Whether the field is cleared depends on the tiles alone, never on what could be drawn.
    const bool cleared = isFieldMown(tiles);
    Shader* shader = material ? material->getShader() : nullptr;
    if (cleared || shader == nullptr) return cleared;

    orderStandingTiles(viewpoint, viewProjection);
    // Nothing standing is in view, or what stands has no matrix to be drawn with.
    if (drawOrder.empty()) return cleared;
    uploadInstances();

    shader->use();
    material->setUniforms();
    const bool aboveTheGrass = nearReach && viewpoint.y > highestTop + *nearReach;
    shader->setUniform("leaveOutInnerSides", aboveTheGrass ? 1 : 0);
    mesh.bind();
    mesh.drawElementsInstanced(static_cast<GLsizei>(drawOrder.size()));
    MeshBuffers::unbind();
    return cleared;
}
