#include "effects/SoundFile.h"

#include <sndfile.h>

#include <memory>

namespace {
struct CloseSoundFile {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

constexpr int lowestSampleRate = 8000;
constexpr int highestSampleRate = 192000;
}  // namespace

std::optional<PcmSound> readSoundFile(const std::string& path, std::string& error) {
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, CloseSoundFile> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        error = sf_strerror(nullptr);
        return std::nullopt;
    }
    if (info.channels < 1 || info.channels > 2) {
        error = "it has " + std::to_string(info.channels) + " channels, not 1 or 2";
        return std::nullopt;
    }
    if (info.samplerate < lowestSampleRate || info.samplerate > highestSampleRate) {
        error = "its sample rate of " + std::to_string(info.samplerate) + " Hz is not usable";
        return std::nullopt;
    }
    if (info.frames <= 0) {
        error = "it holds no sound";
        return std::nullopt;
    }
    if (static_cast<double>(info.frames) > longestSoundSeconds * info.samplerate) {
        error = "it is longer than " + std::to_string(static_cast<int>(longestSoundSeconds)) +
                " seconds";
        return std::nullopt;
    }

    PcmSound sound;
    sound.channels = info.channels;
    sound.sampleRate = info.samplerate;
    sound.samples.resize(static_cast<std::size_t>(info.frames) *
                         static_cast<std::size_t>(info.channels));
    const sf_count_t read = sf_readf_short(file.get(), sound.samples.data(), info.frames);
    if (read <= 0) {
        error = "it holds no sound that can be decoded";
        return std::nullopt;
    }
    sound.samples.resize(static_cast<std::size_t>(read) * static_cast<std::size_t>(info.channels));
    return sound;
}
