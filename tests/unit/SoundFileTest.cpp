#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "effects/Sound.h"
#include "effects/SoundFile.h"

namespace {
// A file in the temporary folder, removed again when the test ends.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& name)
        : path(testing::TempDir() + "tessel_sound_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name) {}
    ~ScratchFile() { std::remove(path.c_str()); }
    const std::string path;
};

// Writes a 16-bit WAV file of `frames` frames of a quiet saw.
void writeWav(const std::string& path, int channels, int sampleRate, int frames) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<short> samples(static_cast<std::size_t>(frames) * channels);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<short>(i % 200);
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

TEST(SoundFile, TheShippedSoundsAreShortMonoSoundsAndTheEngineLoopsWithoutAClick) {
    for (const char* name :
         {"engine.flac", "cut.flac", "bump.flac", "tick.flac", "won.flac", "lost.flac"}) {
        std::string error;
        const auto sound = readSoundFile(std::string(soundFolder) + name, error);
        ASSERT_TRUE(sound.has_value()) << name << ": " << error;
        EXPECT_EQ(sound->channels, 1) << name;  // only mono sounds can be placed in the arena
        EXPECT_EQ(sound->sampleRate, 44100) << name;
        EXPECT_LE(sound->samples.size(), 3u * 44100u) << name;
        EXPECT_GT(sound->samples.size(), 1000u) << name;
    }
    std::string error;
    const auto engine = readSoundFile(std::string(soundFolder) + "engine.flac", error);
    ASSERT_TRUE(engine.has_value());
    // The step from the last sample back to the first is no bigger than any step inside it.
    int largestStep = 0;
    for (std::size_t i = 1; i < engine->samples.size(); ++i) {
        largestStep = std::max(largestStep, std::abs(engine->samples[i] - engine->samples[i - 1]));
    }
    EXPECT_LE(std::abs(engine->samples.front() - engine->samples.back()), largestStep);
}

TEST(SoundFile, AReadableFileGivesItsSamplesInterleaved) {
    ScratchFile stereo("stereo.wav");
    writeWav(stereo.path, 2, 22050, 300);
    std::string error;
    const auto sound = readSoundFile(stereo.path, error);
    ASSERT_TRUE(sound.has_value()) << error;
    EXPECT_EQ(sound->channels, 2);
    EXPECT_EQ(sound->sampleRate, 22050);
    ASSERT_EQ(sound->samples.size(), 600u);
    EXPECT_EQ(sound->samples[199], 199);
    EXPECT_EQ(sound->samples[200], 0);
}

TEST(SoundFile, BrokenOrUnsuitableFilesGiveNoSoundAndSayWhy) {
    ScratchFile junk("junk.flac");
    ScratchFile empty("empty.flac");
    ScratchFile truncated("truncated.flac");
    ScratchFile headerOnly("header.flac");
    ScratchFile threeChannels("three.wav");
    ScratchFile lowRate("lowrate.wav");
    ScratchFile tooLong("long.wav");
    ScratchFile noFrames("noframes.wav");
    {
        std::ofstream out(junk.path, std::ios::binary);
        for (int i = 0; i < 4096; ++i) out.put(static_cast<char>((i * 7919) % 251));
    }
    std::ofstream(empty.path).close();
    const std::string engine = bytesOf(std::string(soundFolder) + "engine.flac");
    ASSERT_GT(engine.size(), 2000u);
    std::ofstream(truncated.path, std::ios::binary) << engine.substr(0, engine.size() / 3);
    std::ofstream(headerOnly.path, std::ios::binary) << engine.substr(0, 42);
    writeWav(threeChannels.path, 3, 44100, 100);
    writeWav(lowRate.path, 1, 4000, 100);
    writeWav(tooLong.path, 1, 8000, 8000 * 31);
    writeWav(noFrames.path, 1, 44100, 0);

    struct Case {
        std::string path;
        std::string says;  // part of the reason
    };
    const Case refused[] = {
        {testing::TempDir() + "no_such_folder/engine.flac", ""},
        {junk.path, ""},
        {empty.path, ""},
        {headerOnly.path, ""},
        {threeChannels.path, "3 channels"},
        {lowRate.path, "4000 Hz"},
        {tooLong.path, "longer than 30 seconds"},
        {noFrames.path, "no sound"},
    };
    for (const Case& c : refused) {
        std::string error;
        EXPECT_FALSE(readSoundFile(c.path, error).has_value()) << c.path;
        EXPECT_FALSE(error.empty()) << c.path;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.path << ": " << error;
    }

    // A file cut short gives what comes before the cut, or nothing, and never more.
    std::string error;
    const auto part = readSoundFile(truncated.path, error);
    if (part) {
        EXPECT_LT(part->samples.size(), 44100u);
    } else {
        EXPECT_FALSE(error.empty());
    }
}
