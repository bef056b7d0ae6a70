#pragma once

#include <LinearMath/btVector3.h>

#include <cstdint>
#include <iostream>
#include <vector>

class btCollisionObject;
class btCollisionWorld;

// What the filter knows about each object of a pair: one attribute word per object.
using FilterObjectAttributes = std::uint32_t;
constexpr FilterObjectAttributes filterObjectKinematic = 0x10;
constexpr FilterObjectAttributes filterObjectTrigger = 0x20;

// The reports and the handling a pair asks for (bit values as the game has always used them).
using PairFlags = std::uint32_t;
constexpr PairFlags pairSolveContact = 0x0001;
constexpr PairFlags pairNotifyTouchFound = 0x0004;
constexpr PairFlags pairNotifyTouchPersists = 0x0008;
constexpr PairFlags pairNotifyTouchLost = 0x0010;
constexpr PairFlags pairNotifyContactPoints = 0x0200;
constexpr PairFlags pairDetectDiscreteContact = 0x0400;
constexpr PairFlags pairDetectCcdContact = 0x0800;
constexpr PairFlags pairTriggerDefault =
    pairNotifyTouchFound | pairNotifyTouchLost | pairDetectDiscreteContact;
constexpr PairFlags pairContactDefault =
    pairSolveContact | pairDetectDiscreteContact | pairDetectCcdContact | pairNotifyContactPoints;
constexpr PairFlags pairNotifyTouchAny =
    pairNotifyTouchFound | pairNotifyTouchPersists | pairNotifyTouchLost;

// Decides what a pair of objects reports. Only a pair whose first object is a trigger and whose
// second is the robot's kinematic object gets trigger reports; every other pair is solved as a
// contact and reports no touches. It keeps no state: it may run anywhere.
PairFlags triggerFilterShader(FilterObjectAttributes attributes0,
                              FilterObjectAttributes attributes1);

// The attribute word of a collision object: trigger (no contact response) and kinematic bits.
FilterObjectAttributes filterAttributesOf(const btCollisionObject& object);

// A trigger object has no shape once it has been mown; it then takes no further part in the
// world. These are the only two places that decide what "has a shape" means.
bool hasShape(const btCollisionObject& object);
// Takes the object out of `world` first; an object still in a world that is not given keeps
// its shape.
void detachShape(btCollisionWorld* world, btCollisionObject& object);

struct TriggerPair {
    btCollisionObject* triggerActor = nullptr;
    const btCollisionObject* otherActor = nullptr;
    PairFlags status = pairNotifyTouchFound;
};

struct ContactPairPoint {
    btVector3 position{0, 0, 0};
    btVector3 normal{0, 0, 0};
    float separation = 0.0f;
};

struct ContactPair {
    const btCollisionObject* actors[2] = {nullptr, nullptr};
    std::vector<ContactPairPoint> points;

    // Copies at most `capacity` points into `buffer` and returns how many it copied.
    int extractContacts(ContactPairPoint* buffer, int capacity) const;
};

// The tiles that the steps of one frame mowed: how many, and where (the sum of their positions,
// so that no list grows during play).
struct StepMowing {
    int tiles = 0;
    btVector3 positionSum{0, 0, 0};

    // The middle of the tiles mown; the origin when there are none.
    btVector3 centre() const {
        return tiles > 0 ? positionSum / static_cast<float>(tiles) : btVector3(0, 0, 0);
    }
};

// The receiver of the world's reports, called after each step has finished.
// Contacts are only printed; a trigger report mows the trigger, that is it takes its shape away.
class SimulationEvents {
public:
    static constexpr int maxContactPointsPerPair = 64;

    explicit SimulationEvents(std::ostream& output = std::cout) : out(&output) {}
    virtual ~SimulationEvents() = default;

    // The world whose trigger objects the reports may mow.
    void setWorld(btCollisionWorld* collisionWorld) { world = collisionWorld; }

    virtual void onContact(const ContactPair* pairs, int count);
    virtual void onTrigger(const TriggerPair* pairs, int count);

    // A frame's steps begin: what they mow is counted afresh.
    void beginAdvance() { lastAdvance = StepMowing{}; }
    // The tiles mown since the last beginAdvance.
    const StepMowing& mownInLastAdvance() const { return lastAdvance; }

private:
    std::ostream* out;
    btCollisionWorld* world = nullptr;
    StepMowing lastAdvance;
};

extern SimulationEvents gSimulationEvents;
