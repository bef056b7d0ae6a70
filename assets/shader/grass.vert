#version 430 core
// Grass tiles, all of a field in one instanced draw: the scene's vertex stage, with each tile's
// model and normal matrices read per instance instead of from uniforms. The fragment stage is
// the scene's texture.frag.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
layout(location = 3) in mat4 modelMatrix;   // locations 3 to 6, one per tile
layout(location = 7) in mat3 normalMatrix;  // locations 7 to 9, one per tile
// One per tile: its sides that meet a standing tile, a bit each for +x, -x, +z and -z.
layout(location = 10) in uint innerSides;

uniform mat4 viewProjMatrix;
// 1 while the eye is above the grass, where the inner sides cannot be seen: they are left out.
uniform int leaveOutInnerSides;

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

    uint side = normal.x > 0.5 ? 1u : normal.x < -0.5 ? 2u : normal.z > 0.5 ? 4u : normal.z < -0.5 ? 8u : 0u;
    if (leaveOutInnerSides != 0 && (innerSides & side) != 0u) {
        // Every corner of the side at the same point beyond the far plane: it covers nothing.
        gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
    }
}
