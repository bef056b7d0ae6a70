#version 430 core
// Copies the off-screen image to the window and draws dark outlines where neighbouring
// texels differ strongly in brightness (a Sobel filter over the 3x3 neighbourhood).

in vec2 screenUv;

uniform sampler2D screenTexture;
uniform int width;
uniform int height;

out vec4 color;

const float edgeStart = 0.25;  // gradient below which nothing is darkened
const float edgeFull = 0.6;    // gradient at which the outline is at full strength
const float outlineDarkness = 0.85;

float luminance(vec2 offset) {
    vec2 texel = vec2(1.0 / float(max(width, 1)), 1.0 / float(max(height, 1)));
    return dot(texture(screenTexture, screenUv + offset * texel).rgb, vec3(0.299, 0.587, 0.114));
}

void main() {
    float topLeft = luminance(vec2(-1.0, 1.0));
    float top = luminance(vec2(0.0, 1.0));
    float topRight = luminance(vec2(1.0, 1.0));
    float left = luminance(vec2(-1.0, 0.0));
    float right = luminance(vec2(1.0, 0.0));
    float bottomLeft = luminance(vec2(-1.0, -1.0));
    float bottom = luminance(vec2(0.0, -1.0));
    float bottomRight = luminance(vec2(1.0, -1.0));

    float across = (topRight + 2.0 * right + bottomRight) - (topLeft + 2.0 * left + bottomLeft);
    float down = (bottomLeft + 2.0 * bottom + bottomRight) - (topLeft + 2.0 * top + topRight);
    float edge = smoothstep(edgeStart, edgeFull, length(vec2(across, down)));

    vec3 scene = texture(screenTexture, screenUv).rgb;
    color = vec4(scene * (1.0 - outlineDarkness * edge), 1.0);
}
