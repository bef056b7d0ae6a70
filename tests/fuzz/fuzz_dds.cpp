// libFuzzer target for the DDS parser: whatever it accepts must describe a top level that lies
// wholly inside the bytes it was given, so that an upload never reads past them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/Texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const auto image = parseDds(bytes);
    if (!image) return 0;
    if (image->width == 0 || image->height == 0) std::abort();
    if (image->dataOffset + image->topLevelSize > bytes.size()) std::abort();
    if (image->topLevelSize != compressedLevelSize(image->width, image->height, image->blockSize))
        std::abort();
    // Touch the first and last byte of the level: ASan reports it if they are out of bounds.
    volatile std::uint8_t sum = bytes[image->dataOffset];
    sum = static_cast<std::uint8_t>(sum + bytes[image->dataOffset + image->topLevelSize - 1]);
    (void)sum;
    return 0;
}
