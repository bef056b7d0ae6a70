#include "physics/CharacterController.h"

#include <BulletCollision/CollisionDispatch/btCollisionWorld.h>
#include <BulletCollision/CollisionShapes/btBoxShape.h>
#include <BulletCollision/CollisionShapes/btStaticPlaneShape.h>
#include <BulletDynamics/Dynamics/btDiscreteDynamicsWorld.h>

#include <algorithm>
#include <cmath>

namespace {

// Side-pass collide-and-slide rounds; four cover a corner of two walls with room to spare.
constexpr int maxSlideIterations = 4;
// A hit whose normal does not oppose the motion by at least this much is a graze, not a block.
constexpr float grazeTolerance = 1e-3f;
// Box faces closer than this to the hit point count as touched (the hit lies on an edge).
constexpr float edgeTolerance = 0.01f;

// The closest hit of a capsule sweep against what blocks the robot: static, kinematic and
// dynamic objects alike, so the ball is an obstacle the robot slides along rather than a body
// its kinematic actor shoves through. Triggers do not block. Hits that the motion only grazes
// are ignored, so that a capsule resting a skin away from a surface can slide along it.
struct BlockingSweep : btCollisionWorld::ConvexResultCallback {
    BlockingSweep(const btCollisionObject* selfObject, const btVector3& sweepDirection)
        : self(selfObject), direction(sweepDirection) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        if (object == self || !object->hasContactResponse()) return false;
        return ConvexResultCallback::needsCollision(proxy);
    }

    btScalar addSingleResult(btCollisionWorld::LocalConvexResult& result,
                             bool normalInWorldSpace) override {
        const btVector3 normal = normalInWorldSpace
                                     ? result.m_hitNormalLocal
                                     : result.m_hitCollisionObject->getWorldTransform().getBasis() *
                                           result.m_hitNormalLocal;
        if (normal.dot(direction) > -grazeTolerance) return m_closestHitFraction;
        m_closestHitFraction = result.m_hitFraction;
        hitObject = result.m_hitCollisionObject;
        hitNormal = normal;
        hitPoint = result.m_hitPointLocal;
        return result.m_hitFraction;
    }

    const btCollisionObject* self;
    btVector3 direction;
    const btCollisionObject* hitObject = nullptr;
    btVector3 hitNormal{0, 0, 0};
    btVector3 hitPoint{0, 0, 0};
};

// The face that was hit. Contact normals at box edges come out rounded, halfway between the
// two faces, and would make a wall's top edge look walkable; the face normal does not. On an
// edge, the face that opposes the motion most is the one that blocks it.
struct FaceHit {
    btVector3 normal;
    // The hit lies on a box edge next to a face too steep to walk on (the top edge of a step).
    bool onSteepEdge = false;
};

FaceHit faceAt(const btCollisionObject& object, const btVector3& hitPoint,
               const btVector3& sweepNormal, const btVector3& direction, const btVector3& up,
               float slopeLimit) {
    const btCollisionShape* shape = object.getCollisionShape();
    const btTransform& pose = object.getWorldTransform();
    if (shape->getShapeType() == STATIC_PLANE_PROXYTYPE) {
        return {pose.getBasis() * static_cast<const btStaticPlaneShape*>(shape)->getPlaneNormal()};
    }
    if (shape->getShapeType() != BOX_SHAPE_PROXYTYPE) return {sweepNormal};

    const btVector3 local = pose.invXform(hitPoint);
    const btVector3 half = static_cast<const btBoxShape*>(shape)->getHalfExtentsWithMargin();
    float nearest = SIMD_INFINITY;
    for (int axis = 0; axis < 3; ++axis) {
        nearest = std::min(nearest, half[axis] - std::abs(local[axis]));
    }

    FaceHit face{sweepNormal};
    float bestOpposition = SIMD_INFINITY;
    int facesTouched = 0;
    bool steepFaceTouched = false;
    for (int axis = 0; axis < 3; ++axis) {
        if (half[axis] - std::abs(local[axis]) > nearest + edgeTolerance) continue;
        btVector3 localNormal(0, 0, 0);
        localNormal[axis] = local[axis] >= 0 ? 1.0f : -1.0f;
        const btVector3 normal = pose.getBasis() * localNormal;
        ++facesTouched;
        steepFaceTouched = steepFaceTouched || normal.dot(up) < slopeLimit;
        const float opposition = normal.dot(direction);
        if (opposition < bestOpposition) {
            bestOpposition = opposition;
            face.normal = normal;
        }
    }
    face.onSteepEdge = facesTouched > 1 && steepFaceTouched;
    return face;
}

}  // namespace

