#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// The one camera. In orbit mode it circles a target at `distance`, with the yaw and pitch the
// frame loop hands it; in free-fly mode (while paused) it turns with the cursor and flies
// with the W/A/S/D inputs. Angles are kept in degrees.
class Camera {
public:
    void update(const glm::vec3& target, float yawDegrees, float pitchDegrees, int cursorX,
                int cursorY, float moveForward, float moveRight, float frameTime);
    // Changes the orbit distance and keeps it within [5, 50].
    void zoom(float delta);

    glm::vec3 getPosition() const { return position; }
    glm::mat4 getViewMatrix() const { return viewMatrix; }

    float yaw = 0.0f;
    float pitch = 0.0f;
    int lastCursorY = 0;
    int lastCursorX = 0;
    // Free flight turns by whole degrees; the odd pixel of each axis waits here for the next.
    int pendingPixelX = 0;
    int pendingPixelY = 0;
    glm::vec3 front{0.0f};
    glm::vec3 up{0.0f};
    glm::vec3 right{0.0f};
    glm::vec3 worldUp{0.0f, 1.0f, 0.0f};
    glm::mat4 viewMatrix{1.0f};
    glm::vec3 position{0.0f};
    glm::vec3 orbitDirection{0.0f, 1.0f, 1.0f};
    float distance = 20.0f;
    bool freeFly = false;

private:
    void updateVectors();
};

extern Camera camera;
