#include "render/Material.h"

#include <cmath>

#include "render/Shader.h"
#include "render/Texture.h"

Material::Material(std::shared_ptr<Shader> sharedShader, glm::vec3 coefficients, float alpha)
    : shader(std::move(sharedShader)), materialCoefficients(coefficients), specularAlpha(alpha) {}

Material::~Material() = default;

void Material::setUniforms() {
    shader->setUniform("materialCoefficients", materialCoefficients);
    shader->setUniform("specularAlpha", specularAlpha);
}

std::string highlightDefinitions(std::initializer_list<float> specularAlphas) {
    for (const float alpha : specularAlphas) {
        if (!(alpha >= 0.0f && alpha <= 15.0f && alpha == std::floor(alpha))) return "";
    }
    return "#define WHOLE_SPECULAR_EXPONENT\n";
}

TextureMaterial::TextureMaterial(std::shared_ptr<Shader> sharedShader, glm::vec3 coefficients,
                                 float alpha, std::shared_ptr<Texture> texture)
    : Material(std::move(sharedShader), coefficients, alpha), diffuseTexture(std::move(texture)) {}

TextureMaterial::~TextureMaterial() = default;

void TextureMaterial::setUniforms() {
    Material::setUniforms();
    // A texture that failed to load binds nothing: unit 0 keeps what it had.
    if (diffuseTexture) diffuseTexture->bind(0);
    shader->setUniform("diffuseTexture", 0);
}
