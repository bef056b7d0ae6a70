#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "ArenaWorld.h"

namespace {

// The robot's capsule centre rests a skin (0.05) above its half height (1.55).
constexpr float restHeight = 1.6f;

}  // namespace

TEST(RobotController, SettlesOnTheGroundWhereItStarts) {
    ArenaWorld world;
    world.frames(120, frameDt, false, false, false, false);
    const btVector3 at = world.robot();
    EXPECT_NEAR(at.y(), restHeight, 0.01f);
    EXPECT_NEAR(at.x(), 0.0f, 1e-4f);
    EXPECT_NEAR(at.z(), 0.0f, 1e-4f);
    EXPECT_NEAR(game.robotPosition.y, restHeight, 0.01f);
}

TEST(RobotController, AtHeadingZeroWDrivesTowardsMinusZAndSTowardsPlusZ) {
    {
        ArenaWorld world;
        world.frames(30, frameDt, false, false, false, false);
        world.frames(60, frameDt, true, false, false, false);
        EXPECT_LT(world.robot().z(), -0.5f);
        EXPECT_NEAR(world.robot().x(), 0.0f, 1e-3f);
        EXPECT_LT(game.driveSpeed, 0.0f);
    }
    {
        ArenaWorld world;
        world.frames(30, frameDt, false, false, false, false);
        world.frames(60, frameDt, false, false, true, false);
        EXPECT_GT(world.robot().z(), 0.5f);
        EXPECT_NEAR(world.robot().x(), 0.0f, 1e-3f);
        EXPECT_GT(game.driveSpeed, 0.0f);
    }
}

TEST(RobotController, ClimbsTheRampOntoThePlateauAndStopsAtTheFarWall) {
    ArenaWorld world;
    game.robotHeading = 90.0f;  // W drives towards -x
    float highestX = 0.0f;
    bool reachedPlateau = false;
    for (int i = 0; i < 60 * 30; ++i) {
        world.frame(frameDt, true, false, false, false);
        const btVector3 at = world.robot();
        highestX = std::min(highestX, at.x());
        if (at.x() < -60.0f && std::abs(at.y() - 6.1f) < 0.02f) reachedPlateau = true;
        ASSERT_GT(at.y(), 1.5f);
    }
    EXPECT_TRUE(reachedPlateau);
    // The wall's face is at x = -99.5: the capsule stops a radius and a skin in front of it.
    EXPECT_NEAR(world.robot().x(), -99.5f + 1.55f, 0.02f);
    EXPECT_GE(highestX, -99.5f + 1.5f);
    EXPECT_NEAR(world.robot().y(), 6.1f, 0.02f);
}

TEST(RobotController, StaysInsideTheWallsUnderRandomDriving) {
    ArenaWorld world;
    std::srand(7);
    bool w = true, a = false, s = false, d = false;
    for (int i = 0; i < 60 * 180; ++i) {
        if (i % 45 == 0) {
            const int choice = std::rand() % 6;
            w = choice != 5;
            s = choice == 5;
            a = choice == 1 || choice == 2;
            d = choice == 3;
        }
        world.frame(frameDt, w, a, s, d);
        const btVector3 at = world.robot();
        ASSERT_GT(at.x(), -99.5f + 1.5f) << "frame " << i;
        ASSERT_LT(at.x(), 49.5f - 1.5f) << "frame " << i;
        ASSERT_GT(at.z(), -49.5f + 1.5f) << "frame " << i;
        ASSERT_LT(at.z(), 49.5f - 1.5f) << "frame " << i;
        ASSERT_GT(at.y(), 1.5f) << "frame " << i;
    }
}

TEST(RobotController, SinksByTheFallSpeedWithNothingBelow) {
    ArenaWorld world;
    gController->setPosition(btVector3(0, 200, 0));
    driveRobot(0.02f, false, false);
    EXPECT_NEAR(world.robot().y(), 200.0f - 9.8f * 0.02f, 1e-4f);
}

