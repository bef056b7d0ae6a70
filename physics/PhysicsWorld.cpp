#include "physics/PhysicsWorld.h"

#include <BulletCollision/CollisionDispatch/btManifoldResult.h>
#include <BulletDynamics/ConstraintSolver/btGeneric6DofSpring2Constraint.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <iostream>
#include <utility>

#include "app/GameState.h"

PhysicsWorld* gPhysics = nullptr;
btDiscreteDynamicsWorld* gScene = nullptr;
const PhysicsMaterial* gMaterial = nullptr;
CharacterController* gController = nullptr;
btRigidBody* gPendulumAnchor = nullptr;
btRigidBody* gPendulumBox = nullptr;
btRigidBody* gBall = nullptr;

float ballPush = -1.0f;
bool ballPushPositive = false;

namespace {

// The one world; gPhysics is a view of it.
std::unique_ptr<PhysicsWorld> worldOwner;

const btVector3 gravity(0.0f, -9.8f, 0.0f);
const btVector3 pendulumAnchorPosition(5.0f, 8.0f, 1.0f);
const btVector3 robotStartPosition(0.0f, 2.0f, 0.0f);
const btVector3 ballStartPosition(0.0f, 7.0f, 30.0f);
constexpr float ballFirstPush = -1.0f;
// A frame this close to a whole number of steps runs exactly that many. A frame time is the
// difference of two double-precision clock readings narrowed to single precision: off by a few
// nanoseconds at most for readings below 2^32 s (136 years), plus the timer's own resolution,
// which is a microsecond at its coarsest (a microsecond system timer), for each reading. Four
// microseconds hold both readings' rounding with room to spare, and are far below the 17 us
// by which a 59.94 Hz display's frames differ from 1/60 s: those run by their real time.
constexpr float stepSnapTolerance = 4e-6f;

// Whether the ball's patrol has decided the push of the next step (not before the first step of
// a world or of a round), and the wobble that goes with it.
bool ballPushDue = false;
glm::vec3 dueWobble(0.0f);

// As each step begins: the push and wobble that the last step decided, gravity, and awake.
void pushBall() {
    if (gBall == nullptr) return;
    // Bullet adds gravity once for all the steps of a frame and clears the forces after the last
    // one: the ball's forces are set afresh for each step.
    gBall->clearForces();
    gBall->applyGravity();
    if (ballPushDue) {
        gBall->applyCentralForce(btVector3(0.0f, 0.0f, ballPush));
        gBall->applyCentralForce(btVector3(dueWobble.x, dueWobble.y, dueWobble.z));
    }
    gBall->activate(true);
}

// After each step: the patrol reads where the step left the ball and decides the next push.
void patrolBall() {
    if (gBall == nullptr || gPhysics == nullptr) return;
    const BallPatrol patrol =
        nextBallPatrol(gBall->getWorldTransform().getOrigin().z(), ballPush, ballPushPositive);
    ballPush = patrol.push;
    ballPushPositive = patrol.pushPositive;
    ballPushDue = true;
    dueWobble = ballWobble(static_cast<int>((gPhysics->stepCount() - 1) % 4));
}

// Two touching surfaces use the mean of their frictions and of their restitutions. The tuning of
// the ball (1.1) against the ground (0.1) is made for the mean; Bullet's own product would all
// but stop the ball's bounce.
btScalar averageFriction(const btCollisionObject* a, const btCollisionObject* b) {
    return 0.5f * (a->getFriction() + b->getFriction());
}
btScalar averageRestitution(const btCollisionObject* a, const btCollisionObject* b) {
    return 0.5f * (a->getRestitution() + b->getRestitution());
}

btQuaternion rotationAboutZ(float degrees) {
    return btQuaternion(btVector3(0, 0, 1), degrees * degreesToRadians);
}

// Where initPhysics makes the pendulum's box: at the origin, not where the joint holds it, so
// that the joint pulls it up into place in the first steps.
btTransform pendulumBoxStart() {
    return btTransform(rotationAboutZ(90.0f), btVector3(0, 0, 0));
}

// Puts a moving body at `pose` at rest, as if it had just been made there.
void placeAtRest(btRigidBody& body, const btTransform& pose) {
    body.setWorldTransform(pose);
    body.setInterpolationWorldTransform(pose);
    if (body.getMotionState() != nullptr) body.getMotionState()->setWorldTransform(pose);
    body.setLinearVelocity(btVector3(0, 0, 0));
    body.setAngularVelocity(btVector3(0, 0, 0));
    body.setInterpolationLinearVelocity(btVector3(0, 0, 0));
    body.setInterpolationAngularVelocity(btVector3(0, 0, 0));
    body.clearForces();
    body.activate(true);
}

bool isTouching(const btPersistentManifold& manifold) {
    for (int i = 0; i < manifold.getNumContacts(); ++i) {
        if (manifold.getContactPoint(i).getDistance() < 0.0f) return true;
    }
    return false;
}

}  // namespace

