#include "render/Texture.h"

#include <fstream>
#include <utility>

namespace {
constexpr std::size_t magicSize = 4;
constexpr std::size_t headerSize = 124;
constexpr std::size_t heightOffset = 12;
constexpr std::size_t widthOffset = 16;
constexpr std::size_t linearSizeOffset = 20;
constexpr std::size_t fourCcOffset = 84;

std::uint32_t readLittleEndian32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

constexpr std::uint32_t fourCc(char a, char b, char c, char d) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

// Reads a whole file, or nothing when it cannot be opened or read.
std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return {};
    const std::streamoff size = file.tellg();
    if (size <= 0) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return {};
    return bytes;
}
}  // namespace

std::uint64_t compressedLevelSize(std::uint32_t width, std::uint32_t height,
                                  std::uint32_t blockSize) {
    const std::uint64_t blocksAcross = (static_cast<std::uint64_t>(width) + 3) / 4;
    const std::uint64_t blocksDown = (static_cast<std::uint64_t>(height) + 3) / 4;
    const std::uint64_t blocks = blocksAcross * blocksDown;  // at most 2^60
    // Saturate rather than wrap round: no file holds that many bytes anyway.
    if (blockSize != 0 && blocks > UINT64_MAX / blockSize) return UINT64_MAX;
    return blocks * blockSize;
}

std::optional<DdsImage> parseDds(const std::vector<std::uint8_t>& fileBytes) {
    const std::size_t dataOffset = magicSize + headerSize;
    if (fileBytes.size() < dataOffset) return std::nullopt;
    if (fileBytes[0] != 'D' || fileBytes[1] != 'D' || fileBytes[2] != 'S' || fileBytes[3] != ' ')
        return std::nullopt;

    DdsImage image;
    image.height = readLittleEndian32(fileBytes, heightOffset);
    image.width = readLittleEndian32(fileBytes, widthOffset);
    image.linearSize = readLittleEndian32(fileBytes, linearSizeOffset);
    image.dataOffset = dataOffset;

    switch (readLittleEndian32(fileBytes, fourCcOffset)) {
        case fourCc('D', 'X', 'T', '1'):
            image.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
            image.blockSize = 8;
            break;
        case fourCc('D', 'X', 'T', '3'):
            image.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
            image.blockSize = 16;
            break;
        case fourCc('D', 'X', 'T', '5'):
            image.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
            image.blockSize = 16;
            break;
        default:
            return std::nullopt;
    }

    if (image.width == 0 || image.height == 0) return std::nullopt;
    const std::uint64_t topLevelSize =
        compressedLevelSize(image.width, image.height, image.blockSize);
    if (topLevelSize > image.linearSize) return std::nullopt;
    if (image.linearSize > fileBytes.size() - dataOffset) return std::nullopt;
    image.topLevelSize = static_cast<std::uint32_t>(topLevelSize);
    return image;
}

Texture::Texture(const std::string& fileName) {
    load(readFile("assets/textures/" + fileName));
}

Texture::Texture(const std::vector<std::uint8_t>& ddsFileBytes) {
    load(ddsFileBytes);
}

void Texture::load(const std::vector<std::uint8_t>& ddsFileBytes) {
    const std::optional<DdsImage> image = parseDds(ddsFileBytes);
    if (!image) return;

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (image->width > static_cast<std::uint32_t>(maxSize) ||
        image->height > static_cast<std::uint32_t>(maxSize))
        return;

    handle = GlTexture::create();
    glBindTexture(GL_TEXTURE_2D, handle.get());
    glCompressedTexImage2D(GL_TEXTURE_2D, 0, image->internalFormat,
                           static_cast<GLsizei>(image->width), static_cast<GLsizei>(image->height),
                           0, static_cast<GLsizei>(image->topLevelSize),
                           ddsFileBytes.data() + image->dataOffset);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    valid = true;
}

std::vector<TextureLevel> Texture::decodedLevels() const {
    std::vector<TextureLevel> levels;
    if (!valid) return levels;
    glBindTexture(GL_TEXTURE_2D, handle.get());
    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);  // rows of RGBA texels are whole words anyway
    for (GLint level = 0;; ++level) {
        TextureLevel decoded;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &decoded.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &decoded.height);
        if (decoded.width <= 0 || decoded.height <= 0) break;
        decoded.rgba.resize(static_cast<std::size_t>(decoded.width) *
                            static_cast<std::size_t>(decoded.height) * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, decoded.rgba.data());
        const bool last = decoded.width == 1 && decoded.height == 1;
        levels.push_back(std::move(decoded));
        if (last) break;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    return levels;
}

void Texture::storeDecoded() {
    if (!valid) return;
    glBindTexture(GL_TEXTURE_2D, handle.get());
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (width > maxDecodedSide || height > maxDecodedSide) return;

    const std::vector<TextureLevel> levels = decodedLevels();
    GLint unpackAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (std::size_t level = 0; level < levels.size(); ++level) {
        const TextureLevel& decoded = levels[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, decoded.width,
                     decoded.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, decoded.rgba.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
}

void Texture::bind(unsigned int unit) const {
    if (!valid) return;
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, handle.get());
}
