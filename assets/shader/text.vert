#version 430 core
// Glyph quads in window pixels, every glyph of a draw in one buffer.
layout(location = 0) in vec4 vertex;       // xy the corner, zw its texel in the atlas
layout(location = 1) in vec3 ink;          // the glyph's colour
layout(location = 2) in vec4 glyphTexels;  // centres of the glyph's first (xy) and last (zw) texel

uniform mat4 projection;  // window pixels (origin bottom-left) to clip space

out vec2 atlasTexel;
flat out vec3 inkColor;
flat out vec4 glyphBounds;

void main() {
    gl_Position = projection * vec4(vertex.xy, 0.0, 1.0);
    atlasTexel = vertex.zw;
    inkColor = ink;
    glyphBounds = glyphTexels;
}
