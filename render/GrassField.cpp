#include "render/GrassField.h"

#include <iostream>

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

GrassField::GrassField(MatrixGrid matrices, TileGrid tileGrid, const GeometryData& meshData,
                       std::shared_ptr<Material> fieldMaterial)
    : mesh(meshData),
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
}

const glm::mat4* GrassField::matrixAt(std::size_t row, std::size_t column) const {
    if (row >= modelMatrices.size() || column >= modelMatrices[row].size()) return nullptr;
    return &modelMatrices[row][column];
}

bool GrassField::draw() const {
    // Whether the field is cleared depends on the tiles alone, never on what could be drawn.
    const bool cleared = isFieldMown(tiles);
    Shader* shader = material ? material->getShader() : nullptr;
    if (cleared || shader == nullptr) return cleared;

    shader->use();
    material->setUniforms();
    mesh.bind();
    for (std::size_t row = 0; row < tiles.size(); ++row) {
        for (std::size_t column = 0; column < tiles[row].size(); ++column) {
            if (tiles[row][column].isMown()) continue;
            const glm::mat4* model = matrixAt(row, column);
            if (model == nullptr) continue;
            shader->setUniform("modelMatrix", *model);
            shader->setUniform("normalMatrix", normalMatrixFor(*model));
            mesh.drawElements();
        }
    }
    MeshBuffers::unbind();
    return cleared;
}
