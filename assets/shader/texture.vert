#version 430 core
// Scene vertices: world-space position and normal for the lighting, texture coordinate as is.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 modelMatrix;
uniform mat3 normalMatrix;
uniform mat4 viewProjMatrix;

out VertexData {
    vec3 worldPosition;
    vec3 worldNormal;
    vec2 uv;
} vert;

void main() {
    vec4 worldPosition = modelMatrix * vec4(position, 1.0);
    vert.worldPosition = worldPosition.xyz;
    vert.worldNormal = normalMatrix * normal;
    vert.uv = uv;
    gl_Position = viewProjMatrix * worldPosition;
}
