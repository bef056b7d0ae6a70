#pragma once

class btCollisionObject;

// Surface values of a collider. Bullet knows one friction per object, so the dynamic friction
// is the one it uses; when two objects touch, their values are averaged (see PhysicsWorld).
struct PhysicsMaterial {
    float staticFriction = 0.5f;
    float dynamicFriction = 0.5f;
    float restitution = 0.0f;
};

void applyMaterial(btCollisionObject& object, const PhysicsMaterial& material);
