#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "effects/Text.h"
#include "render/DrawCalls.h"
#include "render/GlHandle.h"
#include "render/Shader.h"
#include "tests/gl/GlTestContext.h"

namespace {
constexpr int targetWidth = 256;
constexpr int targetHeight = 64;

// An RGBA8 colour target the size of the text projection, bound while the test draws.
class TextTarget {
public:
    TextTarget() : framebuffer(GlFramebuffer::create()), colour(GlTexture::create()) {
        glBindTexture(GL_TEXTURE_2D, colour.get());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, targetWidth, targetHeight, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour.get(),
                               0);
        glViewport(0, 0, targetWidth, targetHeight);
    }
    ~TextTarget() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

    void clear() {
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    std::vector<unsigned char> pixels() const {
        std::vector<unsigned char> data(targetWidth * targetHeight * 4);
        glReadPixels(0, 0, targetWidth, targetHeight, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
        return data;
    }
    static int inkedPixels(const std::vector<unsigned char>& data) {
        int count = 0;
        for (std::size_t i = 0; i < data.size(); i += 4) count += data[i] < 250 ? 1 : 0;
        return count;
    }

private:
    GlFramebuffer framebuffer;
    GlTexture colour;
};

struct PlacedGlyph {
    float penX;
    GlyphQuad quad;
};

std::vector<PlacedGlyph> layout(const std::string& text, float x, float scale, bool rightAligned) {
    std::vector<PlacedGlyph> placed;
    layoutText(glyphTable(), text, x, 10.0f, scale, rightAligned,
               [&](const Glyph& glyph, const GlyphQuad& quad) {
                   placed.push_back({quad[0] - glyph.bearing.x * scale, quad});
               });
    return placed;
}

float totalAdvance(const std::string& text, float scale) {
    float total = 0.0f;
    for (char c : text) total += scaledAdvance(glyphTable()[static_cast<signed char>(c)], scale);
    return total;
}
}  // namespace

class TextGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        shader = std::make_shared<Shader>("text.vert", "text.frag");
        releaseFont();
        testing::internal::CaptureStdout();
        loadFont(*shader, targetWidth, targetHeight);
        loadOutput = testing::internal::GetCapturedStdout();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    void TearDown() override {
        releaseFont();
        glDisable(GL_BLEND);
    }

    std::vector<unsigned char> render(const std::string& text, float x, float scale,
                                      bool rightAligned) {
        target.clear();
        shader->use();
        if (rightAligned) {
            drawTextRightAligned(*shader, text, x, 10.0f, scale, glm::vec3(0.0f));
        } else {
            drawText(*shader, text, x, 10.0f, scale, glm::vec3(0.0f));
        }
        return target.pixels();
    }

    std::shared_ptr<Shader> shader;
    std::string loadOutput;
    TextTarget target;
};

TEST_F(TextGlTest, LoadsTheFirst128CodesAndReportsTheFace) {
    EXPECT_EQ(loadOutput.rfind("Loaded Calibri.ttf, num_glyphs: 2782, units_per_EM: 2048, "
                               "num_fixed_sizes: 0\n",
                               0),
              0u)
        << loadOutput.substr(0, 120);
    int loadingLines = 0;
    for (std::size_t at = loadOutput.find("loading "); at != std::string::npos;
         at = loadOutput.find("loading ", at + 1)) {
        ++loadingLines;
    }
    EXPECT_EQ(loadingLines, 128);
    EXPECT_NE(loadOutput.find("loading character 0 into memory...\n"), std::string::npos);
    EXPECT_NE(loadOutput.find("loading A into memory...\n"), std::string::npos);
    EXPECT_EQ(loadOutput.find("ERROR"), std::string::npos);

    ASSERT_EQ(glyphTable().size(), 128u);
    const Glyph& a = glyphTable()['A'];
    EXPECT_GT(a.size.x, 10);
    EXPECT_GT(a.size.y, 20);
    EXPECT_GT(a.advance, 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextGlTest, RightAlignedTextLandsWhereLeftAlignedTextEndsThere) {
    const float end = 200.0f;
    for (float scale : {1.0f, 2.5f}) {
        const std::string text = "12";
        const auto right = layout(text, end, scale, true);
        const auto left = layout(text, end - totalAdvance(text, scale), scale, false);
        ASSERT_EQ(right.size(), 2u);
        // Right-aligned draws the last character first.
        EXPECT_EQ(right[0].quad, left[1].quad);
        EXPECT_EQ(right[1].quad, left[0].quad);
    }

    const auto rightPixels = render("12", end, 1.0f, true);
    const auto leftPixels = render("12", end - totalAdvance("12", 1.0f), 1.0f, false);
    EXPECT_GT(TextTarget::inkedPixels(rightPixels), 50);
    EXPECT_EQ(rightPixels, leftPixels);
}

TEST_F(TextGlTest, SpeedReadOutEndsAtTheRightEdge) {
    const std::string speed = "-12.500000";
    const auto placed = layout(speed, targetWidth, 1.0f, true);
    ASSERT_EQ(placed.size(), speed.size());
    const Glyph& last = glyphTable()['0'];
    EXPECT_FLOAT_EQ(placed.front().penX + scaledAdvance(last, 1.0f), targetWidth);
    EXPECT_FLOAT_EQ(placed.back().penX, targetWidth - totalAdvance(speed, 1.0f));
}

TEST_F(TextGlTest, ByteWithoutGlyphGetsZeroEntryAndDoesNotMoveThePen) {
    const std::string withMissing = std::string("A") + static_cast<char>(0xC8) + "B";
    const auto placed = layout(withMissing, 20.0f, 1.0f, false);
    const auto plain = layout("AB", 20.0f, 1.0f, false);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[2].quad, plain[1].quad);

    const Glyph& missing = glyphTable()[static_cast<signed char>(0xC8)];
    EXPECT_EQ(missing.size, glm::ivec2(0));
    EXPECT_EQ(missing.bearing, glm::ivec2(0));
    EXPECT_EQ(missing.advance, 0u);
    EXPECT_EQ(glyphTable().size(), 129u);

    EXPECT_EQ(render(withMissing, 20.0f, 1.0f, false), render("AB", 20.0f, 1.0f, false));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextGlTest, SpaceMovesThePenAndDrawsNothing) {
    const Glyph& space = glyphTable()[' '];
    EXPECT_EQ(space.size, glm::ivec2(0));
    EXPECT_GT(space.advance >> 6, 0u);

    const auto spaced = layout("A B", 20.0f, 2.5f, false);
    const auto plain = layout("A", 20.0f, 2.5f, false);
    EXPECT_FLOAT_EQ(spaced[2].penX, 20.0f + totalAdvance("A", 2.5f) + scaledAdvance(space, 2.5f));
    EXPECT_EQ(spaced[0].quad, plain[0].quad);

    EXPECT_EQ(TextTarget::inkedPixels(render("   ", 20.0f, 1.0f, false)), 0);
    EXPECT_EQ(TextTarget::inkedPixels(render("", 20.0f, 1.0f, false)), 0);
}

