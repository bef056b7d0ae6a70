#pragma once

#include <GL/glew.h>

#include <array>
#include <cstddef>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <map>
#include <string>

class Shader;

// One rasterised character of the HUD font, its bitmap in the font's one atlas (coverage in the red
// channel).
struct Glyph {
    glm::ivec2 size{0};         // bitmap width and rows in pixels
    glm::ivec2 bearing{0};      // pen to the bitmap's left edge; baseline to its top edge
    GLuint advance = 0;         // pen advance in 1/64 pixel
    glm::ivec2 atlasOrigin{0};  // the texel of the atlas that holds the bitmap's first (top) row
};

// The loaded characters, keyed by the byte taken as a signed value. Drawing a byte that has
// no entry adds an all-zero one: it draws nothing and does not move the pen.
using GlyphTable = std::map<signed char, Glyph>;
GlyphTable& glyphTable();

constexpr const char* defaultFontPath = "assets/fonts/calibri.ttf";

// Rasterises codes 0 to 127 at 48 pixels into one atlas texture, sets the text shader's
// "projection" to window pixels and creates the text vertex buffer. Problems with the font
// are printed and loading goes on without glyphs, so the game runs on without text. Leaves
// the text shader current.
void loadFont(Shader& textShader, int windowWidth, int windowHeight,
              const std::string& fontPath = defaultFontPath);

// Sets the text shader's "projection" to a window of `windowWidth` x `windowHeight` pixels, for
// a window whose size changed since loadFont. Leaves the text shader current.
void setTextProjection(Shader& textShader, int windowWidth, int windowHeight);

// The line printed as a character code is loaded: the character itself where it is printable
// (32 to 126), its decimal code for the control codes.
std::string glyphLoadingLine(int code);

// Deletes the atlas and the text buffers; drawing needs another loadFont.
void releaseFont();

// The most glyphs one draw takes, which sizes the text vertex buffer: the HUD's few lines with
// room for a panel of fifteen lines of forty characters several times over.
constexpr std::size_t textGlyphCapacity = 2048;

// Lays text out with its first baseline origin at (x, y) in window pixels (or, rightAligned, so
// that the last character's advance ends at x) and adds its glyphs to those the next
// drawQueuedText draws.
void queueText(const std::string& text, float x, float y, float scale, glm::vec3 colour,
               bool rightAligned = false);
// Draws every queued glyph with one draw call, each in its own colour, and empties the queue.
// Past textGlyphCapacity glyphs it draws the first ones and says so, once. The caller has made
// the text shader current.
void drawQueuedText(Shader& textShader);

// Draws text with its first baseline origin at (x, y) in window pixels, in one draw call
// (with anything queued before). The caller has made the text shader current.
void drawText(Shader& textShader, std::string text, float x, float y, float scale,
              glm::vec3 colour);
// Same, laid out leftwards so that the last character's advance ends at x.
void drawTextRightAligned(Shader& textShader, std::string text, float x, float y, float scale,
                          glm::vec3 colour);

// Six vertices (x, y, u, v) of two triangles; v = 0 is the bitmap's top row.
using GlyphQuad = std::array<float, 24>;
GlyphQuad glyphQuad(const Glyph& glyph, float penX, float penY, float scale);

// Whole pixels only: the fraction in the 26.6 advance is dropped before scaling.
inline float scaledAdvance(const Glyph& glyph, float scale) {
    return static_cast<float>(glyph.advance >> 6) * scale;
}

// Lays text out and calls emit(glyph, quad) once per byte in drawing order: first to last
// from x, or (rightAligned) last to first, each moved left by its own advance before it is
// placed. Missing bytes get their all-zero entry in the table.
template <typename Emit>
void layoutText(GlyphTable& table, const std::string& text, float x, float y, float scale,
                bool rightAligned, Emit&& emit) {
    if (rightAligned) {
        for (auto it = text.rbegin(); it != text.rend(); ++it) {
            const Glyph& glyph = table[static_cast<signed char>(*it)];
            x -= scaledAdvance(glyph, scale);
            emit(glyph, glyphQuad(glyph, x, y, scale));
        }
    } else {
        for (char c : text) {
            const Glyph& glyph = table[static_cast<signed char>(c)];
            emit(glyph, glyphQuad(glyph, x, y, scale));
            x += scaledAdvance(glyph, scale);
        }
    }
}
