#include "physics/Camera.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/matrix.hpp>

#include "app/GameState.h"

Camera camera;

void Camera::updateVectors() {
    const float p = pitch * degreesToRadians;
    front = glm::normalize(glm::vec3(std::cos((yaw + 90.0f) * degreesToRadians) * std::cos(p),
                                     std::sin(p),
                                     std::sin((-yaw - 90.0f) * degreesToRadians) * std::cos(p)));
    right = glm::normalize(glm::cross(front, worldUp));
    up = glm::normalize(glm::cross(right, front));
}

void Camera::update(const glm::vec3& target, float yawDegrees, float pitchDegrees, int cursorX,
                    int cursorY, float moveForward, float moveRight, float frameTime) {
    const glm::mat4 identity(1.0f);
    if (!freeFly) {
        yaw = yawDegrees;
        pitch = pitchDegrees;
        updateVectors();
        const float p = pitch * degreesToRadians;
        const float y = yaw * degreesToRadians;
        orbitDirection = glm::normalize(
            glm::vec3(std::sin(y) * std::cos(p), -std::sin(p), std::cos(y) * std::cos(p)));
        position = target + orbitDirection * distance;
        viewMatrix = glm::inverse(glm::translate(identity, position) *
                                  glm::rotate(identity, y, glm::vec3(0.0f, 1.0f, 0.0f)) *
                                  glm::rotate(identity, p, glm::vec3(1.0f, 0.0f, 0.0f)));
    } else {
        // Integer halving rounds toward zero, so a one-pixel twitch does not turn the camera.
        yaw += static_cast<float>(-((cursorX - lastCursorX) / 2));
        pitch += static_cast<float>(-((cursorY - lastCursorY) / 2));
        updateVectors();
        position += front * moveForward * 240.0f * frameTime;
        position += right * moveRight * 240.0f * frameTime;
        viewMatrix = glm::inverse(
            glm::translate(identity, position) *
            glm::rotate(identity, yaw * degreesToRadians, glm::vec3(0.0f, 1.0f, 0.0f)) *
            glm::rotate(identity, pitch * degreesToRadians, glm::vec3(1.0f, 0.0f, 0.0f)));
    }
    lastCursorX = cursorX;
    lastCursorY = cursorY;
}

void Camera::zoom(float delta) {
    distance += delta;
    if (distance < 5.0f) distance = 5.0f;
    if (distance > 50.0f) distance = 50.0f;
}
