#include "effects/Sound.h"

#include <AL/al.h>
#include <AL/alext.h>

#include <algorithm>
#include <iostream>
#include <system_error>
#include <thread>
#include <utility>

#include "effects/SoundFile.h"

namespace {
// In the order of Sound's SoundId.
const char* const soundFiles[] = {"engine.flac", "cut.flac", "bump.flac",
                                  "tick.flac",   "won.flac", "lost.flac"};

// Sounds in the arena are at full gain up to the camera's usual distance from the robot and fade
// with distance beyond it, to 40 % at the farthest zoom.
constexpr float referenceDistance = 20.0f;
constexpr float maxDistance = 200.0f;

// How often the device's connection is read, and how long after a loss (or a failed attempt) the
// default device is tried again.
constexpr std::chrono::seconds connectionCheckInterval(1);
constexpr std::chrono::seconds reconnectInterval(3);
// The longest that quitting waits for an attempt to open a device: a sound server that accepts
// and never answers must not hold the window open.
constexpr std::chrono::milliseconds quitWait(500);

// A device without the disconnect extension leaves the value as it is: connected.
bool isConnected(ALCdevice* device) {
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    return connected != ALC_FALSE;
}

ALint sourceState(const AlSource& source) {
    ALint state = AL_INITIAL;
    alGetSourcei(source.get(), AL_SOURCE_STATE, &state);
    return state;
}

void placeInArena(const AlSource& source) {
    alSourcef(source.get(), AL_REFERENCE_DISTANCE, referenceDistance);
    alSourcef(source.get(), AL_MAX_DISTANCE, maxDistance);
    alSourcef(source.get(), AL_ROLLOFF_FACTOR, 1.0f);
}

void setPosition(const AlSource& source, const glm::vec3& position) {
    alSource3f(source.get(), AL_POSITION, position.x, position.y, position.z);
}

// libsndfile's messages end in a full stop, ours go on after them.
std::string withoutFullStop(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == '\n')) text.pop_back();
    return text;
}
}  // namespace

void Sound::CloseDevice::operator()(ALCdevice* openDevice) const {
    alcCloseDevice(openDevice);
}

void Sound::DestroyContext::operator()(ALCcontext* openContext) const {
    if (alcGetCurrentContext() == openContext) alcMakeContextCurrent(nullptr);
    alcDestroyContext(openContext);
}

Sound::DeviceAccess Sound::openAlDevices() {
    return {openDefaultDevice, isConnected, connectionCheckInterval, reconnectInterval};
}

Sound::Sound(float volumeSetting, const std::string& soundFolderPath)
    : Sound(volumeSetting, soundFolderPath, openAlDevices()) {}

Sound::Sound(float volumeSetting, const std::string& soundFolderPath, DeviceAccess access)
    : volume(volumeSetting), folder(soundFolderPath), devices(std::move(access)) {
    OpenedDevice opened = devices.open();
    if (!opened.device) {
        std::cout << "Sound: no audio device, playing without sound" << std::endl;
        return;
    }
    loadSounds();
    if (!startOutput(std::move(opened))) {
        std::cout << "Sound: the audio device would not start, playing without sound" << std::endl;
        return;
    }
    watching = true;
    nextCheck = Clock::now() + devices.checkInterval;
}

Sound::~Sound() {
    if (!attempt) return;
    OpenedDevice late;
    std::unique_lock<std::mutex> lock(attempt->mutex);
    if (attempt->finished.wait_for(lock, quitWait, [this] { return attempt->done; })) {
        late = std::move(attempt->opened);  // closed here, before the output goes
    } else {
        attempt->abandoned = true;
    }
}

void Sound::runAttempt(const std::shared_ptr<Attempt>& attempt,
                       const std::function<OpenedDevice()>& open) {
    OpenedDevice opened = open();
    std::lock_guard<std::mutex> lock(attempt->mutex);
    // Nobody waits for it any more: it goes as `opened` does, on this thread.
    if (attempt->abandoned) return;
    attempt->opened = std::move(opened);
    attempt->done = true;
    attempt->finished.notify_all();
}

Sound::OpenedDevice Sound::openDefaultDevice() {
    OpenedDevice opened;
    opened.device.reset(alcOpenDevice(nullptr));
    if (opened.device) opened.context.reset(alcCreateContext(opened.device.get(), nullptr));
    return opened;
}

