#include "render/Lights.h"

#include "physics/Camera.h"
#include "render/Shader.h"

DirectionalLight makeSunLight(float brightness) {
    DirectionalLight light;
    light.enabled = true;
    light.color = glm::vec3(0.8f * brightness);
    light.direction = glm::vec3(0.0f, -0.70710677f, -0.70710677f);
    return light;
}

PointLight makeRobotLamp(float brightness) {
    PointLight light;
    light.enabled = true;
    light.color = glm::vec3(10.0f * brightness);
    light.position = glm::vec3(0.0f);
    light.attenuation = glm::vec3(1.0f, 0.4f, 0.1f);
    return light;
}

void setPerFrameUniforms(Shader* shader, const Camera* sceneCamera, const DirectionalLight& dirL,
                         const PointLight& pointL, glm::mat4 projection) {
    shader->use();
    shader->setUniform("viewProjMatrix", projection * sceneCamera->getViewMatrix());
    shader->setUniform("camera_world", sceneCamera->getPosition());
    shader->setUniform("dirL.color", dirL.color);
    shader->setUniform("dirL.direction", dirL.direction);
    shader->setUniform("pointL.color", pointL.color);
    shader->setUniform("pointL.position", pointL.position);
    shader->setUniform("pointL.attenuation", pointL.attenuation);
}
