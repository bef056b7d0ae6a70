#include "effects/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstddef>
#include <glm/ext/matrix_clip_space.hpp>
#include <iostream>
#include <vector>

#include "render/DrawCalls.h"
#include "render/Shader.h"

namespace {
constexpr int fontPixelHeight = 48;
constexpr int loadedCharacters = 128;
// FreeType's FT_Err_Unknown_File_Format.
constexpr FT_Error unknownFileFormat = 0x02;
// The atlas is at least this wide; its sides are powers of two, so that a texel position
// divided by the size and multiplied back in the sampler comes out exact.
constexpr int atlasMinimumWidth = 1024;

// One vertex of a glyph quad: where it is, which texel of the atlas, the ink, and the centres
// of the glyph's outermost texels, which keep filtering inside the glyph's own bitmap.
struct TextVertex {
    float x, y;  // window pixels
    float u, v;  // atlas texels
    float red, green, blue;
    float firstTexelX, firstTexelY, lastTexelX, lastTexelY;
};
constexpr std::size_t verticesPerGlyph = 6;

// The text module's one instance: the glyph table, the atlas and the buffer every glyph of a
// draw goes into. Plain names rather than GL handles: this outlives the window, and deleting
// GL objects after the context is gone is not allowed, so releaseFont does it explicitly.
struct TextState {
    GlyphTable glyphs;
    GLuint atlas = 0;
    glm::ivec2 atlasSize{0};
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;         // room for textGlyphCapacity glyphs
    std::vector<TextVertex> queued;  // the glyphs of the next draw, up to the capacity
    std::size_t glyphsAsked = 0;     // how many the next draw was asked for
    bool overflowReported = false;
};

TextState& textState() {
    static TextState state;
    return state;
}

int powerOfTwoAtLeast(int value) {
    int power = 1;
    while (power < value && power < (1 << 30)) power *= 2;
    return power;
}

// A glyph's coverage rows, top row first, tightly packed.
struct RenderedGlyph {
    signed char code = 0;
    Glyph glyph;
    std::vector<unsigned char> coverage;
};

// Copies an 8-bit coverage bitmap row by row whatever its pitch; nothing for other pixel modes,
// whose rows hold fewer bytes than pixels.
bool copyCoverage(const FT_Bitmap& bitmap, std::vector<unsigned char>& coverage) {
    const auto width = static_cast<std::size_t>(bitmap.width);
    const auto rows = static_cast<std::size_t>(bitmap.rows);
    coverage.assign(width * rows, 0);
    if (width == 0 || rows == 0) return true;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.buffer == nullptr) return false;
    const auto pitch = static_cast<std::size_t>(bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch);
    if (pitch < width) return false;
    for (std::size_t row = 0; row < rows; ++row) {
        // A negative pitch stores the bottom row first.
        const std::size_t stored = bitmap.pitch < 0 ? rows - 1 - row : row;
        const unsigned char* from = bitmap.buffer + stored * pitch;
        std::copy(from, from + width, coverage.begin() + static_cast<std::ptrdiff_t>(row * width));
    }
    return true;
}

// Places the bitmaps in rows one texel apart, in code order, across an atlas of a power-of-two
// width, and sizes its height to the next power of two. A bitmap that does not fit within the
// driver's largest texture is left out (size 0, reported).
glm::ivec2 packAtlas(std::vector<RenderedGlyph>& rendered, int maxSide) {
    int widest = 0;
    for (const RenderedGlyph& r : rendered) widest = std::max(widest, r.glyph.size.x);
    const int width = std::min(powerOfTwoAtLeast(std::max(atlasMinimumWidth, widest + 1)), maxSide);
    int x = 0;
    int y = 0;
    int rowHeight = 0;
    for (RenderedGlyph& r : rendered) {
        const glm::ivec2 size = r.glyph.size;
        if (size.x == 0 || size.y == 0) continue;
        if (x + size.x > width) {
            x = 0;
            y += rowHeight + 1;
            rowHeight = 0;
        }
        if (size.x > width || y + size.y > maxSide) {
            std::cout << "ERROR::FREETYTPE: Glyph " << static_cast<int>(r.code)
                      << " does not fit in the font atlas" << std::endl;
            r.glyph.size = glm::ivec2(0);
            continue;
        }
        r.glyph.atlasOrigin = {x, y};
        x += size.x + 1;
        rowHeight = std::max(rowHeight, size.y);
    }
    return {width, std::min(powerOfTwoAtLeast(std::max(1, y + rowHeight)), maxSide)};
}

