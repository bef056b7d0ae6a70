#pragma once

#include <AL/alc.h>

#include <array>
#include <memory>
#include <string>

#include "effects/AlHandle.h"
#include "effects/SoundRules.h"

// Where the game finds its sounds, relative to the working directory.
inline const char* const soundFolder = "assets/sounds/";

// The game's sound: the audio device, its context, one buffer per sound file and a fixed set of
// sources, owned here and released in reverse order. OpenAL Soft mixes on a thread of its own;
// everything here runs on the main thread.
//
// Without an audio device it prints one line and stays silent for good, and the game goes on as
// it would without sound. A sound file that cannot be read prints a line naming it; that sound
// stays silent and the others play.
class Sound {
public:
    // `volume` is the setting, 0 (silent) to 1.
    explicit Sound(float volume, const std::string& folder = soundFolder);
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Plays one frame: the listener goes to the camera, the engine follows the robot, and the
    // cut, bump, tick and end cues the rules call for start. Allocates nothing.
    void update(const SoundFrame& frame);

    bool hasDevice() const { return context != nullptr; }

    // What is sounding at the moment (for tests): sources playing, paused, and the engine.
    struct Voices {
        int playing = 0;  // one-shot sources playing
        int paused = 0;   // one-shot sources paused
        bool engine = false;
        float listenerGain = 0.0f;
    };
    Voices voices() const;

private:
    enum SoundId { engineSound, cutSound, bumpSound, tickSound, wonSound, lostSound, soundCount };
    // The one-shot sources: a small pool for cuts and one for bumps, so that a burst of them
    // never piles up voices, then the tick and the end cue.
    static constexpr int cutVoices = 4;
    static constexpr int bumpVoices = 2;
    static constexpr int tickVoice = cutVoices + bumpVoices;
    static constexpr int cueVoice = tickVoice + 1;
    static constexpr int voiceCount = cueVoice + 1;

    struct CloseDevice {
        void operator()(ALCdevice* device) const;
    };
    struct DestroyContext {
        void operator()(ALCcontext* context) const;
    };

    bool openDevice();
    void loadSounds(const std::string& folder);
    void createSources();
    void pauseVoices();
    void resumeVoices();
    void stopVoice(int voice);
    void runEngine(const SoundPlan& plan);
    // Starts `sound` on the first voice of [first, first + count) after the one used last.
    void playOneShot(SoundId sound, const OneShot& shot, int first, int count, int& last);
    void playCentred(SoundId sound, int voice);

    // Declared in the order of creation: released in reverse.
    std::unique_ptr<ALCdevice, CloseDevice> device;
    std::unique_ptr<ALCcontext, DestroyContext> context;
    std::array<AlBuffer, soundCount> buffers;
    AlSource engine;
    std::array<AlSource, voiceCount> oneShots;

    float volume;
    SoundRulesState rules;
    bool engineRunning = false;
    float listenerGain = -1.0f;  // as last set; none yet
    int lastCutVoice = -1;
    int lastBumpVoice = -1;
};
