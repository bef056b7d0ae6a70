#version 430 core
// Full-screen quad: position in clip space, and where the fragment falls in the off-screen image
// in texels. The window may have more pixels than the image has texels, so the fragment's own
// position is no texel index.

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;

uniform int width;  // the off-screen image's size in texels
uniform int height;

out vec2 texelPosition;
// The image's last column and row: the same for every fragment, so worked out once here.
flat out ivec2 lastTexel;

void main() {
    texelPosition = uv * vec2(width, height);
    lastTexel = max(ivec2(width, height) - 1, ivec2(0));
    gl_Position = vec4(position, 0.0, 1.0);
}
