#include <gtest/gtest.h>

#include <vector>

#include "effects/Text.h"

namespace {
// Advances carry a fraction of a pixel (the low 6 bits) that layout must drop.
GlyphTable sampleTable() {
    GlyphTable table;
    table['a'] = Glyph{{10, 20}, {2, 15}, 12 * 64 + 40};
    table['b'] = Glyph{{8, 8}, {1, 8}, 9 * 64 + 63};
    table[' '] = Glyph{{0, 0}, {0, 0}, 5 * 64};
    return table;
}

struct Placed {
    const Glyph* glyph;  // the table's entry
    GlyphQuad quad;
};

std::vector<Placed> place(GlyphTable& table, const std::string& text, float x, float scale,
                          bool rightAligned) {
    std::vector<Placed> placed;
    layoutText(table, text, x, 50.0f, scale, rightAligned, [&](const Glyph& g, const GlyphQuad& q) {
        placed.push_back({&g, q});
    });
    return placed;
}
}  // namespace

TEST(TextLayoutTest, QuadCornersFollowBearingAndScale) {
    const Glyph glyph{{10, 20}, {2, 15}, 0};
    const GlyphQuad quad = glyphQuad(glyph, 100.0f, 50.0f, 2.5f);
    // Left edge at pen + bearing, bottom (20 - 15) rows below the baseline, both scaled.
    const float x0 = 105.0f, y0 = 37.5f, x1 = 130.0f, y1 = 87.5f;
    const GlyphQuad expected = {x0, y1, 0, 0, x0, y0, 0, 1, x1, y0, 1, 1,
                                x0, y1, 0, 0, x1, y0, 1, 1, x1, y1, 1, 0};
    EXPECT_EQ(quad, expected);
}

TEST(TextLayoutTest, PenMovesByWholePixelsTimesScale) {
    GlyphTable table = sampleTable();
    const auto placed = place(table, "ab a", 10.0f, 2.0f, false);
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[0].quad, glyphQuad(table['a'], 10.0f, 50.0f, 2.0f));
    EXPECT_EQ(placed[1].quad, glyphQuad(table['b'], 34.0f, 50.0f, 2.0f));  // 10 + 12 * 2
    EXPECT_EQ(placed[3].quad, glyphQuad(table['a'], 62.0f, 50.0f, 2.0f));  // + 9 * 2 + 5 * 2
    EXPECT_EQ(placed[2].glyph, &table[' ']);
}

TEST(TextLayoutTest, RightAlignedEndsAtXAndMatchesLeftAligned) {
    GlyphTable table = sampleTable();
    const auto right = place(table, "ab", 100.0f, 1.5f, true);
    const auto left = place(table, "ab", 100.0f - (12 + 9) * 1.5f, 1.5f, false);
    ASSERT_EQ(right.size(), 2u);
    EXPECT_EQ(right[0].glyph, &table['b']);  // the last character is placed first
    EXPECT_EQ(right[0].quad, left[1].quad);
    EXPECT_EQ(right[1].quad, left[0].quad);
    EXPECT_EQ(right[0].quad, glyphQuad(table['b'], 100.0f - 9 * 1.5f, 50.0f, 1.5f));
}

TEST(TextLayoutTest, UnknownBytesGetAnEmptyEntryThatTakesNoRoom) {
    GlyphTable table = sampleTable();
    const std::string text = std::string("a") + static_cast<char>(0xE9) + '\x7f' + "b";
    const auto placed = place(table, text, 0.0f, 1.0f, false);
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[3].quad, glyphQuad(table['b'], 12.0f, 50.0f, 1.0f));
    EXPECT_EQ(table.size(), 5u);
    const Glyph& added = table[static_cast<signed char>(0xE9)];
    EXPECT_EQ(added.advance, 0u);
    // Its quad has no area.
    EXPECT_EQ(placed[1].quad[0], placed[1].quad[8]);
    EXPECT_EQ(placed[1].quad[1], placed[1].quad[5]);
}

TEST(TextLayoutTest, EmptyTextPlacesNothing) {
    GlyphTable table = sampleTable();
    EXPECT_TRUE(place(table, "", 10.0f, 1.0f, false).empty());
    EXPECT_TRUE(place(table, "", 10.0f, 1.0f, true).empty());
}

TEST(GlyphLoadingLine, NamesControlCodesAndPrintsTheRestAsTheyAre) {
    const struct {
        int code;
        const char* line;
    } cases[] = {
        {0, "loading character 0 into memory..."},
        {7, "loading character 7 into memory..."},
        {10, "loading character 10 into memory..."},
        {27, "loading character 27 into memory..."},
        {31, "loading character 31 into memory..."},
        {32, "loading   into memory..."},
        {65, "loading A into memory..."},
        {126, "loading ~ into memory..."},
        {127, "loading character 127 into memory..."},
    };
    for (const auto& c : cases) EXPECT_EQ(glyphLoadingLine(c.code), c.line) << c.code;
}