void applyMaterial(btCollisionObject& object, const PhysicsMaterial& material) {
    object.setFriction(material.dynamicFriction);
    object.setRestitution(material.restitution);
}

PhysicsWorld::PhysicsWorld()
    : collisionConfiguration(std::make_unique<btDefaultCollisionConfiguration>()),
      dispatcher(std::make_unique<btCollisionDispatcher>(collisionConfiguration.get())),
      broadphase(std::make_unique<btDbvtBroadphase>()),
      solver(std::make_unique<btSequentialImpulseConstraintSolver>()),
      dynamicsWorld(std::make_unique<SteppedDynamicsWorld>(
          dispatcher.get(), broadphase.get(), solver.get(), collisionConfiguration.get())) {
    gCalculateCombinedFrictionCallback = averageFriction;
    gCalculateCombinedRestitutionCallback = averageRestitution;
    dynamicsWorld->setGravity(gravity);
    // Split impulse keeps penetration recovery from adding energy: without it the ball, whose
    // restitution with the ground is above 0.5, gains height until it leaves the arena.
    dynamicsWorld->getSolverInfo().m_splitImpulse = 1;
    // Thousands of grass triggers never move: only awake objects get their bounds refreshed.
    dynamicsWorld->setForceUpdateAllAabbs(false);
    dynamicsWorld->setInternalTickCallback(beforeSimulationStep, this, true);
    dynamicsWorld->setInternalTickCallback(afterSimulationStep, this, false);
    // A body's drawn pose is carried on from its last step by the time owed (not held back a
    // step, as Bullet does by default): with frames of one step each it is the step's own pose.
    dynamicsWorld->setLatencyMotionStateInterpolation(false);
}

void PhysicsWorld::beforeSimulationStep(btDynamicsWorld* world, btScalar /*timeStep*/) {
    auto* physics = static_cast<PhysicsWorld*>(world->getWorldUserInfo());
    // Bullet has just derived the robot's velocity from how far it moved since the last step;
    // the controller knows the real one.
    if (physics->controller) physics->controller->applyVelocityToBody();
    if (physics->beforeStep) physics->beforeStep();
}

void PhysicsWorld::afterSimulationStep(btDynamicsWorld* world, btScalar /*timeStep*/) {
    auto* physics = static_cast<PhysicsWorld*>(world->getWorldUserInfo());
    ++physics->steps;
    if (physics->reportTo != nullptr) physics->reportPairs(*physics->reportTo);
    if (physics->afterStep) physics->afterStep();
}

PhysicsWorld::~PhysicsWorld() {
    controller.reset();
    for (auto& constraint : constraints) dynamicsWorld->removeConstraint(constraint.get());
    for (auto& object : objects) {
        if (object->getBroadphaseHandle() == nullptr) continue;  // a mown trigger
        if (auto* body = btRigidBody::upcast(object.get())) {
            dynamicsWorld->removeRigidBody(body);
        } else {
            dynamicsWorld->removeCollisionObject(object.get());
        }
    }
}