bool CapsuleControllerDesc::isValid() const {
    const bool finite =
        std::isfinite(position.x()) && std::isfinite(position.y()) && std::isfinite(position.z());
    return material != nullptr && finite && radius > 0.0f && height > 0.0f && stepOffset >= 0.0f &&
           stepOffset <= height + 2.0f * radius && contactOffset > 0.0f && slopeLimit >= 0.0f &&
           density >= 0.0f;
}

std::unique_ptr<CharacterController> CharacterController::create(
    btDiscreteDynamicsWorld& world, const CapsuleControllerDesc& desc) {
    if (!desc.isValid()) return nullptr;
    return std::unique_ptr<CharacterController>(new CharacterController(world, desc));
}

CharacterController::CharacterController(btDiscreteDynamicsWorld& collisionWorld,
                                         const CapsuleControllerDesc& description)
    : world(collisionWorld),
      desc(description),
      climbingMode(description.climbingMode),
      position(description.position),
      shape(description.radius, description.height),
      motionState(btTransform(btQuaternion::getIdentity(), description.position)) {
    // A kinematic body has no mass of its own in Bullet: the simulation moves nothing it
    // touches back into it, which is what a character controller's actor is.
    btRigidBody::btRigidBodyConstructionInfo info(0.0f, &motionState, &shape);
    body = std::make_unique<btRigidBody>(info);
    body->setCollisionFlags(body->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
    body->setActivationState(DISABLE_DEACTIVATION);
    applyMaterial(*body, *desc.material);
    // Its own group, so that it pairs with the static grass triggers as well as with the ball.
    world.addRigidBody(body.get(), btBroadphaseProxy::CharacterFilter,
                       btBroadphaseProxy::AllFilter);
}

CharacterController::~CharacterController() {
    world.removeRigidBody(body.get());
}

bool CharacterController::isWalkable(const btVector3& normal) const {
    return normal.dot(desc.upDirection) >= desc.slopeLimit;
}

CharacterController::SweepHit CharacterController::sweep(const btVector3& from,
                                                         const btVector3& direction,
                                                         float length) const {
    SweepHit result;
    if (length <= 0.0f) return result;
    const btTransform start(btQuaternion::getIdentity(), from);
    const btTransform end(btQuaternion::getIdentity(), from + direction * length);
    BlockingSweep callback(body.get(), direction);
    callback.m_collisionFilterGroup = btBroadphaseProxy::CharacterFilter;
    callback.m_collisionFilterMask = btBroadphaseProxy::AllFilter;
    world.convexSweepTest(&shape, start, end, callback, 0.0f);
    if (callback.hitObject == nullptr) return result;
    const FaceHit face = faceAt(*callback.hitObject, callback.hitPoint, callback.hitNormal,
                                direction, desc.upDirection, desc.slopeLimit);
    result.hit = true;
    result.distance = callback.m_closestHitFraction * length;
    result.normal = face.normal;
    result.point = callback.hitPoint;
    result.onSteepEdge = face.onSteepEdge;
    return result;
}

float CharacterController::advance(const btVector3& direction, float length) {
    if (length <= 0.0f) return 0.0f;
    const SweepHit hit = sweep(position, direction, length + desc.contactOffset);
    const float travel =
        hit.hit ? std::clamp(hit.distance - desc.contactOffset, 0.0f, length) : length;
    position += direction * travel;
    return travel;
}

btVector3 CharacterController::slideSideways(btVector3 motion, float minDistance,
                                             btVector3& blocked) {
    for (int i = 0; i < maxSlideIterations; ++i) {
        const float length = motion.length();
        if (length <= 0.0f) return btVector3(0, 0, 0);
        if (length < minDistance) return motion;
        const btVector3 direction = motion / length;
        const SweepHit hit = sweep(position, direction, length + desc.contactOffset);
        if (!hit.hit || hit.distance - desc.contactOffset >= length) {
            position += motion;
            return btVector3(0, 0, 0);
        }
        const float travel = std::max(hit.distance - desc.contactOffset, 0.0f);
        position += direction * travel;

        // Slide along a walkable face (up a slope); anything steeper is a wall whose normal is
        // laid flat, so that the robot slides along it without climbing it.
        btVector3 normal = hit.normal;
        const btVector3 rest = direction * (length - travel);
        if (!isWalkable(normal)) {
            normal -= desc.upDirection * normal.dot(desc.upDirection);
            if (normal.length2() < 1e-8f) {
                blocked += rest;
                return btVector3(0, 0, 0);
            }
            normal.normalize();
            // What the wall takes is the part of the motion that runs into it.
            blocked += normal * rest.dot(normal);
        }
        motion = rest - normal * rest.dot(normal);
    }
    // Still blocked after every round: a corner, where the rest of the motion goes nowhere.
    blocked += motion;
    return btVector3(0, 0, 0);
}

void CharacterController::move(const btVector3& displacement, float minDistance,
                               float elapsedTime) {
    const btVector3 start = position;
    const btVector3 pendingBefore = pendingSideways;
    const btVector3& up = desc.upDirection;
    const btVector3 rise = up * displacement.dot(up);
    btVector3 sideways = displacement - rise + pendingSideways;
    pendingSideways.setZero();
    if (sideways.length() < minDistance) {
        pendingSideways = sideways;
        sideways.setZero();
    }

    MoveResult result = tryMove(rise + sideways, minDistance, desc.stepOffset);
    if (result.steppedTooHigh && climbingMode == ClimbingMode::constrained) {
        // It stepped onto an edge higher than the step offset: that edge is a wall. Move again
        // without the step, so that the robot slides along it instead.
        position = start;
        result = tryMove(rise + sideways, minDistance, 0.0f);
    }
    pendingSideways += result.leftover;
    lastSideways = {sideways, result.blocked};

    velocity.setZero();
    if (elapsedTime > 0.0f) {
        velocity = ((position + pendingSideways) - (start + pendingBefore)) / elapsedTime;
    }
    syncBody();
}

CharacterController::MoveResult CharacterController::tryMove(const btVector3& displacement,
                                                             float minDistance, float stepOffset) {
    const btVector3& up = desc.upDirection;
    const float startFoot = position.dot(up) - (desc.radius + 0.5f * desc.height);
    const float rise = displacement.dot(up);
    const btVector3 sideways = displacement - up * rise;
    const bool movingSideways = sideways.length2() > 0.0f;
    MoveResult result;

    // Up pass: lift by the step offset, so that the side pass clears every edge lower than it.
    const float lift = (movingSideways ? stepOffset : 0.0f) + std::max(rise, 0.0f);
    const float lifted = advance(up, lift);

    if (movingSideways) result.leftover = slideSideways(sideways, minDistance, result.blocked);

    // Down pass: undo the lift, fall, and snap down onto ground within the step offset, so
    // that driving down a slope or off a low edge keeps the robot on the ground.
    const float drop = lifted + std::max(-rise, 0.0f);
    const float snap = movingSideways ? desc.stepOffset : 0.0f;
    const SweepHit hit = sweep(position, -up, drop + snap + desc.contactOffset);
    float fall = drop;
    if (hit.hit) fall = std::clamp(hit.distance - desc.contactOffset, 0.0f, drop + snap);
    position -= up * fall;

    // The rounded bottom of the capsule rides up onto any box edge it overhangs; a step edge
    // higher than the step offset above where the robot stood is not one to stand on.
    result.steppedTooHigh = stepOffset > 0.0f && hit.hit && hit.onSteepEdge &&
                            hit.point.dot(up) > startFoot + desc.stepOffset + 1e-3f;
    return result;
}

void CharacterController::setPosition(const btVector3& newPosition) {
    position = newPosition;
    pendingSideways.setZero();
    lastSideways = {};
    velocity.setZero();
    syncBody();
    // A jump, not a motion: the body must not carry a velocity into the next step.
    body->setInterpolationWorldTransform(body->getWorldTransform());
}

void CharacterController::applyVelocityToBody() {
    body->setLinearVelocity(velocity);
    body->setAngularVelocity(btVector3(0, 0, 0));
}

void CharacterController::syncBody() {
    const btTransform pose(btQuaternion::getIdentity(), position);
    body->setWorldTransform(pose);
    motionState.setWorldTransform(pose);
}
