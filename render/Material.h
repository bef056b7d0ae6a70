#pragma once

#include <glm/vec3.hpp>
#include <initializer_list>
#include <memory>
#include <string>

class Shader;
class Texture;

// A surface's program and lighting weights: "materialCoefficients" holds the ambient, diffuse
// and specular weights, "specularAlpha" the specular exponent, any float. Immutable once made.
class Material {
public:
    Material(std::shared_ptr<Shader> shader, glm::vec3 materialCoefficients, float specularAlpha);
    virtual ~Material();

    Shader* getShader() const { return shader.get(); }

    // Uploads this material's uniforms; its program must be current.
    virtual void setUniforms();

protected:
    std::shared_ptr<Shader> shader;
    glm::vec3 materialCoefficients;
    float specularAlpha;
};

// The definitions that the scene's fragment program ("texture.frag") is built with for materials
// of these exponents: the highlight raised by a few products where that is exact for every one
// of them (whole exponents from 0 to 15), by pow() otherwise. The choice is made once, here on
// the processor, so that no pixel makes it.
std::string highlightDefinitions(std::initializer_list<float> specularAlphas);

// A material with a diffuse texture, sampled as "diffuseTexture" from texture unit 0.
class TextureMaterial : public Material {
public:
    TextureMaterial(std::shared_ptr<Shader> shader, glm::vec3 materialCoefficients,
                    float specularAlpha, std::shared_ptr<Texture> diffuseTexture);
    ~TextureMaterial() override;

    void setUniforms() override;

private:
    std::shared_ptr<Texture> diffuseTexture;
};
