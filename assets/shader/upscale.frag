#version 430 core
// Scales the picture drawn at the render resolution up to the window: the image is sampled
// between its texels with linear filtering, so that the upscale is smooth rather than blocky.

in vec2 imagePosition;

uniform sampler2D image;

out vec4 color;

void main() {
    color = vec4(texture(image, imagePosition).rgb, 1.0);
}
