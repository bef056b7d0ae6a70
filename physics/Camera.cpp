#include "physics/Camera.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/matrix.hpp>

#include "app/GameState.h"

Camera camera;

namespace {
// Half of `travel` plus the pixel carried from before, rounded toward zero; what is left over
// (-1, 0 or 1 pixel) is carried again.
int wholeHalfTurn(int travel, int& carriedPixel) {
    const long long total = static_cast<long long>(travel) + carriedPixel;
    const long long half = total / 2;
    carriedPixel = static_cast<int>(total - 2 * half);
    return static_cast<int>(half);
}
}  // namespace

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
        pendingPixelX = 0;
        pendingPixelY = 0;
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
        // Half a degree per pixel, in whole degrees: the odd pixel is carried to the next frame,
        // so the same mouse travel turns the camera as far at any frame rate (a lone one-pixel
        // twitch still turns nothing).
        yaw -= static_cast<float>(wholeHalfTurn(cursorX - lastCursorX, pendingPixelX));
        pitch -= static_cast<float>(wholeHalfTurn(cursorY - lastCursorY, pendingPixelY));
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