TEST_F(TextGlTest, DrawingLeavesTheStateAsFound) {
    shader->use();
    drawText(*shader, "Time left: 03:05", 5.0f, 30.0f, 0.5f, glm::vec3(1.0f, 0.0f, 0.0f));
    GLint value = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
    EXPECT_EQ(value, GL_TEXTURE0);
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, static_cast<GLint>(shader->getProgram()));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextGlTest, MissingOrBrokenFontIsReportedAndTextDrawsNothing) {
    releaseFont();
    testing::internal::CaptureStdout();
    loadFont(*shader, targetWidth, targetHeight, "assets/fonts/no-such-font.ttf");
    std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output,
              "ERROR::FREETYPE: This means that the font file could not be opened or read, or "
              "that it is broken\n");
    EXPECT_TRUE(glyphTable().empty());
    EXPECT_EQ(TextTarget::inkedPixels(render("FPS:60", 10.0f, 1.0f, false)), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const std::string notAFont = testing::TempDir() + "tessel-not-a-font.ttf";
    std::ofstream(notAFont) << "this is not a TrueType file, just some text\n";
    releaseFont();
    testing::internal::CaptureStdout();
    loadFont(*shader, targetWidth, targetHeight, notAFont);
    output = testing::internal::GetCapturedStdout();
    std::remove(notAFont.c_str());
    EXPECT_EQ(output,
              "ERROR::FREETYPE: the font file could be opened and read, but it appears that its "
              "font format is unsupported\n");
    EXPECT_TRUE(glyphTable().empty());
}

TEST_F(TextGlTest, ADrawBeyondTheBufferDrawsWhatFitsAndSaysSoOnce) {
    const std::vector<unsigned char> plain = render("AB", 20.0f, 1.0f, false);
    const std::string line(100, 'A');
    shader->use();
    for (int round = 0; round < 2; ++round) {
        testing::internal::CaptureStdout();
        const DrawCallCounts before = drawCallCounts();
        for (int i = 0; i < 21; ++i) queueText(line, 0.0f, 10.0f, 0.1f, glm::vec3(0.0f));
        drawQueuedText(*shader);
        EXPECT_EQ(drawCallsBetween(before, drawCallCounts()).hud, 1u);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  round == 0 ? "Text: a draw asked for 2100 glyphs; only the first 2048 are drawn\n"
                             : "");
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // The queue starts empty again.
    EXPECT_EQ(render("AB", 20.0f, 1.0f, false), plain);
}

TEST_F(TextGlTest, ABitmapFontOfOneBitPixelsIsRefusedGlyphByGlyph) {
    // FreeType opens BDF files too; their glyphs come as one bit a pixel, eight to a byte, which
    // the text module does not read: the rows hold fewer bytes than the bitmap has pixels.
    const std::string bdf = testing::TempDir() + "tessel-one-bit.bdf";
    std::ofstream file(bdf);
    file << "STARTFONT 2.1\nFONT -tessel-test-medium-r-normal--16-160-75-75-c-160-iso10646-1\n"
            "SIZE 16 75 75\nFONTBOUNDINGBOX 16 16 0 0\nSTARTPROPERTIES 2\nFONT_ASCENT 16\n"
            "FONT_DESCENT 0\nENDPROPERTIES\nCHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 1000 0\n"
            "DWIDTH 16 0\nBBX 16 16 0 0\nBITMAP\n";
    for (int row = 0; row < 16; ++row) file << "FFFF\n";
    file << "ENDCHAR\nENDFONT\n";
    file.close();

    releaseFont();
    testing::internal::CaptureStdout();
    loadFont(*shader, targetWidth, targetHeight, bdf);
    const std::string output = testing::internal::GetCapturedStdout();
    std::remove(bdf.c_str());
    const std::string refusal = "ERROR::FREETYTPE: Failed to load Glyph\n";
    int refused = 0;
    for (std::size_t at = output.find(refusal); at != std::string::npos;
         at = output.find(refusal, at + 1)) {
        ++refused;
    }
    EXPECT_EQ(refused, 128);
    EXPECT_TRUE(glyphTable().empty());
    EXPECT_EQ(TextTarget::inkedPixels(render("AAA", 10.0f, 1.0f, false)), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
