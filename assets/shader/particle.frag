#version 430 core
in vec2 texCoord;
flat in float alphaAdd;  // life fraction: near 0 just woken, 1 at the end of the lifetime

uniform sampler2D diffuseTexture;

out vec4 color;

void main() {
    vec4 smoke = texture(diffuseTexture, texCoord);
    // Young smoke is dense, old smoke fades out; past its lifetime it is invisible.
    float fade = clamp(1.0 - alphaAdd, 0.0, 1.0);
    color = vec4(smoke.rgb, smoke.a * fade * 0.6);
}
