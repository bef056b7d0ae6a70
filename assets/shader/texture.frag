#version 430 core
// Phong lighting of a textured surface by one directional and one point light.
// materialCoefficients = (ambient, diffuse, specular) weights; specularAlpha = exponent.

in VertexData {
    vec3 worldPosition;
    vec3 worldNormal;
    vec2 uv;
} vert;

struct DirectionalLight {
    vec3 color;
    vec3 direction;  // the way the rays travel
};

struct PointLight {
    vec3 color;
    vec3 position;
    vec3 attenuation;  // constant, linear, quadratic
};

uniform vec3 camera_world;
uniform vec3 materialCoefficients;
uniform float specularAlpha;
uniform sampler2D diffuseTexture;
uniform DirectionalLight dirL;
uniform PointLight pointL;

out vec4 color;

// Diffuse and specular light reaching the eye from a light arriving along toLight.
vec3 phong(vec3 normal, vec3 toLight, vec3 toEye, vec3 lightColor, vec3 surfaceColor) {
    float diffuse = max(dot(normal, toLight), 0.0);
    vec3 reflected = reflect(-toLight, normal);
    // No highlight on faces turned away from the light.
    float specular = diffuse > 0.0 ? pow(max(dot(reflected, toEye), 0.0), specularAlpha) : 0.0;
    return lightColor * (materialCoefficients.y * diffuse * surfaceColor +
                         materialCoefficients.z * specular);
}

void main() {
    vec3 normal = normalize(vert.worldNormal);
    vec3 toEye = normalize(camera_world - vert.worldPosition);
    vec3 surfaceColor = texture(diffuseTexture, vert.uv).rgb;

    vec3 lit = materialCoefficients.x * surfaceColor;
    lit += phong(normal, normalize(-dirL.direction), toEye, dirL.color, surfaceColor);

    vec3 toLamp = pointL.position - vert.worldPosition;
    float lampDistance = length(toLamp);
    float falloff = 1.0 / (pointL.attenuation.x + pointL.attenuation.y * lampDistance +
                           pointL.attenuation.z * lampDistance * lampDistance);
    lit += falloff * phong(normal, toLamp / max(lampDistance, 1e-4), toEye, pointL.color,
                           surfaceColor);

    color = vec4(lit, 1.0);
}