bool Sound::startOutput(OpenedDevice opened) {
    if (!opened.context || alcMakeContextCurrent(opened.context.get()) != ALC_TRUE) return false;
    output = std::make_unique<Output>();
    output->device = std::move(opened.device);
    output->context = std::move(opened.context);
    createBuffers(*output);
    createSources(*output);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    lastCutVoice = -1;
    lastBumpVoice = -1;
    return true;
}

void Sound::loadSounds() {
    for (int id = 0; id < soundCount; ++id) {
        const std::string path = folder + soundFiles[id];
        std::string error;
        sounds[static_cast<std::size_t>(id)] = readSoundFile(path, error);
        if (!sounds[static_cast<std::size_t>(id)]) {
            std::cout << "ERROR: Failed to load sound '" << path << "': " << withoutFullStop(error)
                      << ". It stays silent." << std::endl;
        }
    }
}

void Sound::createBuffers(Output& out) const {
    for (int id = 0; id < soundCount; ++id) {
        const std::optional<PcmSound>& pcm = sounds[static_cast<std::size_t>(id)];
        if (!pcm) continue;
        const std::string path = folder + soundFiles[id];
        AlBuffer buffer = AlBuffer::create();
        if (!buffer) {
            std::cout << "ERROR: No room for sound '" << path << "'. It stays silent." << std::endl;
            continue;
        }
        alBufferData(buffer.get(), pcm->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16,
                     pcm->samples.data(),
                     static_cast<ALsizei>(pcm->samples.size() * sizeof(pcm->samples[0])),
                     pcm->sampleRate);
        if (alGetError() != AL_NO_ERROR) {
            std::cout << "ERROR: Sound '" << path << "' cannot be played. It stays silent."
                      << std::endl;
            continue;
        }
        out.buffers[static_cast<std::size_t>(id)] = std::move(buffer);
    }
}

void Sound::createSources(Output& out) const {
    out.engine = AlSource::create();
    if (out.engine) {
        placeInArena(out.engine);
        alSourcei(out.engine.get(), AL_LOOPING, AL_TRUE);
        alSourcei(out.engine.get(), AL_BUFFER, static_cast<ALint>(out.buffers[engineSound].get()));
    }
    for (int voice = 0; voice < voiceCount; ++voice) {
        AlSource& source = out.oneShots[static_cast<std::size_t>(voice)];
        source = AlSource::create();
        if (!source) continue;
        if (voice < tickVoice) {
            placeInArena(source);
        } else {
            // The tick and the end cues are the game's own voice: heard from nowhere in
            // particular, always at the listener.
            alSourcei(source.get(), AL_SOURCE_RELATIVE, AL_TRUE);
        }
    }
}

void Sound::watchDevice() {
    if (!watching) return;
    const Clock::time_point now = Clock::now();
    if (output) {
        if (now < nextCheck) return;
        nextCheck = now + devices.checkInterval;
        if (devices.connected(output->device.get())) return;
        // OpenAL Soft has stopped every source of a lost device; they go with it.
        output.reset();
        std::cout << "Sound: the audio device is gone, playing without sound until it is back"
                  << std::endl;
        nextAttempt = now + devices.reconnectInterval;
        return;
    }
    if (attempt) {
        OpenedDevice opened;
        {
            const std::lock_guard<std::mutex> lock(attempt->mutex);
            if (!attempt->done) return;
            opened = std::move(attempt->opened);
        }
        attempt.reset();
        if (startOutput(std::move(opened))) {
            std::cout << "Sound: the audio device is back" << std::endl;
            nextCheck = now + devices.checkInterval;
        } else {
            nextAttempt = now + devices.reconnectInterval;
        }
        return;
    }
    if (now < nextAttempt) return;
    // Opening a device takes from under a millisecond (none there) to tens of them (a sound
    // server connecting, or starting), too long for a frame: it runs beside the game, on a thread
    // that nothing waits for at the end.
    try {
        auto fresh = std::make_shared<Attempt>();
        std::thread(runAttempt, fresh, devices.open).detach();
        attempt = std::move(fresh);
    } catch (const std::system_error&) {
        nextAttempt = now + devices.reconnectInterval;  // no thread to be had this time
    }
}

void Sound::startNewRound() {
    forgetRound(rules);
    if (!output) return;
    for (const AlSource& source : output->oneShots) {
        if (source) alSourceStop(source.get());
    }
}

bool Sound::isQuiet() const {
    return !output || (!output->engineRunning && voices().playing == 0);
}

