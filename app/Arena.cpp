#include "app/Arena.h"

#include <glm/gtc/matrix_transform.hpp>

#include "app/GameState.h"
#include "app/Rules.h"
#include "physics/Camera.h"
#include "physics/PhysicsWorld.h"
#include "physics/Robot.h"

namespace {

constexpr int arenaRows = 44;
constexpr int arenaColumns = 44;
constexpr int plateauRows = 8;
constexpr int plateauColumns = 44;
constexpr float tileSpacing = 1.5f;

FieldLayout layoutField(int rows, int columns, glm::vec3 (*tilePosition)(int, int),
                        const glm::vec3& drawOffset) {
    FieldLayout layout;
    layout.tilePositions.resize(static_cast<std::size_t>(rows));
    layout.modelMatrices.resize(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const glm::vec3 position = tilePosition(r, c);
            layout.tilePositions[r].push_back(position);
            layout.modelMatrices[r].push_back(
                glm::translate(glm::mat4(1.0f), position + drawOffset));
        }
    }
    return layout;
}

btRigidBody* addStaticBox(const PhysicsMaterial& material, const btVector3& halfExtents,
                          const btTransform& pose) {
    auto* shape = gPhysics->createShape<btBoxShape>(halfExtents);
    btRigidBody* body = gPhysics->createStatic(shape, material, pose);
    gPhysics->addActor(body);
    return body;
}

}  // namespace

FieldLayout arenaFieldLayout() {
    return layoutField(
        arenaRows, arenaColumns,
        [](int r, int c) {
            return glm::vec3((r - 22) * tileSpacing, 1.5f, (c - 22) * tileSpacing);
        },
        glm::vec3(0.0f, -1.0f, 0.0f));
}

FieldLayout plateauFieldLayout() {
    return layoutField(
        plateauRows, plateauColumns,
        [](int r, int c) {
            return glm::vec3(((r - 4) - 40.5f) * tileSpacing, 5.0f, (c - 22) * tileSpacing);
        },
        glm::vec3(0.0f, 0.5f, 0.0f));
}

TileGrid createTiles(const FieldLayout& layout, PhysicsWorld* physics) {
    TileGrid tiles;
    tiles.reserve(layout.tilePositions.size());
    for (const auto& row : layout.tilePositions) {
        std::vector<GrassTile> tileRow;
        tileRow.reserve(row.size());
        for (const glm::vec3& position : row)
            tileRow.emplace_back(position, tileHalfExtents, physics);
        tiles.push_back(std::move(tileRow));
    }
    return tiles;
}

const PhysicsMaterial* createColliderMaterial() {
    return gPhysics ? gPhysics->createMaterial(0.1f, 0.1f, 0.1f) : nullptr;
}

void applyRobotActorSettings() {
    if (gController == nullptr) return;
    // The actor is kept awake. Inertia, mass and continuous collision mean nothing to a
    // kinematic body in Bullet: it is never pushed, and every move of the controller is swept.
    gController->getActor()->setActivationState(DISABLE_DEACTIVATION);
}

void createRampCollider(const PhysicsMaterial& material) {
    if (gPhysics == nullptr) return;
    const btQuaternion tilt(btVector3(0, 0, 1), 45.0f * degreesToRadians);
    addStaticBox(material, btVector3(0.5f, 3.5f, 50.0f), btTransform(tilt, btVector3(-50, 2, 0)));
}

void createPlateauCollider(const PhysicsMaterial& material) {
    if (gPhysics == nullptr) return;
    addStaticBox(material, btVector3(50.0f, 1.0f, 100.0f),
                 btTransform(btQuaternion::getIdentity(), btVector3(-104, 3.5f, 0)));
}

std::unique_ptr<GrassField> createArenaField(TileGrid tiles,
                                             std::shared_ptr<Material> grassMaterial) {
    return std::make_unique<GrassField>(arenaFieldLayout().modelMatrices, std::move(tiles),
                                        createBoxGeometry(1.5f, 1.5f, 1.5f, 1.0f, 1.0f),
                                        std::move(grassMaterial));
}

std::unique_ptr<GrassField> createPlateauField(TileGrid tiles,
                                               std::shared_ptr<Material> grassMaterial) {
    return std::make_unique<GrassField>(plateauFieldLayout().modelMatrices, std::move(tiles),
                                        createBoxGeometry(1.5f, 1.0f, 1.5f, 1.0f, 1.0f),
                                        std::move(grassMaterial));
}

ArenaPhysics buildArenaPhysics() {
    initPhysics();
    const PhysicsMaterial* colliderMaterial = createColliderMaterial();
    applyRobotActorSettings();
    createRampCollider(*colliderMaterial);
    createPlateauCollider(*colliderMaterial);
    ArenaPhysics arena;
    arena.arenaTiles = createTiles(arenaFieldLayout(), gPhysics);
    arena.plateauTiles = createTiles(plateauFieldLayout(), gPhysics);
    setBallInertia();
    return arena;
}

void restartArena(TileGrid& arenaTiles, TileGrid& plateauTiles) {
    startNewRound(game);
    camera.freeFly = false;
    wheelAngle = 0.0f;
    returnActorsToStart();
    regrowTiles(arenaTiles);
    regrowTiles(plateauTiles);
}

WorldFrame runWorldFrame(const TileGrid& arenaTiles, const TileGrid& plateauTiles,
                         const std::function<void()>& physicsStepped) {
    WorldFrame frame;
    wakeBall();
    if (!game.paused) {
        frame.moved = true;
        frame.steps = advancePhysics(game.frameTime);
        frame.mowing = gSimulationEvents.mownInLastAdvance();
        if (physicsStepped) physicsStepped();
        frame.drive = driveRobot(game.frameTime, game.forwardHeld, game.backwardHeld);
        frame.robot = placeRobot();
        frame.ball = drawnBallPose();
    }
    // Decided before the camera, which looks down on the parked robot once the game has ended.
    frame.won = roundWon(isFieldMown(arenaTiles), isFieldMown(plateauTiles));
    if (frame.won || game.gameOver) parkRobot();
    return frame;
}
