#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <limits>
#include <string>
#include <vector>

#include "app/Rules.h"
#include "effects/SoundRules.h"

TEST(SoundRules, TheEngineHumsAtRestAndRisesEvenlyToFullAtTheTopOfTheSpeedLadder) {
    const EngineVoice idle = engineVoice(0.0f);
    EXPECT_GT(idle.gain, 0.0f);
    EXPECT_LT(idle.pitch, 1.0f);

    EngineVoice previous = idle;
    for (float speed = 0.5f; speed <= topDriveSpeed; speed += 0.5f) {
        const EngineVoice voice = engineVoice(speed);
        EXPECT_GT(voice.pitch, previous.pitch) << speed;
        EXPECT_GT(voice.gain, previous.gain) << speed;
        // No jumps: half a unit of speed moves it by a fortieth of its range.
        EXPECT_LT(voice.pitch - previous.pitch, 0.03f) << speed;
        // Backwards sounds like forwards.
        EXPECT_FLOAT_EQ(engineVoice(-speed).pitch, voice.pitch);
        previous = voice;
    }
    const EngineVoice full = engineVoice(topDriveSpeed);
    EXPECT_LE(full.gain, 1.0f);
    EXPECT_FLOAT_EQ(engineVoice(60.0f).pitch, full.pitch);
    EXPECT_FLOAT_EQ(engineVoice(60.0f).gain, full.gain);
    EXPECT_FLOAT_EQ(engineVoice(std::numeric_limits<float>::quiet_NaN()).pitch, idle.pitch);
}

TEST(SoundRules, TheEngineFadesOutAndInWithinTheFadeTimeAtAnyFrameRate) {
    for (const float dt : {1.0f / 15.0f, 1.0f / 60.0f, 1.0f / 5000.0f}) {
        float fade = 1.0f;
        float seconds = 0.0f;
        while (fade > 0.0f) {
            const float next = nextEngineFade(fade, false, dt);
            EXPECT_LT(next, fade);
            fade = next;
            seconds += dt;
        }
        EXPECT_NEAR(seconds, engineFadeSeconds, dt + 1e-3f) << dt;
        fade = nextEngineFade(fade, true, engineFadeSeconds / 2.0f);
        EXPECT_NEAR(fade, 0.5f, 1e-5f);
        EXPECT_FLOAT_EQ(nextEngineFade(fade, true, 10.0f), 1.0f);
    }
    EXPECT_FLOAT_EQ(nextEngineFade(0.5f, false, -1.0f), 0.5f);
}

TEST(SoundRules, MoreTilesInOneStepMakeOneLouderCutNeverAboveFull) {
    EXPECT_EQ(cutGain(0), 0.0f);
    EXPECT_EQ(cutGain(-3), 0.0f);
    EXPECT_GT(cutGain(1), 0.0f);
    EXPECT_LT(cutGain(1), 1.0f);
    for (int tiles = 2; tiles <= 4; ++tiles) EXPECT_GT(cutGain(tiles), cutGain(tiles - 1));
    EXPECT_FLOAT_EQ(cutGain(2288), 1.0f);
}