void Sound::update(const SoundFrame& frame) {
    watchDevice();
    // The rules follow the game also while there is nothing to play on, so that a device that
    // comes back carries on where the game is.
    const SoundPlan plan = planSound(rules, frame, volume);
    if (!output) return;

    if (plan.listenerGain != output->listenerGain) {
        output->listenerGain = plan.listenerGain;
        alListenerf(AL_GAIN, output->listenerGain);
    }
    if (plan.muteChanged) {
        std::cout << (frame.muted ? "Sound: muted" : "Sound: on") << std::endl;
    }
    const ListenerPose& pose = plan.listener;
    alListener3f(AL_POSITION, pose.position.x, pose.position.y, pose.position.z);
    const ALfloat orientation[] = {pose.forward.x, pose.forward.y, pose.forward.z,
                                   pose.up.x,      pose.up.y,      pose.up.z};
    alListenerfv(AL_ORIENTATION, orientation);

    if (plan.newRound) {
        stopVoice(tickVoice);
        stopVoice(cueVoice);
    }
    if (plan.pause == PauseChange::Pause) pauseVoices();
    if (plan.pause == PauseChange::Resume) resumeVoices();

    runEngine(plan);
    if (plan.cut.play) playOneShot(cutSound, plan.cut, 0, cutVoices, lastCutVoice);
    if (plan.bump.play) playOneShot(bumpSound, plan.bump, cutVoices, bumpVoices, lastBumpVoice);
    if (plan.tick) playCentred(tickSound, tickVoice);
    if (plan.endCue != EndCue::None) {
        playCentred(plan.endCue == EndCue::Won ? wonSound : lostSound, cueVoice);
    }
}

void Sound::pauseVoices() {
    for (const AlSource& source : output->oneShots) {
        if (source && sourceState(source) == AL_PLAYING) alSourcePause(source.get());
    }
}

void Sound::resumeVoices() {
    for (const AlSource& source : output->oneShots) {
        if (source && sourceState(source) == AL_PAUSED) alSourcePlay(source.get());
    }
}

void Sound::stopVoice(int voice) {
    const AlSource& source = output->oneShots[static_cast<std::size_t>(voice)];
    if (source) alSourceStop(source.get());
}

void Sound::runEngine(const SoundPlan& plan) {
    const AlSource& engine = output->engine;
    bool& engineRunning = output->engineRunning;
    if (!engine || !output->buffers[engineSound]) return;
    const bool audible = plan.engine.gain > 0.0f;
    if (audible) {
        alSourcef(engine.get(), AL_GAIN, plan.engine.gain);
        alSourcef(engine.get(), AL_PITCH, plan.engine.pitch);
        setPosition(engine, plan.enginePosition);
    }
    // Faded out, it stands rather than play on unheard.
    if (audible && !engineRunning) alSourcePlay(engine.get());
    if (!audible && engineRunning) alSourcePause(engine.get());
    engineRunning = audible;
}

void Sound::playOneShot(SoundId sound, const OneShot& shot, int first, int count, int& last) {
    const AlBuffer& buffer = output->buffers[static_cast<std::size_t>(sound)];
    if (!buffer) return;
    // The voice used longest ago: when all are busy the oldest sound gives way.
    last = (last + 1) % count;
    const AlSource& source = output->oneShots[static_cast<std::size_t>(first + last)];
    if (!source) return;
    alSourceStop(source.get());
    alSourcei(source.get(), AL_BUFFER, static_cast<ALint>(buffer.get()));
    alSourcef(source.get(), AL_GAIN, shot.gain);
    alSourcef(source.get(), AL_PITCH, shot.pitch);
    setPosition(source, shot.position);
    alSourcePlay(source.get());
}

void Sound::playCentred(SoundId sound, int voice) {
    const AlBuffer& buffer = output->buffers[static_cast<std::size_t>(sound)];
    const AlSource& source = output->oneShots[static_cast<std::size_t>(voice)];
    if (!buffer || !source) return;
    alSourceStop(source.get());
    alSourcei(source.get(), AL_BUFFER, static_cast<ALint>(buffer.get()));
    alSourcePlay(source.get());
}

Sound::Voices Sound::voices() const {
    Voices now;
    if (!output) return now;
    for (const AlSource& source : output->oneShots) {
        if (!source) continue;
        const ALint state = sourceState(source);
        now.playing += state == AL_PLAYING ? 1 : 0;
        now.paused += state == AL_PAUSED ? 1 : 0;
    }
    now.engine = output->engine && sourceState(output->engine) == AL_PLAYING;
    alGetListenerf(AL_GAIN, &now.listenerGain);
    return now;
}
