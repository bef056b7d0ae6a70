#pragma once

#include <btBulletDynamicsCommon.h>

#include <deque>
#include <functional>
#include <glm/mat4x4.hpp>
#include <memory>
#include <vector>

#include "physics/CharacterController.h"
#include "physics/PhysicsMaterial.h"
#include "physics/SimulationEvents.h"

// Bullet's world with the clock of its fixed steps open: stepSimulation adds each frame's time to
// the time the world owes and runs the whole steps it holds; what is left is owed to the next
// call. The game reads that remainder and sets it (a new round owes nothing).
class SteppedDynamicsWorld : public btDiscreteDynamicsWorld {
public:
    using btDiscreteDynamicsWorld::btDiscreteDynamicsWorld;
    float owedTime() const { return m_localTime; }
    void setOwedTime(float seconds) { m_localTime = seconds; }
};

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

    // Adds `frameTime` seconds to the time the world owes and runs as many steps of
    // `stepLength` as that time holds, but no more than `maxSteps`: the rest of a longer frame is
    // dropped, not caught up on later. After each step the pairs it found go to `events` (the
    // trigger pairs that the filter lets through, and contact pairs that ask for touch reports),
    // then the after-step hook runs. Returns the steps run. Bodies with a motion state get their
    // pose carried on from the last step by the time still owed, to be drawn from.
    int advance(float frameTime, float stepLength, int maxSteps, SimulationEvents& events);
    // Time fed to the world that no step has used yet.
    float owedTime() const { return dynamicsWorld->owedTime(); }
    void setOwedTime(float seconds) { dynamicsWorld->setOwedTime(seconds); }
    // Steps run since the world was built.
    long long stepCount() const { return steps; }
    // The game's own work of every step: `before` runs as each step begins, `after` once its
    // pairs have been reported.
    void setStepHooks(std::function<void()> before, std::function<void()> after);

private:
    // Bullet's hooks at the start and the end of every simulation step; the world's user info is
    // this object.
    static void beforeSimulationStep(btDynamicsWorld* world, btScalar timeStep);
    static void afterSimulationStep(btDynamicsWorld* world, btScalar timeStep);
    void addTriggerToWorld(btCollisionObject& trigger);
    void reportPairs(SimulationEvents& events);

    std::unique_ptr<btDefaultCollisionConfiguration> collisionConfiguration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btBroadphaseInterface> broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<SteppedDynamicsWorld> dynamicsWorld;
    std::deque<PhysicsMaterial> materials;  // a deque keeps their addresses stable
    std::vector<std::unique_ptr<btCollisionShape>> shapes;
    std::vector<std::unique_ptr<btMotionState>> motionStates;
    std::vector<std::unique_ptr<btCollisionObject>> objects;
    std::vector<std::unique_ptr<btTypedConstraint>> constraints;
    std::unique_ptr<CharacterController> controller;

    std::vector<TriggerPair> triggerPairs;  // reused every step
    std::vector<ContactPair> contactPairs;
    SimulationEvents* reportTo = nullptr;  // while advance runs
    long long steps = 0;
    std::function<void()> beforeStep;
    std::function<void()> afterStep;
};

// Program-wide views of the one world (null before initPhysics and after shutdownPhysics).
extern PhysicsWorld* gPhysics;
extern btDiscreteDynamicsWorld* gScene;
extern const PhysicsMaterial* gMaterial;
extern CharacterController* gController;
extern btRigidBody* gPendulumAnchor;
extern btRigidBody* gPendulumBox;
extern btRigidBody* gBall;

// The ball's patrol: the z force applied every step, and its direction.
extern float ballPush;
extern bool ballPushPositive;

// Builds the world: ground, four walls, the robot's controller, the pendulum and the ball.
// Calling it again replaces the previous world.
void initPhysics();
// Keeps the ball from falling asleep; called every frame, also while paused.
void wakeBall();

// The most steps one frame runs: a longer frame (a stall, a dragged window, a debugger) drops the
// rest rather than making the world race to catch up.
constexpr int maxStepsPerFrame = 8;
// Feeds a frame's `frameTime` to the world and runs the whole steps of physicsStep it owes, at
// most maxStepsPerFrame, each with its contact and trigger events and the ball's patrol, so that
// a tile the robot has entered is mown before the next draw. Returns the steps it ran. A new world
// owes its first step, which the first frame (frame time 0) takes.
int advancePhysics(float frameTime);
// The time a frame of `frameTime` seconds feeds the world: a frame within a hair of a whole
// number of steps counts as exactly that many, since a clock's readings cannot give frames of
// exactly 1/60 s; a negative or non-finite time counts as none.
float physicsTimeOf(float frameTime);
// Releases every engine object, in reverse order of creation.
void shutdownPhysics();
// For a new round: the robot, the ball and the pendulum's box go back where initPhysics put
// them, at rest (the pendulum keeps its joint), the ball's patrol starts again with its first
// push, and the world owes no time. The grass is the fields' own (regrowTiles).
void returnActorsToStart();

// The model matrix of the ball's drawable (translation to the body, then its rotation), from its
// pose carried on from the last step by the time the world still owes, so that the ball moves
// smoothly at any frame rate. It only reads: every step pushes the ball's patrol and wobble.
glm::mat4 drawnBallPose();

// The patrol rule on its own: given the ball's z after a step and the current push, the push for
// the next step. A turn pushes by half a physics step, the step the push is applied in.
struct BallPatrol {
    float push;
    bool pushPositive;
};
BallPatrol nextBallPatrol(float z, float push, bool pushPositive);
// The wobble force of a step: -z, +z, +x, -x for the step's number mod 4 = 0, 1, 2, 3.
glm::vec3 ballWobble(int stepNumber);
// Angle (radians) and unit axis of a rotation quaternion; no rotation gives angle 0, axis +x.
void quaternionToAngleAxis(const btQuaternion& q, float& angle, glm::vec3& axis);

// Ball inertia set before the frame loop starts (scene assembly).
void setBallInertia();