TEST(SoundRules, TheBumpIsSilentForAGrazeAndLouderForAHarderStop) {
    EXPECT_EQ(bumpGain(0.0f), 0.0f);
    EXPECT_EQ(bumpGain(1.0f), 0.0f);
    EXPECT_EQ(bumpGain(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_GT(bumpGain(3.0f), 0.0f);
    EXPECT_LT(bumpGain(5.0f), bumpGain(10.0f));
    EXPECT_LT(bumpGain(10.0f), bumpGain(15.0f));
    EXPECT_FLOAT_EQ(bumpGain(topDriveSpeed), 1.0f);
    EXPECT_FLOAT_EQ(bumpGain(100.0f), 1.0f);
}

namespace {
// Feeds `seconds` of frames of `dt` in which obstacles take `lostSpeed` of the robot's speed;
// at very high frame rates the controller makes the short moves in bursts, every
// `burstFrames` frames. Returns the stops it reports.
std::vector<float> driveFrames(StopTracker& tracker, float lostSpeed, float seconds, float dt,
                               int burstFrames = 1) {
    std::vector<float> stops;
    const int frames = static_cast<int>(std::lround(seconds / dt));
    for (int i = 0; i < frames; ++i) {
        const bool burst = (i + 1) % burstFrames == 0;
        const float blocked = burst ? lostSpeed * dt * static_cast<float>(burstFrames) : 0.0f;
        const float stop = trackStop(tracker, blocked, dt);
        if (stop > 0.0f) stops.push_back(stop);
    }
    return stops;
}
}  // namespace

TEST(SoundRules, DrivingIntoAWallIsOneStopOfTheSpeedLostAtAnyFrameRate) {
    struct Case {
        float dt;
        int burstFrames;
    };
    for (const Case& c : {Case{1.0f / 15.0f, 1}, Case{1.0f / 60.0f, 1}, Case{1.0f / 144.0f, 1},
                          Case{1.0f / 5000.0f, 3}}) {
        StopTracker tracker;
        EXPECT_TRUE(driveFrames(tracker, 0.0f, 1.0f, c.dt, c.burstFrames).empty());
        // Into the wall at 15: everything is lost, and stays lost while W is held.
        const std::vector<float> stops = driveFrames(tracker, 15.0f, 2.0f, c.dt, c.burstFrames);
        ASSERT_EQ(stops.size(), 1u) << c.dt;
        EXPECT_NEAR(stops[0], 15.0f, 1.0f) << c.dt;
        // Backing off and driving in again at 8 is a second, softer stop.
        EXPECT_TRUE(driveFrames(tracker, 0.0f, 0.5f, c.dt, c.burstFrames).empty());
        const std::vector<float> again = driveFrames(tracker, 8.0f, 1.0f, c.dt, c.burstFrames);
        ASSERT_EQ(again.size(), 1u) << c.dt;
        EXPECT_NEAR(again[0], 8.0f, 1.0f) << c.dt;
    }
}

TEST(SoundRules, SlidingAlongOrSpeedingUpAgainstAWallIsNoStop) {
    StopTracker tracker;
    // A shallow angle: a small part of the speed goes into the wall, frame after frame.
    EXPECT_TRUE(driveFrames(tracker, 1.5f, 3.0f, 1.0f / 60.0f).empty());
    // From rest against a wall, W adds 3.5 a second: the loss creeps up, it never jumps.
    StopTracker leaning;
    for (int i = 0; i < 300; ++i) {
        const float speed = 3.5f * static_cast<float>(i) / 60.0f;
        EXPECT_EQ(trackStop(leaning, speed / 60.0f, 1.0f / 60.0f), 0.0f) << i;
    }
    // Frames without a drive (paused) change nothing.
    StopTracker paused;
    driveFrames(paused, 0.0f, 0.5f, 1.0f / 60.0f);
    const StopTracker before = paused;
    EXPECT_EQ(trackStop(paused, 5.0f, 0.0f), 0.0f);
    EXPECT_EQ(paused.blocked, before.blocked);
    EXPECT_EQ(paused.seconds, before.seconds);
}

namespace {
// The ticks of a countdown run from `from` seconds left to past its end at frame time `dt`, each
// with the status line the HUD shows in that frame.
struct Tick {
    std::string text;
    glm::vec3 colour;
};

std::vector<Tick> ticksOfCountdown(GameState& state, TickClock& clock, float& now, float until,
                                   float dt, float pauseAt = -1.0f, float pauseFor = 0.0f) {
    std::vector<Tick> ticks;
    float pausedSoFar = 0.0f;
    while (now < until) {
        state.frameTime = dt;
        const float timeLeftBefore = state.timeLimit - now;
        state.paused = pauseAt >= 0.0f && timeLeftBefore <= pauseAt && pausedSoFar < pauseFor;
        if (state.paused) pausedSoFar += dt;
        now += dt;
        const Countdown countdown = runCountdown(state, now, 0.0f);
        if (tickDue(clock, countdown.timeLeft)) {
            const std::vector<HudLine> lines = hudLines(state, countdown, false, 800, 600);
            ticks.push_back({lines.front().text, lines.front().colour});
        }
    }
    return ticks;
}

void expectTenTicks(const std::vector<Tick>& ticks) {
    ASSERT_EQ(ticks.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(ticks[static_cast<std::size_t>(i)].text,
                  "Time left: 00:0" + std::to_string(9 - i));
        EXPECT_EQ(ticks[static_cast<std::size_t>(i)].colour, glm::vec3(1.0f, 0.0f, 0.0f));
    }
}
}  // namespace

TEST(SoundRules, TheCountdownTicksExactlyTenTimesAsTheRedSecondsChangeAtAnyFrameRate) {
    for (const float dt : {1.0f / 15.0f, 1.0f / 60.0f, 1.0f / 5000.0f}) {
        SCOPED_TRACE(dt);
        GameState state;
        TickClock clock;
        float now = 220.0f;
        expectTenTicks(ticksOfCountdown(state, clock, now, 245.0f, dt));
        EXPECT_TRUE(state.gameOver);
    }
}

TEST(SoundRules, APauseAddsNoTickAndANewRoundTicksAgain) {
    GameState state;
    TickClock clock;
    float now = 225.0f;
    // Paused for three seconds with 5.5 left: the countdown and its ticks stand still.
    expectTenTicks(ticksOfCountdown(state, clock, now, 250.0f, 1.0f / 60.0f, 5.5f, 3.0f));

    // The round begins again: the countdown is back at four minutes, the ticks re-arm.
    state.timeLimit = now + 240.0f;
    state.gameOver = false;
    expectTenTicks(ticksOfCountdown(state, clock, now, now + 245.0f, 1.0f / 30.0f));
}

TEST(SoundRules, EachEndCueSoundsOncePerRoundAndAWinOutranksTheLoss) {
    EndCueLatch latch;
    EXPECT_EQ(endCueDue(latch, false, false), EndCue::None);
    EXPECT_EQ(endCueDue(latch, true, false), EndCue::Won);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(endCueDue(latch, true, i > 50), EndCue::None);
    // A new round, lost this time.
    EXPECT_EQ(endCueDue(latch, false, false), EndCue::None);
    EXPECT_EQ(endCueDue(latch, false, true), EndCue::Lost);
    EXPECT_EQ(endCueDue(latch, false, true), EndCue::None);
    // Won in the very frame the time ran out: the HUD says "YOU WON!", so does the sound.
    EndCueLatch both;
    EXPECT_EQ(endCueDue(both, true, true), EndCue::Won);
}

TEST(SoundRules, TheListenerIsTheCameraWhereverItLooks) {
    const glm::vec3 eye(3.0f, 4.0f, 5.0f);
    const glm::vec3 target(-7.0f, 0.0f, 1.0f);
    const ListenerPose pose =
        listenerFromView(glm::lookAt(eye, target, glm::vec3(0.0f, 1.0f, 0.0f)));
    const glm::vec3 forward = glm::normalize(target - eye);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(pose.position[i], eye[i], 1e-4f);
        EXPECT_NEAR(pose.forward[i], forward[i], 1e-5f);
    }
    EXPECT_NEAR(glm::dot(pose.up, forward), 0.0f, 1e-5f);
    EXPECT_GT(pose.up.y, 0.0f);
    // Looking straight down, as the camera does once the round is over.
    const ListenerPose down = listenerFromView(
        glm::lookAt(glm::vec3(0.0f, 30.0f, 0.0f), glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, -1.0f)));
    EXPECT_NEAR(down.forward.y, -1.0f, 1e-5f);
    EXPECT_NEAR(down.up.z, -1.0f, 1e-5f);
}

