#version 430 core
// One smoke particle: a unit quad centred on the particle and turned to face the camera.
layout(location = 0) in vec3 corner;  // in the quad's own XY plane
layout(location = 1) in vec2 uv;

uniform mat4 projMatrix;
uniform mat4 viewMatrix;
uniform mat4 modelMatrix;  // translation to the particle

out vec2 texCoord;

void main() {
    // Spread the corner in view space so the quad always faces the viewer.
    vec4 centre = viewMatrix * modelMatrix * vec4(0.0, 0.0, 0.0, 1.0);
    gl_Position = projMatrix * (centre + vec4(corner.xy, 0.0, 0.0));
    texCoord = uv;
}
