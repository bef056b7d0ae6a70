#include "effects/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <glm/ext/matrix_clip_space.hpp>
#include <iostream>

#include "render/DrawCalls.h"
#include "render/Shader.h"

namespace {
constexpr int fontPixelHeight = 48;
constexpr int loadedCharacters = 128;
// FreeType's FT_Err_Unknown_File_Format.
constexpr FT_Error unknownFileFormat = 0x02;

// The text module's one instance: the glyph table and the buffer every character is drawn
// from. Plain names rather than GL handles: this outlives the window, and deleting GL
// objects after the context is gone is not allowed, so releaseFont does it explicitly.
struct TextState {
    GlyphTable glyphs;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
};

TextState& textState() {
    static TextState state;
    return state;
}

GLuint uploadGlyphTexture(const FT_Bitmap& bitmap) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, static_cast<GLsizei>(bitmap.width),
                 static_cast<GLsizei>(bitmap.rows), 0, GL_RED, GL_UNSIGNED_BYTE, bitmap.buffer);
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

    GlyphTable& glyphs = textState().glyphs;
    for (int code = 0; code < loadedCharacters; ++code) {
        std::cout << glyphLoadingLine(code) << std::endl;
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0) {
            std::cout << "ERROR::FREETYTPE: Failed to load Glyph" << std::endl;
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        Glyph glyph;
        glyph.textureId = uploadGlyphTexture(slot->bitmap);
        glyph.size = {static_cast<int>(slot->bitmap.width), static_cast<int>(slot->bitmap.rows)};
        glyph.bearing = {slot->bitmap_left, slot->bitmap_top};
        glyph.advance = static_cast<GLuint>(slot->advance.x);
        // A character loaded before keeps its entry; the new texture would be unreachable.
        if (!glyphs.emplace(static_cast<signed char>(code), glyph).second) {
            glDeleteTextures(1, &glyph.textureId);
        }
    }
}

void createTextBuffer() {
    TextState& state = textState();
    if (state.vertexArray != 0) return;
    glGenVertexArrays(1, &state.vertexArray);
    glGenBuffers(1, &state.vertexBuffer);
    glBindVertexArray(state.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, state.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(GlyphQuad), nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void drawLaidOut(Shader& textShader, const std::string& text, float x, float y, float scale,
                 glm::vec3 colour, bool rightAligned) {
    TextState& state = textState();
    textShader.setUniform("textColor", colour);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(state.vertexArray);
    layoutText(state.glyphs, text, x, y, scale, rightAligned,
               [&](const Glyph& glyph, const GlyphQuad& quad) {
                   glBindTexture(GL_TEXTURE_2D, glyph.textureId);
                   glBindBuffer(GL_ARRAY_BUFFER, state.vertexBuffer);
                   glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad.data());
                   glBindBuffer(GL_ARRAY_BUFFER, 0);
                   glDrawArrays(GL_TRIANGLES, 0, 6);
                   countDrawCall(DrawCallKind::Hud);
               });
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
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
    textShader.use();
    textShader.setUniform("projection", glm::ortho(0.0f, static_cast<float>(windowWidth), 0.0f,
                                                   static_cast<float>(windowHeight), -1.0f, 1.0f));
    createTextBuffer();
}

void releaseFont() {
    TextState& state = textState();
    for (auto& entry : state.glyphs) {
        if (entry.second.textureId != 0) glDeleteTextures(1, &entry.second.textureId);
    }
    state.glyphs.clear();
    glDeleteBuffers(1, &state.vertexBuffer);
    glDeleteVertexArrays(1, &state.vertexArray);
    state.vertexBuffer = 0;
    state.vertexArray = 0;
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

void drawText(Shader& textShader, std::string text, float x, float y, float scale,
              glm::vec3 colour) {
    drawLaidOut(textShader, text, x, y, scale, colour, false);
}

void drawTextRightAligned(Shader& textShader, std::string text, float x, float y, float scale,
                          glm::vec3 colour) {
    drawLaidOut(textShader, text, x, y, scale, colour, true);
}