namespace {
SoundFrame playingFrame() {
    SoundFrame frame;
    frame.frameTime = 1.0f / 60.0f;
    frame.timeLeft = 200.0f;
    frame.driveSpeed = -10.0f;
    frame.robotPosition = glm::vec3(1.0f, 1.6f, 2.0f);
    frame.driveSeconds = frame.frameTime;
    return frame;
}
}  // namespace

TEST(SoundRules, APlanFollowsTheStateItSeesNotTheKeysThatChangedIt) {
    SoundRulesState state;
    SoundFrame frame = playingFrame();
    SoundPlan plan = planSound(state, frame, 0.8f);
    EXPECT_FLOAT_EQ(plan.listenerGain, 0.8f);
    EXPECT_EQ(plan.pause, PauseChange::None);
    EXPECT_FLOAT_EQ(plan.engine.gain, engineVoice(-10.0f).gain);
    EXPECT_EQ(plan.enginePosition, frame.robotPosition);
    EXPECT_FALSE(plan.cut.play);

    // Three tiles in one step: one cut at their middle.
    frame.tilesMown = 3;
    frame.mownCentre = glm::vec3(4.0f, 1.5f, -6.0f);
    plan = planSound(state, frame, 0.8f);
    EXPECT_TRUE(plan.cut.play);
    EXPECT_FLOAT_EQ(plan.cut.gain, cutGain(3));
    EXPECT_EQ(plan.cut.position, frame.mownCentre);
    EXPECT_NEAR(plan.cut.pitch, 1.0f, 0.1f);

    // Paused, by whatever: the one-shots pause once, the engine fades; then they resume once.
    frame = playingFrame();
    frame.paused = true;
    frame.driveSeconds = 0.0f;
    EXPECT_EQ(planSound(state, frame, 0.8f).pause, PauseChange::Pause);
    for (int i = 0; i < 30; ++i) plan = planSound(state, frame, 0.8f);
    EXPECT_EQ(plan.pause, PauseChange::None);
    EXPECT_EQ(plan.engine.gain, 0.0f);
    frame.paused = false;
    EXPECT_EQ(planSound(state, frame, 0.8f).pause, PauseChange::Resume);

    // Muted: the listener is silent, the rest goes on; volumes outside 0 to 1 are held to it.
    frame.muted = true;
    plan = planSound(state, frame, 0.8f);
    EXPECT_TRUE(plan.muteChanged);
    EXPECT_EQ(plan.listenerGain, 0.0f);
    EXPECT_FALSE(planSound(state, frame, 0.8f).muteChanged);
    frame.muted = false;
    EXPECT_FLOAT_EQ(planSound(state, frame, 3.0f).listenerGain, 1.0f);
}

