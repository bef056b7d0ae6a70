#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/GlHandle.h"

// What a DDS file holds that the game uses: the top mip level of a DXT1, DXT3 or DXT5 image.
struct DdsImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    GLenum internalFormat = 0;       // one of the GL_COMPRESSED_RGBA_S3TC_DXTn_EXT formats
    std::uint32_t blockSize = 0;     // bytes per 4x4 block: 8 for DXT1, 16 otherwise
    std::uint32_t linearSize = 0;    // image bytes the header announces after itself
    std::uint32_t topLevelSize = 0;  // bytes of the top level, partial blocks rounded up
    std::size_t dataOffset = 0;      // where the top level starts in the file
};

// Size of the top level of a block-compressed image: ceil(w/4) * ceil(h/4) blocks; saturates
// at the largest 64-bit value instead of wrapping round.
std::uint64_t compressedLevelSize(std::uint32_t width, std::uint32_t height,
                                  std::uint32_t blockSize);

// Checks a whole DDS file held in memory. Accepts it only when the magic is "DDS ", the
// format is DXT1, DXT3 or DXT5 (a DX10 header is not read), the size is not zero, and the
// announced linear size both fits in the file and covers the computed top level; so an
// upload of topLevelSize bytes from dataOffset never reads past `fileBytes`.
std::optional<DdsImage> parseDds(const std::vector<std::uint8_t>& fileBytes);

// One mip level as the driver decoded it: 8-bit RGBA, four bytes a texel, rows in texture order
// (the first row is v = 0).
struct TextureLevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    std::uint8_t alphaAt(int x, int y) const {
        return rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)) *
                        4 +
                    3];
    }
};

// The largest side storeDecoded decodes; a larger texture stays block-compressed.
constexpr int maxDecodedSide = 2048;

// A 2D texture loaded from a DDS file under "assets/textures/", with a generated mipmap
// chain, repeating in both directions. A file that cannot be loaded leaves the texture
// empty, silently: binding an empty texture does nothing at all.
class Texture {
public:
    explicit Texture(const std::string& fileName);
    // Loads from the bytes of a DDS file already in memory.
    explicit Texture(const std::vector<std::uint8_t>& ddsFileBytes);

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    void bind(unsigned int unit) const;

    // Every mip level as the driver decodes it for sampling, largest first; none for an empty
    // texture. Leaves the texture bound to the active unit.
    std::vector<TextureLevel> decodedLevels() const;

    // Stores every level as its decoded 8-bit RGBA texels in place of the compressed blocks, so
    // that sampling reads the same colours. A software renderer decodes a block-compressed
    // texel again on every read, which costs it more than the filtering; the decoded game
    // textures take a few megabytes. Textures larger than maxDecodedSide stay as they are.
    // Leaves the texture bound to the active unit.
    void storeDecoded();

    bool isValid() const { return valid; }
    GLuint getHandle() const { return handle.get(); }

private:
    void load(const std::vector<std::uint8_t>& ddsFileBytes);

    GlTexture handle;
    bool valid = false;
};
