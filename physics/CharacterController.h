#pragma once

#include <BulletCollision/CollisionShapes/btCapsuleShape.h>
#include <BulletDynamics/Dynamics/btRigidBody.h>
#include <LinearMath/btDefaultMotionState.h>
#include <LinearMath/btVector3.h>

#include <memory>

#include "physics/PhysicsMaterial.h"

class btCollisionObject;
class btDiscreteDynamicsWorld;

// How the capsule climbs edges. Easy lets its rounded bottom ride up onto any edge it overhangs;
// constrained allows nothing higher than the step offset above where the move began.
enum class ClimbingMode { easy, constrained };

// Everything a capsule controller is made from. The defaults are the usual ones of a character
// controller; the robot's values are set by initPhysics.
struct CapsuleControllerDesc {
    btVector3 position{0, 0, 0};  // centre of the capsule
    btVector3 upDirection{0, 1, 0};
    float slopeLimit = 0.707f;   // cosine of the steepest walkable slope
    float contactOffset = 0.1f;  // skin kept between the capsule and whatever it touches
    float stepOffset = 0.5f;     // highest edge it steps onto
    // Checked, but idle: a kinematic body in Bullet has no mass, so nothing uses a density.
    float density = 10.0f;
    float radius = 0.0f;
    float height = 0.0f;  // distance between the centres of the two end spheres
    const PhysicsMaterial* material = nullptr;
    ClimbingMode climbingMode = ClimbingMode::easy;

    // A material is set, the position is finite, the capsule has a size, the step fits in it, and
    // no offset, slope or density is negative.
    bool isValid() const;
};

// The robot's kinematic capsule. It is moved by displacements, never by forces: each move
// sweeps the capsule through the world in three passes (up by the step offset, sideways with
// sliding, then down again with the fall), so it stays out of walls and the ball, steps over low
// edges, climbs walkable slopes and keeps its skin above the ground. Its kinematic body stands in
// the world so that the ball bounces off it and the grass triggers see it.
class CharacterController {
public:
    // Returns null when the description is not valid.
    static std::unique_ptr<CharacterController> create(btDiscreteDynamicsWorld& world,
                                                       const CapsuleControllerDesc& desc);
    ~CharacterController();
    CharacterController(const CharacterController&) = delete;
    CharacterController& operator=(const CharacterController&) = delete;

    // Moves by `displacement`, made over `elapsedTime` seconds. Sideways motion shorter than
    // `minDistance` is not made at once, which keeps tiny moves from making the capsule jitter;
    // it is kept and added to the next move instead, so no distance is lost at high frame rates.
    void move(const btVector3& displacement, float minDistance, float elapsedTime);
    // Puts the capsule's centre at `position` without sweeping, at rest.
    void setPosition(const btVector3& position);
    btVector3 getPosition() const { return position; }
    // Hands the kinematic body its velocity for the step about to be simulated. Bullet would
    // take the distance the body moved since the last step over the step's length instead; the
    // moves follow the real frame time, the steps do not, and that velocity would push the ball
    // harder the lower the frame rate. The world calls this before each step.
    void applyVelocityToBody();

    // The sideways part of the last move: what it was asked to make (the motion kept from
    // earlier moves included) and the part of that which obstacles took away: walls, edges too
    // high to step onto, the ball. Climbing a walkable slope takes nothing away, and neither does
    // motion kept back for a later move.
    struct SidewaysMotion {
        btVector3 asked{0, 0, 0};
        btVector3 blocked{0, 0, 0};
    };
    const SidewaysMotion& lastSidewaysMotion() const { return lastSideways; }

    btRigidBody* getActor() { return body.get(); }
    const btRigidBody* getActor() const { return body.get(); }
    void setClimbingMode(ClimbingMode mode) { climbingMode = mode; }
    ClimbingMode getClimbingMode() const { return climbingMode; }
    const CapsuleControllerDesc& description() const { return desc; }

private:
    struct SweepHit {
        bool hit = false;
        float distance = 0.0f;      // along the sweep direction
        btVector3 normal{0, 0, 0};  // of the face that was hit, pointing towards the capsule
        btVector3 point{0, 0, 0};   // where the capsule touched
        bool onSteepEdge = false;   // on the edge of a face too steep to walk on
    };

    CharacterController(btDiscreteDynamicsWorld& world, const CapsuleControllerDesc& desc);
    struct MoveResult {
        bool steppedTooHigh = false;  // it ended on an edge higher than the step offset
        btVector3 leftover{0, 0, 0};  // sideways motion left below the minimum distance
        btVector3 blocked{0, 0, 0};   // sideways motion that obstacles took away
    };
    // One move with the given step offset; the sideways part of `displacement` is either 0 or
    // at least `minDistance` long.
    MoveResult tryMove(const btVector3& displacement, float minDistance, float stepOffset);
    SweepHit sweep(const btVector3& from, const btVector3& direction, float length) const;
    // Moves along `direction` by at most `length`, stopping a skin short of any obstacle, and
    // returns how far it went.
    float advance(const btVector3& direction, float length);
    // Slides along what it meets; returns the motion left over below `minDistance` and adds
    // the motion that steep faces took away to `blocked`.
    btVector3 slideSideways(btVector3 motion, float minDistance, btVector3& blocked);
    void syncBody();
    bool isWalkable(const btVector3& normal) const;

    btDiscreteDynamicsWorld& world;
    CapsuleControllerDesc desc;
    ClimbingMode climbingMode;
    btVector3 position;
    btVector3 pendingSideways{0, 0, 0};  // short sideways motion kept for the next move
    // How fast the last move carried the robot, the motion kept for later included, per second
    // of the move's elapsed time: what the ball feels when they touch.
    btVector3 velocity{0, 0, 0};
    SidewaysMotion lastSideways;
    btCapsuleShape shape;
    btDefaultMotionState motionState;
    std::unique_ptr<btRigidBody> body;
};
