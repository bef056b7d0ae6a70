#version 430 core
in vec3 worldNormal;
in vec2 texCoord;
uniform sampler2D diffuseTexture;
out vec4 color;
void main() {
    color = vec4(texture(diffuseTexture, texCoord).rgb, 1.0);
}
