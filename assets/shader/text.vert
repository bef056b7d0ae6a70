#version 430 core
// A glyph quad in window pixels: xy the corner, zw its texture coordinate.
layout(location = 0) in vec4 vertex;

uniform mat4 projection;  // window pixels (origin bottom-left) to clip space

out vec2 texCoords;

void main() {
    gl_Position = projection * vec4(vertex.xy, 0.0, 1.0);
    texCoords = vertex.zw;
}
