#version 430 core
// Smoke particles, all in one instanced draw: a unit quad centred on each particle and turned
// to face the camera.
layout(location = 0) in vec3 corner;  // in the quad's own XY plane
layout(location = 1) in vec2 uv;
layout(location = 2) in vec3 particlePosition;  // per particle, in the world
layout(location = 3) in float lifeFraction;     // per particle

uniform mat4 projMatrix;
uniform mat4 viewMatrix;

out vec2 texCoord;
flat out float alphaAdd;

void main() {
    // Spread the corner in view space so the quad always faces the viewer.
    vec4 centre = viewMatrix * vec4(particlePosition, 1.0);
    gl_Position = projMatrix * (centre + vec4(corner.xy, 0.0, 0.0));
    texCoord = uv;
    alphaAdd = lifeFraction;
}
