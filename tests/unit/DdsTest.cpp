#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "render/Texture.h"

namespace {
void putU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A DDS file with the given header fields and `dataBytes` bytes after the header.
std::vector<std::uint8_t> ddsFile(std::uint32_t width, std::uint32_t height, const char* fourCc,
                                  std::uint32_t linearSize, std::size_t dataBytes) {
    std::vector<std::uint8_t> bytes(128 + dataBytes, 0);
    std::memcpy(bytes.data(), "DDS ", 4);
    putU32(bytes, 4, 124);
    putU32(bytes, 12, height);
    putU32(bytes, 16, width);
    putU32(bytes, 20, linearSize);
    std::memcpy(bytes.data() + 84, fourCc, 4);
    return bytes;
}

std::vector<std::uint8_t> wellFormed(std::uint32_t width, std::uint32_t height,
                                     const char* fourCc) {
    const std::uint32_t block = std::strcmp(fourCc, "DXT1") == 0 ? 8 : 16;
    const auto size = static_cast<std::uint32_t>(compressedLevelSize(width, height, block));
    return ddsFile(width, height, fourCc, size, size);
}
}  // namespace

TEST(DdsParsing, TopLevelSizeFollowsFormatAndRoundsUpPartialBlocks) {
    const auto dxt1 = parseDds(wellFormed(256, 256, "DXT1"));
    ASSERT_TRUE(dxt1);
    EXPECT_EQ(dxt1->topLevelSize, 32768u);
    EXPECT_EQ(dxt1->internalFormat, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT));
    EXPECT_EQ(dxt1->dataOffset, 128u);

    const auto dxt5 = parseDds(wellFormed(256, 256, "DXT5"));
    ASSERT_TRUE(dxt5);
    EXPECT_EQ(dxt5->topLevelSize, 65536u);
    EXPECT_EQ(dxt5->internalFormat, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT));

    const auto dxt3 = parseDds(wellFormed(8, 4, "DXT3"));
    ASSERT_TRUE(dxt3);
    EXPECT_EQ(dxt3->internalFormat, static_cast<GLenum>(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT));
    EXPECT_EQ(dxt3->blockSize, 16u);

    const auto odd = parseDds(wellFormed(5, 3, "DXT5"));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->width, 5u);
    EXPECT_EQ(odd->height, 3u);
    EXPECT_EQ(odd->topLevelSize, 32u);
}

TEST(DdsParsing, RejectsWrongMagicAndUnsupportedFormats) {
    auto noBlank = wellFormed(4, 4, "DXT1");
    noBlank[3] = 'X';
    EXPECT_FALSE(parseDds(noBlank));

    EXPECT_FALSE(parseDds(wellFormed(4, 4, "DX10")));
    EXPECT_FALSE(parseDds(ddsFile(4, 4, "\0\0\0\0", 64, 64)));
    EXPECT_FALSE(parseDds(ddsFile(4, 4, "DXT2", 16, 16)));
    EXPECT_FALSE(parseDds({}));
    EXPECT_FALSE(parseDds(std::vector<std::uint8_t>{'D', 'D', 'S', ' '}));
}

TEST(DdsParsing, NeverAcceptsMoreImageThanTheFileHolds) {
    // The header announces more bytes than follow it.
    EXPECT_FALSE(parseDds(ddsFile(256, 256, "DXT1", 32768, 32767)));
    // The announced size is smaller than the top level needs.
    EXPECT_FALSE(parseDds(ddsFile(256, 256, "DXT1", 16384, 32768)));
    // A header cut short.
    auto cut = wellFormed(4, 4, "DXT1");
    cut.resize(100);
    EXPECT_FALSE(parseDds(cut));
    // An empty image.
    EXPECT_FALSE(parseDds(ddsFile(0, 4, "DXT1", 0, 0)));
    // Dimensions whose block count overflows 32 bits are caught, not wrapped round.
    EXPECT_FALSE(parseDds(ddsFile(0xFFFFFFFFu, 0xFFFFFFFFu, "DXT5", 64, 64)));
    EXPECT_FALSE(parseDds(ddsFile(0x40000000u, 0x4u, "DXT5", 0xFFFFFFF0u, 64)));
    // Extra bytes after the top level (stored mip levels) are fine.
    auto withMips = ddsFile(8, 8, "DXT1", 32, 32 + 8 + 8);
    ASSERT_TRUE(parseDds(withMips));
    EXPECT_EQ(parseDds(withMips)->topLevelSize, 32u);
}

TEST(DdsParsing, ShippedTexturesAreAcceptedWithPowerOfTwoSizes) {
    for (const char* name : {"celgrass.dds", "wood_texture.dds", "robot.dds", "grass_unmown.dds",
                             "tiles_specular.dds", "beachball.dds", "smoke.dds"}) {
        std::ifstream file(std::string("assets/textures/") + name, std::ios::binary);
        ASSERT_TRUE(file) << name;
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                              std::istreambuf_iterator<char>());
        const auto image = parseDds(bytes);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->width & (image->width - 1), 0u) << name;
        EXPECT_EQ(image->height & (image->height - 1), 0u) << name;
        EXPECT_EQ(image->linearSize, image->topLevelSize) << name;
    }
}
