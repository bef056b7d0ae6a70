#pragma once

#include <AL/alc.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "effects/AlHandle.h"
#include "effects/SoundFile.h"
#include "effects/SoundRules.h"

// Where the game finds its sounds, relative to the working directory.
inline const char* const soundFolder = "assets/sounds/";

// The game's sound: the audio device, its context, one buffer per sound file and a fixed set of
// sources, owned together and released in reverse order. OpenAL Soft mixes on a thread of its
// own; everything here runs on the main thread, except the opening of a device that comes back.
//
// Without an audio device at start it prints one line and stays silent for good, and the game
// goes on as it would without sound. A device lost during play (a headset unplugged, the sound
// server stopped) is noticed within about a second: one line, and the game plays on silently
// while the default device is tried again every few seconds, in the background; once one opens,
// one line, and the sound carries on where the game is. A sound file that cannot be read prints
// a line naming it; that sound stays silent and the others play.
class Sound {
public:
    struct CloseDevice {
        void operator()(ALCdevice* device) const;
    };
    struct DestroyContext {
        void operator()(ALCcontext* context) const;
    };
    using DevicePointer = std::unique_ptr<ALCdevice, CloseDevice>;
    using ContextPointer = std::unique_ptr<ALCcontext, DestroyContext>;

    // The default device with a context on it, nothing made on it yet; either may be missing.
    struct OpenedDevice {
        DevicePointer device;
        ContextPointer context;
    };
    // Opens OpenAL Soft's default device. May run on any thread: it makes no context current.
    static OpenedDevice openDefaultDevice();

    // What the sound asks of the audio system besides playing: to open the default device (on a
    // thread of its own when it tries again), and whether an open device is still connected; and
    // how often it looks and tries. A test stands in a device that goes, or one that never opens.
    struct DeviceAccess {
        std::function<OpenedDevice()> open;
        std::function<bool(ALCdevice*)> connected;
        std::chrono::milliseconds checkInterval;
        std::chrono::milliseconds reconnectInterval;
    };
    // OpenAL Soft's: its default device, its disconnect extension, a look about once a second
    // and a new attempt every few seconds.
    static DeviceAccess openAlDevices();

    // `volume` is the setting, 0 (silent) to 1.
    explicit Sound(float volume, const std::string& folder = soundFolder);
    Sound(float volume, const std::string& folder, DeviceAccess devices);
    // Waits for an attempt to open a device that is under way half a second at most; one that
    // takes longer is left to finish on its own, and closes the device it opens.
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Plays one frame: the listener goes to the camera, the engine follows the robot, and the
    // cut, bump, tick and end cues the rules call for start. Allocates nothing, except in the
    // frame that a lost device comes back in.
    void update(const SoundFrame& frame);

    // A new round: every one-shot sound stops, so that none paused in the old round resumes in
    // the new one, and a bump the old round left pending is dropped. The engine goes on.
    void startNewRound();

    bool hasDevice() const { return output != nullptr; }
    // Nothing sounds: no device, or the engine standing and no one-shot playing.
    bool isQuiet() const;

    // What is sounding at the moment (for tests): sources playing, paused, and the engine.
    struct Voices {
        int playing = 0;  // one-shot sources playing
        int paused = 0;   // one-shot sources paused
        bool engine = false;
        float listenerGain = 0.0f;
    };
    Voices voices() const;

private:
    using Clock = std::chrono::steady_clock;
    enum SoundId { engineSound, cutSound, bumpSound, tickSound, wonSound, lostSound, soundCount };
    // The one-shot sources: a small pool for cuts and one for bumps, so that a burst of them
    // never piles up voices, then the tick and the end cue.
    static constexpr int cutVoices = 4;
    static constexpr int bumpVoices = 2;
    static constexpr int tickVoice = cutVoices + bumpVoices;
    static constexpr int cueVoice = tickVoice + 1;
    static constexpr int voiceCount = cueVoice + 1;

    // An attempt to open the default device, on a thread of its own. The sound and the thread
    // share it, so that either may go first: a sound that stops waiting marks it abandoned, and
    // the thread then closes what it opened instead of handing it over.
    struct Attempt {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        bool abandoned = false;
        OpenedDevice opened;
    };
    static void runAttempt(const std::shared_ptr<Attempt>& attempt,
                           const std::function<OpenedDevice()>& open);

    // One device and everything made on it, declared in the order of creation: released in
    // reverse, the sources and buffers while their context is still current.
    struct Output {
        DevicePointer device;
        ContextPointer context;
        std::array<AlBuffer, soundCount> buffers;
        AlSource engine;
        std::array<AlSource, voiceCount> oneShots;
        bool engineRunning = false;
        float listenerGain = -1.0f;  // as last set; none yet
    };

    void loadSounds();
    // Makes the opened device's context current and fills it: false if it would not start.
    bool startOutput(OpenedDevice opened);
    void createBuffers(Output& out) const;
    void createSources(Output& out) const;
    // About once a second, whether the device is still there; once it is gone, a new attempt
    // every few seconds, each on a thread of its own.
    void watchDevice();

    void pauseVoices();
    void resumeVoices();
    void stopVoice(int voice);
    void runEngine(const SoundPlan& plan);
    // Starts `sound` on the first voice of [first, first + count) after the one used last.
    void playOneShot(SoundId sound, const OneShot& shot, int first, int count, int& last);
    void playCentred(SoundId sound, int voice);

    float volume;
    std::string folder;
    DeviceAccess devices;
    // Every sound decoded once, for whichever device plays it.
    std::array<std::optional<PcmSound>, soundCount> sounds;
    SoundRulesState rules;
    int lastCutVoice = -1;
    int lastBumpVoice = -1;

    std::unique_ptr<Output> output;
    // A device was there at start: its loss is looked for, and a new one sought.
    bool watching = false;
    Clock::time_point nextCheck;
    Clock::time_point nextAttempt;
    // The attempt under way, if any.
    std::shared_ptr<Attempt> attempt;
};
