#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

class Shader;
class Camera;

// Parallel rays, sent as "dirL.color" and "dirL.direction".
struct DirectionalLight {
    bool enabled = false;
    glm::vec3 color{0.0f};
    glm::vec3 direction{0.0f, -1.0f, 0.0f};  // the way the rays travel, in world space
};

// A light at a point, sent as "pointL.color", "pointL.position" and "pointL.attenuation".
struct PointLight {
    bool enabled = false;
    glm::vec3 color{0.0f};
    glm::vec3 position{0.0f};
    glm::vec3 attenuation{1.0f, 0.0f, 0.0f};  // constant, linear, quadratic
};

// The scene's two lights for a "brightness" setting: a white sun shining down and towards
// -z, and a white lamp that follows the robot (it starts at the origin).
DirectionalLight makeSunLight(float brightness);
PointLight makeRobotLamp(float brightness);

// Sends the frame's camera and lights to the scene program, leaving it current:
// "viewProjMatrix" = projection x view, "camera_world", and the two lights.
void setPerFrameUniforms(Shader* shader, const Camera* sceneCamera, const DirectionalLight& dirL,
                         const PointLight& pointL, glm::mat4 projection);
