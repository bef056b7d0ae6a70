#version 430 core
in vec2 texCoords;

uniform sampler2D glyph;  // never set: texture unit 0
uniform vec3 textColor;

out vec4 color;

void main() {
    // The glyph's coverage, in the red channel, becomes the ink's alpha.
    color = vec4(textColor, texture(glyph, texCoords).r);
}
