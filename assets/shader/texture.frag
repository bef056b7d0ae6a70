#version 430 core
// Phong lighting of a textured surface by one directional and one point light.
// materialCoefficients = (ambient, diffuse, specular) weights; specularAlpha = the highlight's
// exponent, any float. Built with WHOLE_SPECULAR_EXPONENT defined, the program raises to the
// exponent by a few products instead of pow(), which is exact for whole exponents from 0 to 15
// only: the game builds it so where every material it draws has such an exponent.

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

#ifdef WHOLE_SPECULAR_EXPONENT
// x to the whole power n, 0 <= n <= 15, by repeated squaring. pow() would be exp2(n * log2(x)),
// which a software renderer evaluates as two polynomials per light and pixel; these few products
// give the same picture for less.
float raiseWhole(float x, int n) {
    float x2 = x * x;
    float x4 = x2 * x2;
    float x8 = x4 * x4;
    return ((n & 1) != 0 ? x : 1.0) * ((n & 2) != 0 ? x2 : 1.0) * ((n & 4) != 0 ? x4 : 1.0) *
           ((n & 8) != 0 ? x8 : 1.0);
}

float highlight(float x) {
    return raiseWhole(x, int(specularAlpha));
}
#else
// x >= 0 to the power specularAlpha. pow() is undefined at 0: there x^0 is 1, and any other
// power is taken as 0.
float highlight(float x) {
    return x > 0.0 ? pow(x, specularAlpha) : (specularAlpha == 0.0 ? 1.0 : 0.0);
}
#endif

// Diffuse and specular light reaching the eye from a light arriving along toLight.
// normalDotEye is dot(normal, toEye), the same for both lights.
vec3 phong(vec3 normal, vec3 toLight, vec3 toEye, float normalDotEye, vec3 lightColor,
           vec3 surfaceColor) {
    float normalDotLight = dot(normal, toLight);
    float diffuse = max(normalDotLight, 0.0);
    // dot(reflect(-toLight, normal), toEye), written out so that the lights share normalDotEye.
    float reflectedDotEye = 2.0 * normalDotLight * normalDotEye - dot(toLight, toEye);
    // No highlight on faces turned away from the light.
    float specular = diffuse > 0.0 ? highlight(max(reflectedDotEye, 0.0)) : 0.0;
    return lightColor * (materialCoefficients.y * diffuse * surfaceColor +
                         materialCoefficients.z * specular);
}

void main() {
    vec3 normal = normalize(vert.worldNormal);
    vec3 toEye = normalize(camera_world - vert.worldPosition);
    vec3 surfaceColor = texture(diffuseTexture, vert.uv).rgb;
    float normalDotEye = dot(normal, toEye);

    vec3 lit = materialCoefficients.x * surfaceColor;
    lit += phong(normal, normalize(-dirL.direction), toEye, normalDotEye, dirL.color,
                 surfaceColor);

    vec3 toLamp = pointL.position - vert.worldPosition;
    float lampDistance = length(toLamp);
    float falloff = 1.0 / (pointL.attenuation.x + pointL.attenuation.y * lampDistance +
                           pointL.attenuation.z * lampDistance * lampDistance);
    vec3 toLampUnit = toLamp * (1.0 / max(lampDistance, 1e-4));
    lit += falloff * phong(normal, toLampUnit, toEye, normalDotEye, pointL.color, surfaceColor);

    color = vec4(lit, 1.0);
}
