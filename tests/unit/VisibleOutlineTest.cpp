#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "effects/Particles.h"
#include "effects/VisibleOutline.h"

namespace {
TextureLevel levelOf(int width, int height, const std::function<int(int, int)>& alphaAt) {
    TextureLevel level;
    level.width = width;
    level.height = height;
    level.rgba.assign(static_cast<std::size_t>(width * height * 4), 200);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            level.rgba[static_cast<std::size_t>((y * width + x) * 4 + 3)] =
                static_cast<std::uint8_t>(alphaAt(x, y));
        }
    }
    return level;
}

// The alpha that bilinear filtering of a repeating texture gives at (u, v), 0 to 1, worked out
// here independently of the fitting.
float filteredAlpha(const TextureLevel& level, float u, float v) {
    const float x = u * static_cast<float>(level.width) - 0.5f;
    const float y = v * static_cast<float>(level.height) - 0.5f;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    const auto at = [&](int i, int j) {
        i = ((i % level.width) + level.width) % level.width;
        j = ((j % level.height) + level.height) % level.height;
        return static_cast<float>(level.alphaAt(i, j)) / 255.0f;
    };
    return (1 - fx) * (1 - fy) * at(x0, y0) + fx * (1 - fy) * at(x0 + 1, y0) +
           (1 - fx) * fy * at(x0, y0 + 1) + fx * fy * at(x0 + 1, y0 + 1);
}

bool inside(const std::vector<glm::vec2>& outline, glm::vec2 p) {
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const glm::vec2 a = outline[i];
        const glm::vec2 b = outline[(i + 1) % outline.size()];
        if ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x) < -1e-6f) return false;
    }
    return true;
}
}  // namespace

TEST(VisibleOutlineTest, EnclosesEverySampleThatCanShowAndLittleMore) {
    const auto disc = [](int x, int y) { return std::hypot(x - 15.5, y - 15.5) < 12.0 ? 180 : 0; };
    const struct {
        std::string name;
        std::vector<TextureLevel> levels;
        float alphaScale;
        int directions;
        bool empty;
        float largestArea;
    } cases[] = {
        {"no levels: nothing is known", {}, 0.6f, 16, false, 1.0f},
        {"all transparent", {levelOf(8, 8, [](int, int) { return 0; })}, 0.6f, 16, true, 0.0f},
        {"one texel, reaching one texel past its centre",
         {levelOf(8, 8, [](int x, int y) { return x == 3 && y == 3 ? 255 : 0; })},
         0.6f,
         4,
         false,
         0.0626f},
        {"an edge texel reaches in from the opposite edge",
         {levelOf(8, 8, [](int x, int y) { return x == 0 && y == 3 ? 255 : 0; })},
         0.6f,
         4,
         false,
         0.2501f},
        {"a faint texel counts at full opacity",
         {levelOf(8, 8, [](int x, int y) { return x == 3 && y == 3 ? 1 : 0; })},
         0.6f,
         4,
         false,
         0.0626f},
        {"the same texel is too faint at a lower opacity",
         {levelOf(8, 8, [](int x, int y) { return x == 3 && y == 3 ? 1 : 0; })},
         0.3f,
         4,
         true,
         0.0f},
        {"a disc of radius 12 of 32, reaching a texel further",
         {levelOf(32, 32, disc)},
         0.6f,
         16,
         false,
         0.52f},
        {"a disc and its next level",
         {levelOf(32, 32, disc), levelOf(16, 16,
                                         [&](int x, int y) {
                                             return (disc(2 * x, 2 * y) + disc(2 * x + 1, 2 * y) +
                                                     disc(2 * x, 2 * y + 1) +
                                                     disc(2 * x + 1, 2 * y + 1)) /
                                                    4;
                                         })},
         0.6f,
         8,
         false,
         0.6f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<glm::vec2> outline =
            fitVisibleOutline(c.levels, c.alphaScale, c.directions);
        if (c.empty) {
            EXPECT_TRUE(outline.empty());
            continue;
        }
        ASSERT_GE(outline.size(), 3u);
        EXPECT_LE(outlineArea(outline), c.largestArea);
        for (const glm::vec2 corner : outline) {
            EXPECT_TRUE(corner.x >= 0.0f && corner.x <= 1.0f && corner.y >= 0.0f &&
                        corner.y <= 1.0f);
        }
        int samplesThatShow = 0;
        for (const TextureLevel& level : c.levels) {
            for (int j = 0; j <= 256; ++j) {
                for (int i = 0; i <= 256; ++i) {
                    const glm::vec2 p(static_cast<float>(i) / 256.0f,
                                      static_cast<float>(j) / 256.0f);
                    if (filteredAlpha(level, p.x, p.y) * c.alphaScale < leastVisibleAlpha) continue;
                    ++samplesThatShow;
                    EXPECT_TRUE(inside(outline, p)) << p.x << ", " << p.y;
                }
            }
        }
        if (!c.levels.empty()) {
            EXPECT_GT(samplesThatShow, 0);
        }
    }
}

TEST(VisibleOutlineTest, SmokeFadesOutOfThePictureBeforeItsLifetimeEnds) {
    const float densest = 198.0f / 255.0f;  // the game's smoke texture
    const struct {
        float lifeFraction;
        float densestAlpha;
        bool visible;
    } cases[] = {
        {0.0f, densest, true},
        {0.5f, densest, true},
        // 198 / 255 x 0.6 x fade reaches half a level of 255 at a fade of 0.0042.
        {0.995f, densest, true},
        {0.997f, densest, false},
        {1.0f, densest, false},
        {1.2f, densest, false},  // past its lifetime, drawn once more before it sleeps
        {0.0f, 1.0f / 255.0f, true},
        {0.2f, 1.0f / 255.0f, false},
        {0.0f, 0.0f, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(smokeVisible(c.lifeFraction, c.densestAlpha), c.visible)
            << c.lifeFraction << " " << c.densestAlpha;
    }
}
