#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A sound decoded into 16-bit samples, channels interleaved.
struct PcmSound {
    std::vector<std::int16_t> samples;
    int channels = 0;
    int sampleRate = 0;
};

// The longest sound the game keeps in memory; its sounds are a few seconds at most.
constexpr double longestSoundSeconds = 30.0;

// Reads a sound file in any format libsndfile knows (FLAC, Ogg Vorbis, WAV, ...). A file that
// cannot be opened or decoded, holds no samples, has other than one or two channels, a sample
// rate outside 8 to 192 kHz or lasts longer than longestSoundSeconds gives no sound and says why
// in `error`. A file that ends early gives the samples before its end.
std::optional<PcmSound> readSoundFile(const std::string& path, std::string& error);
