#version 430 core
// Grass tiles, all of a field in one instanced draw: the scene's vertex stage, with each tile's
// model and normal matrices read per instance instead of from uniforms. The fragment stage is
// the scene's texture.frag.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
layout(location = 3) in mat4 modelMatrix;   // locations 3 to 6, one per tile
layout(location = 7) in mat3 normalMatrix;  // locations 7 to 9, one per tile

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
