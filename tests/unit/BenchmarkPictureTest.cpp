#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/bench/Picture.h"

// The benchmark's pictures: the files it writes, the ones it reads back, and how two are
// compared channel by channel.

namespace {
Picture picture(int width, int height, std::vector<unsigned char> rgb) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgb = std::move(rgb);
    return p;
}
}  // namespace

TEST(BenchmarkPicture, RowsReadBottomUpAreStoredTopRowFirst) {
    // Two rows of one pixel each, as glReadPixels gives them: the bottom row first.
    const Picture p = pictureFromBottomUpRows(1, 2, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(p.rgb, (std::vector<unsigned char>{4, 5, 6, 1, 2, 3}));
}

TEST(BenchmarkPicture, WrittenFilesReadBackTheSame) {
    const Picture original = picture(2, 1, {0, 10, 255, 32, 13, 10});
    const std::string bytes = encodePpm(original);
    EXPECT_EQ(bytes.substr(0, 11), "P6\n2 1\n255\n");

    std::string error;
    const std::optional<Picture> decoded = decodePpm(bytes, error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(decoded->width, 2);
    EXPECT_EQ(decoded->height, 1);
    // Pixel bytes that look like whitespace or digits are data, not header.
    EXPECT_EQ(decoded->rgb, original.rgb);

    // Other tools write comments and other spacing into the header.
    const std::optional<Picture> commented =
        decodePpm("P6 # made elsewhere\n2\t1\r\n# max\n255\n" + bytes.substr(11), error);
    ASSERT_TRUE(commented) << error;
    EXPECT_EQ(commented->rgb, original.rgb);
}

TEST(BenchmarkPicture, DamagedFilesAreRefusedWithAReason) {
    const std::string pixels(6, '\x7f');
    const std::vector<std::string> refused = {
        "",
        "P3\n2 1\n255\n" + pixels,            // text PPM
        "P6\n2 1\n65535\n" + pixels,          // 16-bit channels
        "P6\n2 1\n255\n" + pixels.substr(1),  // truncated
        "P6\n2 1\n255\n" + pixels + "x",      // trailing bytes
        "P6\n0 1\n255\n",                     // empty
        "P6\n999999999 999999999\n255\n",     // absurd size
        "P6\n2x 1\n255\n" + pixels,           // not a number
        "P6\n2 1\n255",                       // header only
        "P6\n12345678901 1\n255\n",           // too many digits
    };
    for (const std::string& bytes : refused) {
        std::string error;
        EXPECT_FALSE(decodePpm(bytes, error)) << bytes.substr(0, 20);
        EXPECT_FALSE(error.empty()) << bytes.substr(0, 20);
    }
}

TEST(BenchmarkPicture, ComparisonFindsTheLargestChannelDifferenceAndCountsPixels) {
    // 3 x 2 pixels; the second picture differs by 1 in one channel of pixel (1, 0) and by 9 in
    // the blue channel of pixel (2, 1).
    const Picture before = picture(3, 2, std::vector<unsigned char>(18, 100));
    Picture after = before;
    after.rgb[1 * 3 + 0] = 101;
    after.rgb[(1 * 3 + 2) * 3 + 2] = 91;

    const PictureDifference difference = comparePictures(before, after, 1);
    EXPECT_EQ(difference.largestChannelDifference, 9);
    EXPECT_EQ(difference.largestAtX, 2);
    EXPECT_EQ(difference.largestAtY, 1);
    EXPECT_EQ(difference.pixelsDiffering, 2);
    EXPECT_EQ(difference.pixelsBeyondTolerance, 1);

    const PictureDifference same = comparePictures(before, before, 0);
    EXPECT_EQ(same.largestChannelDifference, 0);
    EXPECT_EQ(same.pixelsDiffering, 0);
    EXPECT_EQ(same.pixelsBeyondTolerance, 0);
}
