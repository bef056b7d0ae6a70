#version 430 core
// Full-screen quad: position in clip space and where the fragment falls in the image.

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 uv;

out vec2 imagePosition;

void main() {
    imagePosition = uv;
    gl_Position = vec4(position, 0.0, 1.0);
}
