#pragma once

#include <glm/vec3.hpp>
#include <memory>

class Shader;
class Texture;

// A surface's program and lighting weights: "materialCoefficients" holds the ambient, diffuse
// and specular weights, "specularAlpha" the specular exponent (the scene's shader takes it as a
// whole number from 0 to 15). Immutable once made.
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