GLuint uploadAtlas(const std::vector<RenderedGlyph>& rendered, glm::ivec2 size) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const std::vector<unsigned char> blank(static_cast<std::size_t>(size.x) *
                                           static_cast<std::size_t>(size.y));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, size.x, size.y, 0, GL_RED, GL_UNSIGNED_BYTE,
                 blank.data());
    for (const RenderedGlyph& r : rendered) {
        const Glyph& glyph = r.glyph;
        if (glyph.size.x == 0 || glyph.size.y == 0) continue;
        glTexSubImage2D(GL_TEXTURE_2D, 0, glyph.atlasOrigin.x, glyph.atlasOrigin.y, glyph.size.x,
                        glyph.size.y, GL_RED, GL_UNSIGNED_BYTE, r.coverage.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

}  // namespace

std::string glyphLoadingLine(int code) {
    // A control byte written raw would ring the terminal's bell, move its cursor or switch its
    // character set, and land the same way in the session's log.
    const bool printable = code >= 32 && code <= 126;
    if (!printable) return "loading character " + std::to_string(code) + " into memory...";
    return std::string("loading ") + static_cast<char>(code) + " into memory...";
}

namespace {

void loadGlyphs(FT_Face face) {
    std::cout << "Loaded Calibri.ttf, num_glyphs: " << face->num_glyphs
              << ", units_per_EM: " << face->units_per_EM
              << ", num_fixed_sizes: " << face->num_fixed_sizes << std::endl;

    if (FT_Set_Pixel_Sizes(face, 0, fontPixelHeight) != 0) {
        std::cout << "Something wnet wrong setting the size for a font" << std::endl;
    }
    // Glyph rows are tightly packed bytes.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    std::vector<RenderedGlyph> rendered;
    for (int code = 0; code < loadedCharacters; ++code) {
        std::cout << glyphLoadingLine(code) << std::endl;
        RenderedGlyph r;
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0 ||
            !copyCoverage(face->glyph->bitmap, r.coverage)) {
            std::cout << "ERROR::FREETYTPE: Failed to load Glyph" << std::endl;
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        r.code = static_cast<signed char>(code);
        r.glyph.size = {static_cast<int>(slot->bitmap.width), static_cast<int>(slot->bitmap.rows)};
        r.glyph.bearing = {slot->bitmap_left, slot->bitmap_top};
        r.glyph.advance = static_cast<GLuint>(slot->advance.x);
        rendered.push_back(std::move(r));
    }

    TextState& state = textState();
    // A font loaded before keeps its atlas and its entries, which point into it; releaseFont
    // comes first to load another.
    if (state.atlas != 0) return;
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    state.atlasSize = packAtlas(rendered, maxSide);
    state.atlas = uploadAtlas(rendered, state.atlasSize);
    // A character loaded before keeps its entry.
    for (const RenderedGlyph& r : rendered) state.glyphs.emplace(r.code, r.glyph);
}

void createTextBuffer() {
    TextState& state = textState();
    if (state.vertexArray != 0) return;
    state.queued.reserve(textGlyphCapacity * verticesPerGlyph);
    glGenVertexArrays(1, &state.vertexArray);
    glGenBuffers(1, &state.vertexBuffer);
    glBindVertexArray(state.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, state.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(textGlyphCapacity * verticesPerGlyph * sizeof(TextVertex)),
                 nullptr, GL_DYNAMIC_DRAW);
    const auto stride = static_cast<GLsizei>(sizeof(TextVertex));
    const auto attribute = [stride](GLuint location, GLint floats, std::size_t offset) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, floats, GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offset));
    };
    attribute(0, 4, offsetof(TextVertex, x));
    attribute(1, 3, offsetof(TextVertex, red));
    attribute(2, 4, offsetof(TextVertex, firstTexelX));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}
}  // namespace

GlyphTable& glyphTable() {
    return textState().glyphs;
}

void loadFont(Shader& textShader, int windowWidth, int windowHeight, const std::string& fontPath) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::cout << "ERROR::FREETYPE: Could not init FreeType Library" << std::endl;
    } else {
        FT_Face face = nullptr;
        const FT_Error error = FT_New_Face(library, fontPath.c_str(), 0, &face);
        if (error == unknownFileFormat) {
            std::cout << "ERROR::FREETYPE: the font file could be opened and read, but it "
                         "appears that its font format is unsupported"
                      << std::endl;
        } else if (error != 0) {
            std::cout << "ERROR::FREETYPE: This means that the font file could not be opened or "
                         "read, or that it is broken"
                      << std::endl;
        } else {
            loadGlyphs(face);
            FT_Done_Face(face);
        }
        FT_Done_FreeType(library);
    }

    // Even without glyphs the projection and the buffer are set up, so drawing stays valid
    // (every character is then an empty entry that draws nothing).
    setTextProjection(textShader, windowWidth, windowHeight);
    createTextBuffer();
}

