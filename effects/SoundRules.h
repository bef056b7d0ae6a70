#pragma once

#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// The rules of the game's sound as pure functions: what a frame sounds like, decided from what
// the frame saw. effects/Sound.cpp carries the decisions out with OpenAL; nothing here plays.

// The top of the speed ladder: holding W or S settles the drive speed here.
constexpr float topDriveSpeed = 20.0f;

// The engine loop's pitch (1 plays the file as it is) and gain.
struct EngineVoice {
    float pitch = 1.0f;
    float gain = 0.0f;
};

// The engine at drive speed `speed`, either sign: a low idle hum at rest that rises evenly in
// pitch and gain to full at the top of the speed ladder, and no further beyond it.
EngineVoice engineVoice(float speed);

// How long the engine takes to fade out (paused, round over) or back in.
constexpr float engineFadeSeconds = 0.4f;

// The engine's fade, 0 silent to 1 full, after `dt` more seconds of running or not running.
float nextEngineFade(float fade, bool running, float dt);

// The gain of the one cut for `tiles` tiles mown in one physics step: none for none, louder the
// more tiles, never above 1.
float cutGain(int tiles);

// Turns the travel that obstacles took from the robot, frame by frame, into stops. The frames are
// gathered into windows of at least stopWindowSeconds, so that the robot's short moves, kept back
// and made a few frames later at very high frame rates, even out. A stop is a rise of the speed
// lost to obstacles from one window to the next, told once the rise is over: driving into a wall
// raises it from 0 to the whole speed, while sliding along a wall, leaning on one or speeding up
// against one keeps it level or lets it creep.
struct StopTracker {
    float seconds = 0.0f;   // of drive gathered towards the current window
    float blocked = 0.0f;   // distance that obstacles took in it
    float lastLoss = 0.0f;  // speed lost to obstacles in the window before, units per second
    float riseFrom = 0.0f;  // the lost speed from which the present rise began
};
constexpr float stopWindowSeconds = 1.0f / 60.0f;

// Gathers one frame: `blockedDistance` of travel along the robot's direction of travel was taken
// by obstacles in a drive of `seconds`. Returns the size of a stop (units per second of speed
// lost) when a rise has just ended, 0 otherwise; a frame without a drive (paused) changes nothing.
float trackStop(StopTracker& tracker, float blockedDistance, float seconds);

// The bump's gain for a stop of `stopSpeed`: none for a stop too small to hear (a graze), louder
// the harder the stop, full at the top of the speed ladder.
float bumpGain(float stopSpeed);

// The countdown's ticks: one each time the seconds shown change during the last ten seconds,
// while the status line is red, from 00:09 to 00:00. `lastTick` is the second of the last tick,
// 10 while none of the current run of ten has sounded; it re-arms as soon as ten seconds or more
// are left again (a new round).
struct TickClock {
    int lastTick = 10;
};
bool tickDue(TickClock& clock, float timeLeft);

enum class EndCue { None, Won, Lost };

// The end cues sound once per round: the first frame that sees the round won (or, failing that,
// lost) plays its cue, and nothing more until a frame sees the round not ended (a new round).
struct EndCueLatch {
    bool played = false;
};
EndCue endCueDue(EndCueLatch& latch, bool won, bool lost);

// A generator of its own for small pitch variations, so that the same cut does not sound the same
// every time; rand() is never called (the smoke's sequence depends on it).
class PitchVariation {
public:
    // A factor within [1 - spread, 1 + spread].
    float next(float spread);

private:
    std::uint32_t state = 0x9e3779b9u;
};

// Where the listener is and which way it faces, from the camera's view matrix.
struct ListenerPose {
    glm::vec3 position{0.0f};
    glm::vec3 forward{0.0f, 0.0f, -1.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
};
ListenerPose listenerFromView(const glm::mat4& view);

// What one frame of the game saw, all that the sound follows. The sound follows the state, never
// the keys: whatever paused the game, restarted the round or turned the countdown back is heard.
struct SoundFrame {
    float frameTime = 0.0f;
    bool paused = false;
    bool muted = false;
    bool won = false;
    bool lost = false;
    float timeLeft = 0.0f;  // of the countdown, negative once it has run out
    float driveSpeed = 0.0f;
    glm::vec3 robotPosition{0.0f};
    // This frame's physics step; all zero in a frame without one (paused).
    int tilesMown = 0;
    glm::vec3 mownCentre{0.0f};    // the middle of the tiles mown
    float blockedDistance = 0.0f;  // travel that obstacles took from the robot's drive
    float driveSeconds = 0.0f;     // the time that drive covered
    glm::mat4 view{1.0f};          // the camera's, which is the listener
};

// A one-shot sound to start.
struct OneShot {
    bool play = false;
    float gain = 0.0f;
    float pitch = 1.0f;
    glm::vec3 position{0.0f};
};

enum class PauseChange { None, Pause, Resume };

// What the sound does in one frame.
struct SoundPlan {
    float listenerGain = 1.0f;
    ListenerPose listener;
    EngineVoice engine;  // gain 0: the engine stands
    glm::vec3 enginePosition{0.0f};
    OneShot cut;
    OneShot bump;
    bool tick = false;
    EndCue endCue = EndCue::None;
    PauseChange pause = PauseChange::None;  // of the one-shot sounds that are playing
    bool newRound = false;                  // the round had ended and is on again
    bool muteChanged = false;
};

// Everything the rules remember from one frame to the next.
struct SoundRulesState {
    float engineFade = 1.0f;
    StopTracker stop;
    TickClock ticks;
    EndCueLatch endCue;
    PitchVariation pitch;
    bool paused = false;
    bool muted = false;
    bool ended = false;
};

// A new round: what the rules held back from the old one (a stop not told yet) is forgotten.
void forgetRound(SoundRulesState& state);

// Decides one frame's sound. `volume` is the setting, 0 to 1; muting takes the listener to 0.
SoundPlan planSound(SoundRulesState& state, const SoundFrame& frame, float volume);
