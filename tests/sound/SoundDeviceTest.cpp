// The game's sound on a real OpenAL Soft device: its wave writer, which mixes in real time into a
// WAV file instead of a sound card, so these tests run on any machine, sound card or none.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <glm/gtc/matrix_transform.hpp>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "effects/Sound.h"
#include "effects/SoundRules.h"

namespace {

std::string scratchPath(const std::string& name) {
    return testing::TempDir() + "tessel_sound_device_" + std::to_string(getpid()) + "_" + name;
}

const std::string recording = scratchPath("recording.wav");

// OpenAL Soft reads its configuration once, at its first call in the process: it has to be in
// place before any test opens a device.
class WaveOutput : public testing::Environment {
public:
    void SetUp() override {
        std::ofstream(config) << "[general]\ndrivers=wave\n[wave]\nfile=" << recording << "\n";
        setenv("ALSOFT_CONF", config.c_str(), 1);
        setenv("ALSOFT_DRIVERS", "wave", 1);
    }
    void TearDown() override {
        std::remove(config.c_str());
        std::remove(recording.c_str());
    }

private:
    const std::string config = scratchPath("alsoft.conf");
};
[[maybe_unused]] testing::Environment* const waveOutput =
    testing::AddGlobalTestEnvironment(new WaveOutput);

// A frame of play: the camera at (0, 2, 10) looking towards -z, the robot in front of it.
SoundFrame playing() {
    SoundFrame frame;
    frame.frameTime = 1.0f / 60.0f;
    frame.timeLeft = 200.0f;
    frame.robotPosition = glm::vec3(0.0f, 2.0f, -10.0f);
    frame.view = glm::lookAt(glm::vec3(0.0f, 2.0f, 10.0f), glm::vec3(0.0f, 2.0f, -10.0f),
                             glm::vec3(0.0f, 1.0f, 0.0f));
    return frame;
}

std::unique_ptr<Sound> openQuietly(float volume, const std::string& folder = soundFolder) {
    testing::internal::CaptureStdout();
    auto sound = std::make_unique<Sound>(volume, folder);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "");
    return sound;
}

// The RMS level of each of the recording's two channels.
struct Levels {
    double left = 0.0;
    double right = 0.0;
};
Levels levelsOfRecording() {
    SF_INFO info{};
    SNDFILE* file = sf_open(recording.c_str(), SFM_READ, &info);
    if (file == nullptr || info.channels != 2) {
        ADD_FAILURE() << "cannot read the recording: " << sf_strerror(nullptr);
        if (file) sf_close(file);
        return {};
    }
    std::vector<float> samples(static_cast<std::size_t>(info.frames) * 2);
    const sf_count_t frames = sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    Levels levels;
    for (sf_count_t i = 0; i < frames; ++i) {
        levels.left +=
            samples[static_cast<std::size_t>(2 * i)] * samples[static_cast<std::size_t>(2 * i)];
        levels.right += samples[static_cast<std::size_t>(2 * i + 1)] *
                        samples[static_cast<std::size_t>(2 * i + 1)];
    }
    if (frames > 0) {
        levels.left = std::sqrt(levels.left / static_cast<double>(frames));
        levels.right = std::sqrt(levels.right / static_cast<double>(frames));
    }
    return levels;
}

// Plays the engine with the robot at `robot` for half a second, then closes the device, which
// finishes the recording.
Levels engineHeardFrom(const glm::vec3& robot) {
    auto sound = openQuietly(1.0f);
    EXPECT_TRUE(sound->hasDevice());
    SoundFrame frame = playing();
    frame.robotPosition = robot;
    sound->update(frame);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sound.reset();
    return levelsOfRecording();
}

}  // namespace

TEST(SoundDevice, ASoundOnTheCamerasLeftIsHeardOnTheLeft) {
    // The camera looks towards -z from (0, 2, 10): -x is on its left.
    const Levels left = engineHeardFrom(glm::vec3(-15.0f, 2.0f, 10.0f));
    EXPECT_GT(left.left, 0.01);
    EXPECT_GT(left.left, 2.0 * left.right) << left.left << " against " << left.right;
    const Levels right = engineHeardFrom(glm::vec3(15.0f, 2.0f, 10.0f));
    EXPECT_GT(right.right, 0.01);
    EXPECT_GT(right.right, 2.0 * right.left) << right.right << " against " << right.left;
}