const PhysicsMaterial* PhysicsWorld::createMaterial(float staticFriction, float dynamicFriction,
                                                    float restitution) {
    materials.push_back(PhysicsMaterial{staticFriction, dynamicFriction, restitution});
    return &materials.back();
}

btRigidBody* PhysicsWorld::createStatic(btCollisionShape* shape, const PhysicsMaterial& material,
                                        const btTransform& pose) {
    btRigidBody::btRigidBodyConstructionInfo info(0.0f, nullptr, shape);
    info.m_startWorldTransform = pose;
    auto body = std::make_unique<btRigidBody>(info);
    applyMaterial(*body, material);
    btRigidBody* view = body.get();
    objects.push_back(std::move(body));
    return view;
}

btRigidBody* PhysicsWorld::createDynamic(btCollisionShape* shape, const PhysicsMaterial& material,
                                         const btTransform& pose, float density) {
    // Mass from the shape's bounding volume: exact for the boxes and spheres used here.
    btVector3 min, max;
    shape->getAabb(btTransform::getIdentity(), min, max);
    const btVector3 size = max - min;
    float volume = size.x() * size.y() * size.z();
    if (shape->getShapeType() == SPHERE_SHAPE_PROXYTYPE) volume *= SIMD_PI / 6.0f;
    const float mass = density * volume;
    btVector3 inertia(0, 0, 0);
    shape->calculateLocalInertia(mass, inertia);

    motionStates.push_back(std::make_unique<btDefaultMotionState>(pose));
    btRigidBody::btRigidBodyConstructionInfo info(mass, motionStates.back().get(), shape, inertia);
    info.m_angularDamping = 0.05f;
    auto body = std::make_unique<btRigidBody>(info);
    applyMaterial(*body, material);
    btRigidBody* view = body.get();
    objects.push_back(std::move(body));
    return view;
}

btCollisionObject* PhysicsWorld::createTrigger(btCollisionShape* shape,
                                               const PhysicsMaterial& material,
                                               const btTransform& pose) {
    auto trigger = std::make_unique<btCollisionObject>();
    trigger->setCollisionShape(shape);
    trigger->setWorldTransform(pose);
    trigger->setCollisionFlags(btCollisionObject::CF_STATIC_OBJECT |
                               btCollisionObject::CF_NO_CONTACT_RESPONSE);
    applyMaterial(*trigger, material);
    addTriggerToWorld(*trigger);
    btCollisionObject* view = trigger.get();
    objects.push_back(std::move(trigger));
    return view;
}

void PhysicsWorld::restoreTrigger(btCollisionObject& trigger, btCollisionShape* shape) {
    if (shape == nullptr || trigger.getBroadphaseHandle() != nullptr) return;
    trigger.setCollisionShape(shape);
    addTriggerToWorld(trigger);
}

void PhysicsWorld::addTriggerToWorld(btCollisionObject& trigger) {
    trigger.forceActivationState(ISLAND_SLEEPING);
    dynamicsWorld->addCollisionObject(
        &trigger, btBroadphaseProxy::StaticFilter,
        btBroadphaseProxy::AllFilter ^ btBroadphaseProxy::StaticFilter);
}

void PhysicsWorld::addActor(btRigidBody* body) {
    dynamicsWorld->addRigidBody(body);
}

void PhysicsWorld::addConstraint(std::unique_ptr<btTypedConstraint> constraint) {
    dynamicsWorld->addConstraint(constraint.get(), true);
    constraints.push_back(std::move(constraint));
}

void PhysicsWorld::setController(std::unique_ptr<CharacterController> robot) {
    controller = std::move(robot);
}

