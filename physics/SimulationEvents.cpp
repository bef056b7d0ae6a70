#include "physics/SimulationEvents.h"

#include <BulletCollision/CollisionDispatch/btCollisionObject.h>
#include <BulletCollision/CollisionDispatch/btCollisionWorld.h>

#include <algorithm>

SimulationEvents gSimulationEvents;

PairFlags triggerFilterShader(FilterObjectAttributes attributes0,
                              FilterObjectAttributes attributes1) {
    // The order matters: the trigger must come first and the kinematic robot second. The ball,
    // a dynamic body, therefore never mows a tile.
    if ((attributes0 & filterObjectTrigger) != 0 && (attributes1 & filterObjectKinematic) != 0) {
        return pairTriggerDefault;
    }
    return pairContactDefault;
}

FilterObjectAttributes filterAttributesOf(const btCollisionObject& object) {
    FilterObjectAttributes attributes = 0;
    if (object.isKinematicObject()) attributes |= filterObjectKinematic;
    if (!object.hasContactResponse()) attributes |= filterObjectTrigger;
    return attributes;
}

bool hasShape(const btCollisionObject& object) {
    return object.getCollisionShape() != nullptr;
}

void detachShape(btCollisionWorld* world, btCollisionObject& object) {
    // Bullet keeps no shapeless object in a world: leaving the world is what disabling the
    // simulation of the actor amounts to. The shape itself stays with its owner.
    if (object.getBroadphaseHandle() != nullptr) {
        if (world == nullptr) return;
        world->removeCollisionObject(&object);
    }
    object.setCollisionShape(nullptr);
}

int ContactPair::extractContacts(ContactPairPoint* buffer, int capacity) const {
    const int count = std::min(capacity, static_cast<int>(points.size()));
    std::copy_n(points.begin(), std::max(count, 0), buffer);
    return std::max(count, 0);
}

void SimulationEvents::onContact(const ContactPair* pairs, int count) {
    *out << static_cast<unsigned>(std::max(count, 0)) << " Contact pair(s) detected" << std::endl;
    ContactPairPoint buffer[maxContactPointsPerPair];
    for (int i = 0; i < count; ++i) {
        const int points = pairs[i].extractContacts(buffer, maxContactPointsPerPair);
        for (int p = 0; p < points; ++p) {
            const btVector3& at = buffer[p].position;
            *out << "Contact point (" << at.x() << " " << at.y() << " " << at.z() << ")\n";
        }
    }
    out->flush();
}

void SimulationEvents::onTrigger(const TriggerPair* pairs, int count) {
    for (int i = 0; i < count; ++i) {
        btCollisionObject* actor = pairs[i].triggerActor;
        // A later report for a tile that is already mown changes nothing.
        if (actor == nullptr || !hasShape(*actor)) continue;
        detachShape(world, *actor);
        // An object still in a world that was not given keeps its shape, and is not mown.
        if (hasShape(*actor)) continue;
        ++lastAdvance.tiles;
        lastAdvance.positionSum += actor->getWorldTransform().getOrigin();
    }
}