TEST(SoundDevice, EveryOneShotPausesAndResumesWithTheGameAndCutsShareASmallPool) {
    auto sound = openQuietly(1.0f);
    ASSERT_TRUE(sound->hasDevice());
    SoundFrame frame = playing();
    sound->update(frame);
    EXPECT_TRUE(sound->voices().engine);
    EXPECT_EQ(sound->voices().playing, 0);

    // The round is lost: its cue (two seconds) plays, and the pause holds it where it is.
    frame.lost = true;
    frame.timeLeft = -0.01f;
    sound->update(frame);
    ASSERT_EQ(sound->voices().playing, 1);
    frame.paused = true;
    frame.frameTime = engineFadeSeconds;
    sound->update(frame);
    Sound::Voices voices = sound->voices();
    EXPECT_EQ(voices.playing, 0);
    EXPECT_EQ(voices.paused, 1);
    EXPECT_FALSE(voices.engine);  // faded out, as it does once the round is over
    frame.paused = false;
    sound->update(frame);
    voices = sound->voices();
    EXPECT_EQ(voices.paused, 0);
    EXPECT_EQ(voices.playing, 1);

    // A new round: the old cue stops and the engine comes back.
    frame = playing();
    sound->update(frame);
    EXPECT_EQ(sound->voices().playing, 0);
    EXPECT_TRUE(sound->voices().engine);

    // A cut in every one of many steps: never more voices than the pool holds.
    frame.tilesMown = 2;
    for (int i = 0; i < 20; ++i) {
        sound->update(frame);
        EXPECT_GE(sound->voices().playing, 1);
        EXPECT_LE(sound->voices().playing, 4);
    }
}

TEST(SoundDevice, MuteAndTheVolumeSetTheListenersGain) {
    auto sound = openQuietly(0.6f);
    SoundFrame frame = playing();
    sound->update(frame);
    EXPECT_FLOAT_EQ(sound->voices().listenerGain, 0.6f);
    frame.muted = true;
    testing::internal::CaptureStdout();
    sound->update(frame);
    sound->update(frame);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound: muted\n");
    EXPECT_EQ(sound->voices().listenerGain, 0.0f);
    frame.muted = false;
    testing::internal::CaptureStdout();
    sound->update(frame);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sound: on\n");
    EXPECT_FLOAT_EQ(sound->voices().listenerGain, 0.6f);
}

TEST(SoundDevice, AMissingOrBrokenFileSilencesThatSoundAlone) {
    namespace fs = std::filesystem;
    const fs::path folder = scratchPath("sounds/");
    fs::create_directories(folder);
    for (const char* name : {"engine.flac", "bump.flac", "tick.flac", "won.flac", "lost.flac"}) {
        fs::copy_file(fs::path(soundFolder) / name, folder / name,
                      fs::copy_options::overwrite_existing);
    }
    std::ofstream(folder / "won.flac", std::ios::binary) << "fLaC but nothing after it";

    testing::internal::CaptureStdout();
    Sound sound(1.0f, folder.string());
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("ERROR: Failed to load sound '" + (folder / "cut.flac").string() +
                        "': System error : No such file or directory. It stays silent.\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("ERROR: Failed to load sound '" + (folder / "won.flac").string() + "': "),
              std::string::npos)
        << said;

    SoundFrame frame = playing();
    frame.tilesMown = 3;
    sound.update(frame);
    EXPECT_EQ(sound.voices().playing, 0);  // no cut
    EXPECT_TRUE(sound.voices().engine);
    frame.tilesMown = 0;
    frame.won = true;
    sound.update(frame);
    EXPECT_EQ(sound.voices().playing, 0);  // no cue for the win
    frame.won = false;
    sound.update(frame);
    frame.lost = true;
    sound.update(frame);
    EXPECT_EQ(sound.voices().playing, 1);  // the loss has its cue
    fs::remove_all(folder);
}

TEST(SoundDevice, QuittingWaitsHalfASecondAtMostForADeviceThatNeverOpens) {
    // The device is lost at the first look, and the attempt to open it again does not return
    // until the test lets it (after two seconds at the latest, should quitting wait for it).
    auto attempts = std::make_shared<std::atomic<int>>(0);
    std::promise<void> letGo;
    std::shared_future<void> released = letGo.get_future().share();
    Sound::DeviceAccess devices = Sound::openAlDevices();
    devices.open = [attempts, released] {
        if ((*attempts)++ == 0) return Sound::openDefaultDevice();
        released.wait();
        return Sound::OpenedDevice{};
    };
    devices.connected = [](ALCdevice*) { return false; };
    devices.checkInterval = devices.reconnectInterval = std::chrono::milliseconds(0);

    testing::internal::CaptureStdout();
    auto sound = std::make_unique<Sound>(1.0f, soundFolder, devices);
    for (int frame = 0; frame < 100 && *attempts < 2; ++frame) {
        sound->update(playing());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(*attempts, 2);
    std::promise<void> quit;
    std::thread releaser([&letGo, done = quit.get_future()] {
        done.wait_for(std::chrono::seconds(2));
        letGo.set_value();
    });
    const auto start = std::chrono::steady_clock::now();
    sound.reset();
    const std::chrono::duration<double> quitting = std::chrono::steady_clock::now() - start;
    quit.set_value();
    releaser.join();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Sound: the audio device is gone, playing without sound until it is back\n");
    EXPECT_LT(quitting.count(), 1.0);
}