void PhysicsWorld::setStepHooks(std::function<void()> before, std::function<void()> after) {
    beforeStep = std::move(before);
    afterStep = std::move(after);
}

int PhysicsWorld::advance(float frameTime, float stepLength, int maxSteps,
                          SimulationEvents& events) {
    events.beginAdvance();
    reportTo = &events;
    // Bullet's fixed steps: it owes itself what is left over, and returns how many steps the time
    // owed held, also those beyond maxSteps that it dropped.
    const int stepsDue =
        dynamicsWorld->stepSimulation(frameTime, std::max(maxSteps, 1), stepLength);
    reportTo = nullptr;
    return std::min(stepsDue, std::max(maxSteps, 1));
}

void PhysicsWorld::reportPairs(SimulationEvents& events) {
    triggerPairs.clear();
    contactPairs.clear();
    const int manifolds = dispatcher->getNumManifolds();
    for (int i = 0; i < manifolds; ++i) {
        const btPersistentManifold* manifold = dispatcher->getManifoldByIndexInternal(i);
        const btCollisionObject* first = manifold->getBody0();
        const btCollisionObject* second = manifold->getBody1();
        FilterObjectAttributes firstAttributes = filterAttributesOf(*first);
        FilterObjectAttributes secondAttributes = filterAttributesOf(*second);
        // A pair with one trigger is presented with the trigger as its first object.
        if ((secondAttributes & filterObjectTrigger) != 0 &&
            (firstAttributes & filterObjectTrigger) == 0) {
            std::swap(first, second);
            std::swap(firstAttributes, secondAttributes);
        }
        const PairFlags flags = triggerFilterShader(firstAttributes, secondAttributes);
        if ((flags & pairNotifyTouchAny) == 0 || !isTouching(*manifold)) continue;

        if ((firstAttributes & filterObjectTrigger) != 0) {
            // Triggers belong to the world, which hands them out for mowing.
            triggerPairs.push_back(
                TriggerPair{const_cast<btCollisionObject*>(first), second, pairNotifyTouchFound});
            continue;
        }
        ContactPair pair;
        pair.actors[0] = first;
        pair.actors[1] = second;
        if ((flags & pairNotifyContactPoints) != 0) {
            for (int p = 0; p < manifold->getNumContacts(); ++p) {
                const btManifoldPoint& point = manifold->getContactPoint(p);
                pair.points.push_back(ContactPairPoint{
                    point.getPositionWorldOnB(), point.m_normalWorldOnB, point.getDistance()});
            }
        }
        contactPairs.push_back(std::move(pair));
    }
    // The reports come after the walk: mowing takes objects out of the world, and with them
    // their manifolds.
    if (!contactPairs.empty()) {
        events.onContact(contactPairs.data(), static_cast<int>(contactPairs.size()));
    }
    if (!triggerPairs.empty()) {
        events.onTrigger(triggerPairs.data(), static_cast<int>(triggerPairs.size()));
    }
}