namespace {

// Drives a robot-sized capsule along +x over flat ground towards a box step `height` high whose
// near face is at x = 5; returns where it ends.
btVector3 driveAtStep(float height, ClimbingMode mode) {
    PhysicsWorld physics;
    const PhysicsMaterial* material = physics.createMaterial(0.1f, 0.1f, 0.1f);
    physics.addActor(
        physics.createStatic(physics.createShape<btStaticPlaneShape>(btVector3(0, 1, 0), 0.0f),
                             *material, btTransform::getIdentity()));
    physics.addActor(physics.createStatic(
        physics.createShape<btBoxShape>(btVector3(10.0f, height / 2.0f, 10.0f)), *material,
        btTransform(btQuaternion::getIdentity(), btVector3(15.0f, height / 2.0f, 0))));
    CapsuleControllerDesc desc;
    desc.position = btVector3(0, 2, 0);
    desc.slopeLimit = 0.2f;
    desc.contactOffset = 0.05f;
    desc.stepOffset = 0.25f;
    desc.radius = 1.5f;
    desc.height = 0.1f;
    desc.material = material;
    auto controller = CharacterController::create(physics.scene(), desc);
    controller->setClimbingMode(mode);
    for (int i = 0; i < 100; ++i) controller->move(btVector3(0.2f, -0.16f, 0), 0.01f, frameDt);
    return controller->getPosition();
}

}  // namespace

TEST(RobotController, StepsOntoEdgesUpToTheStepOffsetAndIsStoppedByHigherOnes) {
    const btVector3 low = driveAtStep(0.2f, ClimbingMode::constrained);
    EXPECT_NEAR(low.x(), 20.0f, 1e-3f);
    EXPECT_NEAR(low.y(), restHeight + 0.2f, 0.01f);

    // The rounded bottom meets the 0.4 edge about a unit before the face; it stays there.
    const btVector3 high = driveAtStep(0.4f, ClimbingMode::constrained);
    EXPECT_GT(high.x(), 3.9f);
    EXPECT_LT(high.x(), 4.05f);
    EXPECT_NEAR(high.y(), restHeight, 0.01f);

    // The easy way lets the rounded bottom ride up onto it; the robot is set to climb the
    // constrained way.
    const btVector3 easy = driveAtStep(0.4f, ClimbingMode::easy);
    EXPECT_NEAR(easy.x(), 20.0f, 1e-3f);
    EXPECT_NEAR(easy.y(), restHeight + 0.4f, 0.01f);
    ArenaWorld world;
    EXPECT_EQ(gController->getClimbingMode(), ClimbingMode::constrained);
}

TEST(RobotController, AnInvalidDescriptionMakesNoController) {
    PhysicsWorld physics;
    CapsuleControllerDesc desc;
    desc.radius = 1.5f;
    desc.height = 0.1f;
    EXPECT_FALSE(desc.isValid());  // no material
    EXPECT_EQ(CharacterController::create(physics.scene(), desc), nullptr);
    const PhysicsMaterial* material = physics.createMaterial(0.5f, 0.5f, 0.3f);
    desc.material = material;
    EXPECT_TRUE(desc.isValid());
    desc.stepOffset = 3.2f;  // taller than the capsule
    EXPECT_FALSE(desc.isValid());
    desc.stepOffset = -0.1f;
    EXPECT_FALSE(desc.isValid());
    desc.stepOffset = 0.0f;
    EXPECT_TRUE(desc.isValid());
    desc.density = -1.0f;
    EXPECT_FALSE(desc.isValid());
    desc.density = 0.0f;
    EXPECT_TRUE(desc.isValid());
    desc.contactOffset = 0.0f;
    EXPECT_FALSE(desc.isValid());
    desc.contactOffset = 0.05f;
    desc.slopeLimit = -0.1f;
    EXPECT_FALSE(desc.isValid());
    desc.slopeLimit = 0.2f;
    desc.position = btVector3(0, std::nanf(""), 0);
    EXPECT_FALSE(desc.isValid());
}
