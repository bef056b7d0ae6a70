#version 430 core
// Copies the off-screen image to the window and draws dark outlines where neighbouring
// texels differ strongly in brightness (a Sobel filter over the 3x3 neighbourhood).
// Whole texels are read (texelFetch): no filtering, no coordinate arithmetic per read.

in vec2 texelPosition;
flat in ivec2 lastTexel;

uniform sampler2D screenTexture;

out vec4 color;

const float edgeStart = 0.25;  // gradient below which nothing is darkened
const float edgeFull = 0.6;    // gradient at which the outline is at full strength
const float outlineDarkness = 0.85;
const vec3 lumaWeights = vec3(0.299, 0.587, 0.114);

float luminance(int x, int y) {
    return dot(texelFetch(screenTexture, ivec2(x, y), 0).rgb, lumaWeights);
}

void main() {
    ivec2 here = clamp(ivec2(texelPosition), ivec2(0), lastTexel);
    // Neighbours past an edge come from the opposite edge, as the image's repeat wrap mode
    // gave them when it was sampled with filtering; every read stays inside the image.
    int left = here.x > 0 ? here.x - 1 : lastTexel.x;
    int right = here.x < lastTexel.x ? here.x + 1 : 0;
    int below = here.y > 0 ? here.y - 1 : lastTexel.y;
    int above = here.y < lastTexel.y ? here.y + 1 : 0;

    float topLeft = luminance(left, above);
    float top = luminance(here.x, above);
    float topRight = luminance(right, above);
    float midLeft = luminance(left, here.y);
    float midRight = luminance(right, here.y);
    float bottomLeft = luminance(left, below);
    float bottom = luminance(here.x, below);
    float bottomRight = luminance(right, below);

    float across =
        (topRight + 2.0 * midRight + bottomRight) - (topLeft + 2.0 * midLeft + bottomLeft);
    float down = (bottomLeft + 2.0 * bottom + bottomRight) - (topLeft + 2.0 * top + topRight);
    float edge = smoothstep(edgeStart, edgeFull, length(vec2(across, down)));

    vec3 scene = texelFetch(screenTexture, here, 0).rgb;
    color = vec4(scene * (1.0 - outlineDarkness * edge), 1.0);
}