void initPhysics() {
    shutdownPhysics();
    worldOwner = std::make_unique<PhysicsWorld>();
    PhysicsWorld& physics = *worldOwner;
    gPhysics = &physics;
    gScene = &physics.scene();
    gSimulationEvents.setWorld(gScene);
    ballPush = ballFirstPush;
    ballPushPositive = false;

    // The first frame has no frame time yet (0): the world owes it its first step.
    physics.setOwedTime(physicsStep);
    physics.setStepHooks(pushBall, patrolBall);
    ballPushDue = false;

    gMaterial = physics.createMaterial(0.1f, 0.1f, 0.1f);

    // Ground: the plane y = 0, facing up.
    auto* groundShape = physics.createShape<btStaticPlaneShape>(btVector3(0, 1, 0), 0.0f);
    physics.addActor(physics.createStatic(groundShape, *gMaterial, btTransform::getIdentity()));

    // Walls enclosing x from -100 to 50 and z from -50 to 50, from y = -4 to 12.
    auto* wallAlongZ = physics.createShape<btBoxShape>(btVector3(0.5f, 8.0f, 50.0f));
    auto* wallAlongX = physics.createShape<btBoxShape>(btVector3(75.0f, 8.0f, 0.5f));
    const std::pair<btBoxShape*, btVector3> walls[] = {
        {wallAlongZ, btVector3(-100, 4, 0)},
        {wallAlongZ, btVector3(50, 4, 0)},
        {wallAlongX, btVector3(-25, 4, 50)},
        {wallAlongX, btVector3(-25, 4, -50)},
    };
    for (const auto& [shape, position] : walls) {
        physics.addActor(physics.createStatic(shape, *gMaterial,
                                              btTransform(btQuaternion::getIdentity(), position)));
    }

    // The robot.
    CapsuleControllerDesc desc;
    desc.position = robotStartPosition;
    desc.slopeLimit = 0.2f;
    desc.contactOffset = 0.05f;
    desc.stepOffset = 0.25f;
    desc.density = 100.0f;
    desc.radius = 1.5f;
    desc.height = 0.1f;
    desc.material = physics.createMaterial(0.5f, 0.5f, 0.3f);
    desc.climbingMode = ClimbingMode::easy;
    if (!desc.isValid()) std::cout << "Descriptor is not valid!\n" << std::endl;
    auto controller = CharacterController::create(physics.scene(), desc);
    if (!controller) {
        // Every frame drives the robot: the game cannot go on without it.
        std::cout << "gController failed " << std::endl;
        std::exit(1);
    }
    // The robot's kinematic body has no mass in Bullet (see CharacterController), so the mass
    // of 10 that its actor is given elsewhere has nothing to act on here.
    controller->setClimbingMode(ClimbingMode::constrained);
    gController = controller.get();
    physics.setController(std::move(controller));

    // An invisible pendulum: a box hung 3 below a static sphere, free to swing about one axis.
    auto* anchorShape = physics.createShape<btSphereShape>(0.5f);
    gPendulumAnchor = physics.createStatic(
        anchorShape, *gMaterial, btTransform(btQuaternion::getIdentity(), pendulumAnchorPosition));
    auto* boxShape = physics.createShape<btBoxShape>(btVector3(0.5f, 0.5f, 0.5f));
    gPendulumBox = physics.createDynamic(boxShape, *gMaterial, pendulumBoxStart(), 1.0f);
    auto joint = std::make_unique<btGeneric6DofSpring2Constraint>(
        *gPendulumAnchor, *gPendulumBox,
        btTransform(btQuaternion::getIdentity(), btVector3(0, -1.5f, 0)),
        btTransform(btQuaternion::getIdentity(), btVector3(0, 1.5f, 0)),
        // The free axis comes first in the angle order: only the middle one is bounded.
        RO_YXZ);
    joint->setLinearLowerLimit(btVector3(0, 0, 0));
    joint->setLinearUpperLimit(btVector3(0, 0, 0));
    // Lower above upper frees an axis: the first swing axis turns, the others are locked.
    joint->setAngularLowerLimit(btVector3(0, 1, 0));
    joint->setAngularUpperLimit(btVector3(0, -1, 0));
    physics.addActor(gPendulumAnchor);
    physics.addActor(gPendulumBox);
    physics.addConstraint(std::move(joint));

    // The ball.
    const PhysicsMaterial* ballMaterial = physics.createMaterial(1.1f, 1.1f, 1.1f);
    auto* ballShape = physics.createShape<btSphereShape>(2.0f);
    gBall =
        physics.createDynamic(ballShape, *ballMaterial,
                              btTransform(btQuaternion::getIdentity(), ballStartPosition), 1.0f);
    gBall->setMassProps(0.1f, gBall->getLocalInertia());
    gBall->updateInertiaTensor();
    physics.addActor(gBall);
}

void wakeBall() {
    if (gBall != nullptr) gBall->activate(true);
}

