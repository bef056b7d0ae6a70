#pragma once

#include <btBulletDynamicsCommon.h>

#include <deque>
#include <glm/mat4x4.hpp>
#include <memory>
#include <vector>

#include "physics/CharacterController.h"
#include "physics/PhysicsMaterial.h"
#include "physics/SimulationEvents.h"

// Owns every Bullet object of the game. They are created once by initPhysics and live until
// shutdownPhysics (or the end of the process). The members are declared in dependency order,
// so they are destroyed in reverse: first everything is taken out of the world, then the
// controller, the constraints, the bodies and their shapes, and last the world with the
// dispatcher, broadphase and solver it was built on. The program-wide g-pointers below are
// views into this object and never own anything.
class PhysicsWorld {
public:
    PhysicsWorld();
    ~PhysicsWorld();
    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    btDiscreteDynamicsWorld& scene() { return *dynamicsWorld; }

    const PhysicsMaterial* createMaterial(float staticFriction, float dynamicFriction,
                                          float restitution);

    template <typename Shape, typename... Args>
    Shape* createShape(Args&&... args) {
        auto shape = std::make_unique<Shape>(std::forward<Args>(args)...);
        Shape* view = shape.get();
        shapes.push_back(std::move(shape));
        return view;
    }

    // A body that never moves (ground, walls, ramp, plateau, the pendulum's anchor).
    btRigidBody* createStatic(btCollisionShape* shape, const PhysicsMaterial& material,
                              const btTransform& pose);
    // A moving body whose mass follows from its shape's volume and `density`.
    btRigidBody* createDynamic(btCollisionShape* shape, const PhysicsMaterial& material,
                               const btTransform& pose, float density);
    // A static trigger volume: it reports overlaps and pushes nothing. It is kept asleep so
    // that the world does not refresh its bounding box every step.
    btCollisionObject* createTrigger(btCollisionShape* shape, const PhysicsMaterial& material,
                                     const btTransform& pose);
    // Gives a trigger that was mown (see detachShape) its shape back and returns it to the
    // world as createTrigger put it there.
    void restoreTrigger(btCollisionObject& trigger, btCollisionShape* shape);
    void addActor(btRigidBody* body);
    void addConstraint(std::unique_ptr<btTypedConstraint> constraint);
    void setController(std::unique_ptr<CharacterController> robot);

    // Advances the world by `step` seconds, then hands the pairs it found to `events`: the
    // trigger pairs that the filter lets through, and contact pairs that ask for touch reports.
    void step(float step, SimulationEvents& events);

private:
    // Bullet's hook at the start of every simulation step; the world's user info is this object.
    static void beforeSimulationStep(btDynamicsWorld* world, btScalar timeStep);
    void addTriggerToWorld(btCollisionObject& trigger);
    void reportPairs(SimulationEvents& events);

    std::unique_ptr<btDefaultCollisionConfiguration> collisionConfiguration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btBroadphaseInterface> broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<btDiscreteDynamicsWorld> dynamicsWorld;
    std::deque<PhysicsMaterial> materials;  // a deque keeps their addresses stable
    std::vector<std::unique_ptr<btCollisionShape>> shapes;
    std::vector<std::unique_ptr<btMotionState>> motionStates;
    std::vector<std::unique_ptr<btCollisionObject>> objects;
    std::vector<std::unique_ptr<btTypedConstraint>> constraints;
    std::unique_ptr<CharacterController> controller;

    std::vector<TriggerPair> triggerPairs;  // reused every step
    std::vector<ContactPair> contactPairs;
};

// Program-wide views of the one world (null before initPhysics and after shutdownPhysics).
extern PhysicsWorld* gPhysics;
extern btDiscreteDynamicsWorld* gScene;
extern const PhysicsMaterial* gMaterial;
extern CharacterController* gController;
extern btRigidBody* gPendulumAnchor;
extern btRigidBody* gPendulumBox;
extern btRigidBody* gBall;

// The ball's patrol: the z force applied every stepped frame, and its direction.
extern float ballPush;
extern bool ballPushPositive;

// Builds the world: ground, four walls, the robot's controller, the pendulum and the ball.
// Calling it again replaces the previous world.
void initPhysics();
// Keeps the ball from falling asleep; called every frame, also while paused.
void wakeBall();
// Advances the world by physicsStep and runs the contact and trigger events, so that a tile
// the robot has entered is mown before the next draw.
void stepPhysics();
// Releases every engine object, in reverse order of creation.
void shutdownPhysics();
// For a new round: the robot, the ball and the pendulum's box go back where initPhysics put
// them, at rest (the pendulum keeps its joint), and the ball's patrol starts again with its first
// push. The grass is the fields' own (regrowTiles).
void returnActorsToStart();

// Pushes the ball along its patrol and wobbles it; returns the model matrix of the ball's
// drawable (translation to the body, then its rotation).
glm::mat4 updateBall(int frameNumber);

// The patrol rule on its own: given the ball's z and the current push, the push for this frame
// (and whether the forces gathered so far are to be cleared). A turn pushes by half a physics
// step, the step the push is applied in.
struct BallPatrol {
    float push;
    bool pushPositive;
    bool clearForces;
};
BallPatrol nextBallPatrol(float z, float push, bool pushPositive);
// The wobble force for a frame: -z, +z, +x, -x for frameNumber mod 4 = 0, 1, 2, 3.
glm::vec3 ballWobble(int frameNumber);
// Angle (radians) and unit axis of a rotation quaternion; no rotation gives angle 0, axis +x.
void quaternionToAngleAxis(const btQuaternion& q, float& angle, glm::vec3& axis);

// Ball inertia set before the frame loop starts (scene assembly).
void setBallInertia();
