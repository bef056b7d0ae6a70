#version 430 core
in vec2 atlasTexel;
flat in vec3 inkColor;
flat in vec4 glyphBounds;

uniform sampler2D glyph;  // the font's atlas; never set: texture unit 0

out vec4 color;

void main() {
    // Filtering stays within the glyph's own texels, as it would in a texture of its own that
    // clamps at its edges, whatever lies beside it in the atlas.
    vec2 texel = clamp(atlasTexel, glyphBounds.xy, glyphBounds.zw);
    // The glyph's coverage, in the red channel, becomes the ink's alpha.
    color = vec4(inkColor, texture(glyph, texel / vec2(textureSize(glyph, 0))).r);
}