float physicsTimeOf(float frameTime) {
    if (!std::isfinite(frameTime) || frameTime <= 0.0f) return 0.0f;
    const float steps = std::round(frameTime / physicsStep);
    const float whole = steps * physicsStep;
    return steps >= 1.0f && std::abs(frameTime - whole) <= stepSnapTolerance ? whole : frameTime;
}

int advancePhysics(float frameTime) {
    if (gPhysics == nullptr) return 0;
    return gPhysics->advance(physicsTimeOf(frameTime), physicsStep, maxStepsPerFrame,
                             gSimulationEvents);
}

void shutdownPhysics() {
    gSimulationEvents.setWorld(nullptr);
    gBall = nullptr;
    gPendulumBox = nullptr;
    gPendulumAnchor = nullptr;
    gController = nullptr;
    gMaterial = nullptr;
    gScene = nullptr;
    gPhysics = nullptr;
    worldOwner.reset();
}

void returnActorsToStart() {
    if (gController != nullptr) gController->setPosition(robotStartPosition);
    if (gBall != nullptr) {
        placeAtRest(*gBall, btTransform(btQuaternion::getIdentity(), ballStartPosition));
    }
    // The joint stays as it is; only its box goes back.
    if (gPendulumBox != nullptr) placeAtRest(*gPendulumBox, pendulumBoxStart());
    ballPush = ballFirstPush;
    ballPushPositive = false;
    ballPushDue = false;
    if (gPhysics != nullptr) gPhysics->setOwedTime(0.0f);
}

void setBallInertia() {
    if (gBall == nullptr) return;
    gBall->setMassProps(0.1f, btVector3(0.1f, 0.1f, 0.1f));
    gBall->updateInertiaTensor();
}

BallPatrol nextBallPatrol(float z, float push, bool pushPositive) {
    // The push after a turn belongs to the physics step it is applied in.
    BallPatrol patrol{push, pushPositive};
    if (z < -20.0f && !patrol.pushPositive) patrol = BallPatrol{0.5f * physicsStep, true};
    if (z > 5.0f && patrol.pushPositive) patrol = BallPatrol{-0.5f * physicsStep, false};
    return patrol;
}

glm::vec3 ballWobble(int stepNumber) {
    switch (((stepNumber % 4) + 4) % 4) {
        case 0:
            return {0.0f, 0.0f, -0.2f};
        case 1:
            return {0.0f, 0.0f, 0.2f};
        case 2:
            return {0.2f, 0.0f, 0.0f};
        default:
            return {-0.2f, 0.0f, 0.0f};
    }
}

void quaternionToAngleAxis(const btQuaternion& q, float& angle, glm::vec3& axis) {
    const float s2 = q.x() * q.x() + q.y() * q.y() + q.z() * q.z();
    if (s2 < 1e-16f) {
        angle = 0.0f;
        axis = glm::vec3(1.0f, 0.0f, 0.0f);
        return;
    }
    const float s = std::sqrt(s2);
    axis = glm::vec3(q.x(), q.y(), q.z()) / s;
    angle = std::abs(q.w()) < 1e-8f ? SIMD_PI : 2.0f * std::atan2(s, q.w());
}

glm::mat4 drawnBallPose() {
    if (gBall == nullptr) return glm::mat4(1.0f);
    btTransform pose = gBall->getWorldTransform();
    if (gBall->getMotionState() != nullptr) gBall->getMotionState()->getWorldTransform(pose);
    const btVector3& at = pose.getOrigin();
    float angle = 0.0f;
    glm::vec3 axis(1.0f, 0.0f, 0.0f);
    quaternionToAngleAxis(pose.getRotation(), angle, axis);

    const glm::mat4 placed = glm::translate(glm::mat4(1.0f), glm::vec3(at.x(), at.y(), at.z()));
    return glm::rotate(placed, angle, axis);
}
