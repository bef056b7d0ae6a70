// The texture loader against the hostile DDS files kept for the fuzzer: each file is read from
// disk by the real loader and silently gives an empty texture. (That nothing is allocated by
// what a header announces is checked by the fuzzer, which runs with a 1 MiB allocation limit.)
#include <filesystem>
#include <string>

#include "render/Texture.h"
#include "tests/gl/GlTestContext.h"

namespace {
const std::filesystem::path corpus = "tests/fuzz/corpus/dds";

// The loader reads from "assets/textures/"; the corpus is reached relative to it.
std::string loaderName(const std::filesystem::path& file) {
    return "../../" + file.generic_string();
}
}  // namespace

class HostileTextureGlTest : public GlTest {};

TEST_F(HostileTextureGlTest, EveryHostileFileGivesAnEmptyTextureSilently) {
    int hostileFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("valid_", 0) == 0) continue;
        ++hostileFiles;
        testing::internal::CaptureStdout();
        {
            const Texture texture(loaderName(entry.path()));
            EXPECT_FALSE(texture.isValid()) << name;
            EXPECT_EQ(texture.getHandle(), 0u) << name;
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << name;
    }
    EXPECT_GE(hostileFiles, 12);
}

TEST_F(HostileTextureGlTest, TheValidSeedsLoadWithTheirTopLevel) {
    for (const char* name : {"valid_8x8_dxt1.dds", "valid_8x4_dxt5.dds", "valid_5x3_dxt3.dds"}) {
        const Texture texture(loaderName(corpus / name));
        ASSERT_TRUE(texture.isValid()) << name;
        glBindTexture(GL_TEXTURE_2D, texture.getHandle());
        GLint size = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED_IMAGE_SIZE, &size);
        EXPECT_EQ(size, 32) << name;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(HostileTextureGlTest, ASizeBeyondTheDriversLimitGivesAnEmptyTexture) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const auto width = static_cast<std::uint32_t>(maxSize) * 2;
    const std::uint32_t level = width / 4 * 8;
    std::vector<std::uint8_t> bytes(128 + level, 0);
    const auto put = [&bytes](std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'D';
    bytes[1] = 'D';
    bytes[2] = 'S';
    bytes[3] = ' ';
    put(12, 4);
    put(16, width);
    put(20, level);
    put(84, 0x31545844u);  // "DXT1"
    const Texture texture(bytes);
    EXPECT_FALSE(texture.isValid());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