void setTextProjection(Shader& textShader, int windowWidth, int windowHeight) {
    textShader.use();
    textShader.setUniform("projection", glm::ortho(0.0f, static_cast<float>(windowWidth), 0.0f,
                                                   static_cast<float>(windowHeight), -1.0f, 1.0f));
}

void releaseFont() {
    TextState& state = textState();
    if (state.atlas != 0) glDeleteTextures(1, &state.atlas);
    state.atlas = 0;
    state.atlasSize = glm::ivec2(0);
    state.glyphs.clear();
    glDeleteBuffers(1, &state.vertexBuffer);
    glDeleteVertexArrays(1, &state.vertexArray);
    state.vertexBuffer = 0;
    state.vertexArray = 0;
    state.queued.clear();
    state.glyphsAsked = 0;
    state.overflowReported = false;
}

GlyphQuad glyphQuad(const Glyph& glyph, float penX, float penY, float scale) {
    const float xpos = penX + static_cast<float>(glyph.bearing.x) * scale;
    const float ypos = penY - static_cast<float>(glyph.size.y - glyph.bearing.y) * scale;
    const float w = static_cast<float>(glyph.size.x) * scale;
    const float h = static_cast<float>(glyph.size.y) * scale;
    return {xpos,     ypos + h, 0.0f, 0.0f,  //
            xpos,     ypos,     0.0f, 1.0f,  //
            xpos + w, ypos,     1.0f, 1.0f,  //
            xpos,     ypos + h, 0.0f, 0.0f,  //
            xpos + w, ypos,     1.0f, 1.0f,  //
            xpos + w, ypos + h, 1.0f, 0.0f};
}

void queueText(const std::string& text, float x, float y, float scale, glm::vec3 colour,
               bool rightAligned) {
    TextState& state = textState();
    layoutText(state.glyphs, text, x, y, scale, rightAligned,
               [&](const Glyph& glyph, const GlyphQuad& quad) {
                   // A glyph without a bitmap (the space, a missing character) shows nothing.
                   if (glyph.size.x == 0 || glyph.size.y == 0) return;
                   ++state.glyphsAsked;
                   if (state.queued.size() >= textGlyphCapacity * verticesPerGlyph) return;
                   const glm::vec2 origin(glyph.atlasOrigin);
                   const glm::vec2 size(glyph.size);
                   const glm::vec2 first = origin + 0.5f;
                   const glm::vec2 last = origin + size - 0.5f;
                   for (std::size_t corner = 0; corner < verticesPerGlyph; ++corner) {
                       const float* at = &quad[corner * 4];
                       state.queued.push_back({at[0], at[1], origin.x + at[2] * size.x,
                                               origin.y + at[3] * size.y, colour.r, colour.g,
                                               colour.b, first.x, first.y, last.x, last.y});
                   }
               });
}

void drawQueuedText(Shader& /*textShader*/) {
    TextState& state = textState();
    if (state.glyphsAsked * verticesPerGlyph > state.queued.size() && !state.overflowReported) {
        std::cout << "Text: a draw asked for " << state.glyphsAsked << " glyphs; only the first "
                  << textGlyphCapacity << " are drawn" << std::endl;
        state.overflowReported = true;
    }
    glActiveTexture(GL_TEXTURE0);
    if (!state.queued.empty() && state.vertexArray != 0) {
        glBindVertexArray(state.vertexArray);
        glBindTexture(GL_TEXTURE_2D, state.atlas);
        glBindBuffer(GL_ARRAY_BUFFER, state.vertexBuffer);
        glBufferSubData(GL_ARRAY_BUFFER, 0,
                        static_cast<GLsizeiptr>(state.queued.size() * sizeof(TextVertex)),
                        state.queued.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(state.queued.size()));
        countDrawCall(DrawCallKind::Hud);
    }
    state.queued.clear();
    state.glyphsAsked = 0;
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void drawText(Shader& textShader, std::string text, float x, float y, float scale,
              glm::vec3 colour) {
    queueText(text, x, y, scale, colour, false);
    drawQueuedText(textShader);
}

void drawTextRightAligned(Shader& textShader, std::string text, float x, float y, float scale,
                          glm::vec3 colour) {
    queueText(text, x, y, scale, colour, true);
    drawQueuedText(textShader);
}
