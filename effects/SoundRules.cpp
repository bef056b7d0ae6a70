#include "effects/SoundRules.h"

#include <algorithm>
#include <cmath>
#include <glm/mat3x3.hpp>

namespace {
// The engine: idle at rest, full at the top of the ladder.
constexpr EngineVoice idleEngine{0.6f, 0.35f};
constexpr EngineVoice fullEngine{1.5f, 0.9f};

// One tile's cut is this loud; more tiles in one step add up like voices, by their square root.
constexpr float singleCutGain = 0.45f;

// A rise of the lost speed by less than this per window is a creep, not the start of a stop: it
// also covers the short moves kept back at very high frame rates (at most 0.01 per window).
constexpr float riseTolerance = 1.0f;
// Stops below this speed are grazes that make no sound.
constexpr float smallestStop = 2.5f;
constexpr float softestBump = 0.25f;

constexpr float cutPitchSpread = 0.1f;
constexpr float bumpPitchSpread = 0.05f;

float lerp(float from, float to, float t) {
    return from + (to - from) * t;
}
}  // namespace

EngineVoice engineVoice(float speed) {
    const float magnitude = std::isfinite(speed) ? std::abs(speed) : 0.0f;
    const float t = std::min(magnitude / topDriveSpeed, 1.0f);
    return {lerp(idleEngine.pitch, fullEngine.pitch, t), lerp(idleEngine.gain, fullEngine.gain, t)};
}

float nextEngineFade(float fade, bool running, float dt) {
    const float change = std::max(dt, 0.0f) / engineFadeSeconds;
    return std::clamp(running ? fade + change : fade - change, 0.0f, 1.0f);
}

float cutGain(int tiles) {
    if (tiles <= 0) return 0.0f;
    return std::min(1.0f, singleCutGain * std::sqrt(static_cast<float>(tiles)));
}

float trackStop(StopTracker& tracker, float blockedDistance, float seconds) {
    if (!(seconds > 0.0f)) return 0.0f;
    tracker.seconds += seconds;
    tracker.blocked += std::max(blockedDistance, 0.0f);
    if (tracker.seconds < stopWindowSeconds) return 0.0f;

    const float loss = tracker.blocked / tracker.seconds;
    tracker.seconds = 0.0f;
    tracker.blocked = 0.0f;
    float stop = 0.0f;
    if (loss <= tracker.lastLoss + riseTolerance) {
        // Not rising (any more): a rise that has just ended is the stop.
        const float rise = tracker.lastLoss - tracker.riseFrom;
        if (rise >= smallestStop) stop = rise;
        tracker.riseFrom = loss;
    }
    tracker.lastLoss = loss;
    return stop;
}

float bumpGain(float stopSpeed) {
    if (!(stopSpeed >= smallestStop)) return 0.0f;
    const float t = std::min((stopSpeed - smallestStop) / (topDriveSpeed - smallestStop), 1.0f);
    return lerp(softestBump, 1.0f, t);
}

bool tickDue(TickClock& clock, float timeLeft) {
    // The seconds the status line shows: whole seconds left, red below ten.
    if (timeLeft >= 10.0f) {
        clock.lastTick = 10;
        return false;
    }
    if (!(timeLeft > 0.0f)) return false;
    const int shown = static_cast<int>(timeLeft);
    if (shown >= clock.lastTick) return false;
    clock.lastTick = shown;
    return true;
}

EndCue endCueDue(EndCueLatch& latch, bool won, bool lost) {
    if (!won && !lost) {
        latch.played = false;
        return EndCue::None;
    }
    if (latch.played) return EndCue::None;
    latch.played = true;
    return won ? EndCue::Won : EndCue::Lost;
}

float PitchVariation::next(float spread) {
    // xorshift32: plenty for pitch, and the same sequence in every run.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const float unit = static_cast<float>(state >> 8) / static_cast<float>(1u << 24);  // [0, 1)
    return 1.0f + spread * (2.0f * unit - 1.0f);
}

ListenerPose listenerFromView(const glm::mat4& view) {
    // The rows of the view's rotation are the camera's right, up and backward directions.
    const glm::mat3 rotation(view);
    const glm::mat3 cameraToWorld = glm::transpose(rotation);
    ListenerPose pose;
    pose.position = -(cameraToWorld * glm::vec3(view[3]));
    pose.forward = -cameraToWorld[2];
    pose.up = cameraToWorld[1];
    return pose;
}

void forgetRound(SoundRulesState& state) {
    state.stop = StopTracker{};
}

SoundPlan planSound(SoundRulesState& state, const SoundFrame& frame, float volume) {
    SoundPlan plan;
    const bool ended = frame.won || frame.lost;

    plan.listenerGain = frame.muted ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    plan.muteChanged = frame.muted != state.muted;
    state.muted = frame.muted;
    plan.listener = listenerFromView(frame.view);

    if (frame.paused != state.paused) {
        plan.pause = frame.paused ? PauseChange::Pause : PauseChange::Resume;
    }
    state.paused = frame.paused;
    plan.newRound = state.ended && !ended;
    state.ended = ended;

    state.engineFade = nextEngineFade(state.engineFade, !frame.paused && !ended, frame.frameTime);
    plan.engine = engineVoice(frame.driveSpeed);
    plan.engine.gain *= state.engineFade;
    plan.enginePosition = frame.robotPosition;

    if (ended) {
        // The robot is parked out of play: nothing it does is heard.
        state.stop = StopTracker{};
    } else {
        const float cut = cutGain(frame.tilesMown);
        if (cut > 0.0f) {
            plan.cut = {true, cut, state.pitch.next(cutPitchSpread), frame.mownCentre};
        }
        const float bump =
            bumpGain(trackStop(state.stop, frame.blockedDistance, frame.driveSeconds));
        if (bump > 0.0f) {
            plan.bump = {true, bump, state.pitch.next(bumpPitchSpread), frame.robotPosition};
        }
    }

    // The clock is followed even after the end, so that it stays in step with the countdown.
    plan.tick = tickDue(state.ticks, frame.timeLeft) && !ended;
    plan.endCue = endCueDue(state.endCue, frame.won, frame.lost);
    return plan;
}