TEST(SoundRules, AnEndedRoundSilencesTheRobotPlaysItsCueOnceAndANewRoundStartsAfresh) {
    SoundRulesState state;
    SoundFrame frame = playingFrame();
    planSound(state, frame, 1.0f);

    frame.won = true;
    frame.tilesMown = 2;
    frame.blockedDistance = 1.0f;
    SoundPlan plan = planSound(state, frame, 1.0f);
    EXPECT_EQ(plan.endCue, EndCue::Won);
    EXPECT_FALSE(plan.cut.play);
    EXPECT_FALSE(plan.bump.play);
    for (int i = 0; i < 60; ++i) {
        plan = planSound(state, frame, 1.0f);
        EXPECT_EQ(plan.endCue, EndCue::None);
    }
    EXPECT_EQ(plan.engine.gain, 0.0f);

    // The round is played again (restarted): the old cue stops and the engine comes back.
    frame = playingFrame();
    plan = planSound(state, frame, 1.0f);
    EXPECT_TRUE(plan.newRound);
    EXPECT_GT(plan.engine.gain, 0.0f);
    frame.lost = true;
    EXPECT_EQ(planSound(state, frame, 1.0f).endCue, EndCue::Lost);
}

TEST(SoundRules, PitchVariesWithinItsSpreadAndRandIsNeverCalled) {
    std::srand(7);
    const int expected = std::rand();
    std::srand(7);

    PitchVariation variation;
    float lowest = 2.0f;
    float highest = 0.0f;
    for (int i = 0; i < 1000; ++i) {
        const float pitch = variation.next(0.1f);
        lowest = std::min(lowest, pitch);
        highest = std::max(highest, pitch);
    }
    EXPECT_GE(lowest, 0.9f);
    EXPECT_LE(highest, 1.1f);
    EXPECT_LT(lowest, 0.92f);
    EXPECT_GT(highest, 1.08f);

    SoundRulesState state;
    SoundFrame frame = playingFrame();
    frame.tilesMown = 1;
    frame.blockedDistance = 0.3f;
    for (int i = 0; i < 600; ++i) planSound(state, frame, 1.0f);
    EXPECT_EQ(std::rand(), expected);
}
