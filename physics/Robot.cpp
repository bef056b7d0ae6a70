#include "physics/Robot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/vec2.hpp>

#include "app/GameState.h"
#include "physics/PhysicsWorld.h"

float wheelAngle = 0.0f;

namespace {

// The smallest sideways move the controller bothers with.
constexpr float minimumMoveDistance = 0.01f;
const glm::vec3 parkingPosition(-25.0f, 100.0f, 0.0f);

// Shared by driveRobot and placeRobot in the same frame.
glm::mat4 currentHeadingRotation(1.0f);

}  // namespace

float nextDriveSpeed(float speed, float dt, bool forwardHeld, bool backwardHeld) {
    // A frame longer than a second (a stall) stops the robot rather than turning it round.
    if (!forwardHeld && !backwardHeld) return speed * std::max(0.0f, 1.0f - dt);
    // Each rung tests the value that the rung before it left; every test is strict.
    if (speed > 25.0f) speed -= 4.0f * dt;
    if (speed < -25.0f) speed += 4.0f * dt;
    if (speed > 20.0f) speed -= 3.0f * dt;
    if (speed < -20.0f) speed += 3.0f * dt;
    if (speed > 10.0f) speed -= 2.0f * dt;
    if (speed < -10.0f) speed += 2.0f * dt;
    if (speed > 5.0f) speed -= dt;
    if (speed < -5.0f) speed += dt;
    return speed;
}

glm::mat4 headingRotation(float headingDegrees) {
    return glm::rotate(glm::mat4(1.0f), headingDegrees * degreesToRadians,
                       glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::vec3 robotDisplacement(float headingDegrees, float speed, float dt) {
    const glm::vec4 axis = headingRotation(headingDegrees)[2];
    return {axis.x * speed * dt, -fallSpeed * dt, axis.z * speed * dt};
}

float nextWheelAngle(float angle, float dt, float speed) {
    // The angle is radians, so it wraps by whole turns: the wheels never jump within a frame.
    constexpr double fullTurn = 2.0 * 3.14159265358979323846;
    double next = std::fmod(static_cast<double>(angle) + 0.5 * (dt * speed), fullTurn);
    if (next < 0.0) next += fullTurn;
    return static_cast<float>(next);
}

float blockedAlongTravel(const glm::vec3& displacement, const glm::vec3& blocked) {
    const glm::vec2 travel(displacement.x, displacement.z);
    const float length = glm::length(travel);
    if (!(length > 0.0f)) return 0.0f;
    return std::max(0.0f, glm::dot(glm::vec2(blocked.x, blocked.z), travel) / length);
}

DriveResult driveRobot(float frameTime, bool forwardHeld, bool backwardHeld) {
    game.driveSpeed = nextDriveSpeed(game.driveSpeed, frameTime, forwardHeld, backwardHeld);
    currentHeadingRotation = headingRotation(game.robotHeading);
    const glm::vec3 d = robotDisplacement(game.robotHeading, game.driveSpeed, frameTime);
    DriveResult result;
    result.seconds = frameTime;
    if (gController != nullptr) {
        gController->move(btVector3(d.x, d.y, d.z), minimumMoveDistance, frameTime);
        const btVector3& blocked = gController->lastSidewaysMotion().blocked;
        result.blockedDistance =
            blockedAlongTravel(d, glm::vec3(blocked.x(), blocked.y(), blocked.z()));
    }
    wheelAngle = nextWheelAngle(wheelAngle, frameTime, game.driveSpeed);
    return result;
}

RobotPlacement robotPieces(const glm::vec3& position, const glm::mat4& rotation, float jitter,
                           float wheelAngleRadians) {
    RobotPlacement placement;
    const glm::vec3 base(position.x, position.y - 1.0f, position.z);
    placement.body =
        glm::translate(glm::mat4(1.0f),
                       glm::vec3(position.x, position.y - (1.0f + jitter), position.z)) *
        rotation;
    placement.leftBase = glm::translate(glm::mat4(1.0f), base) * rotation;
    placement.rightBase = placement.leftBase;
    const glm::vec3 xAxis(1.0f, 0.0f, 0.0f);
    placement.rightWheel = glm::rotate(
        glm::translate(placement.rightBase, glm::vec3(2.7f, 0.5f, 1.5f)), wheelAngleRadians, xAxis);
    placement.leftWheel = glm::rotate(
        glm::translate(placement.leftBase, glm::vec3(-2.7f, 0.5f, 1.5f)), wheelAngleRadians, xAxis);
    return placement;
}

RobotPlacement placeRobot() {
    // The idle shake of the body: 0 to 0.04995, fresh every frame.
    const float jitter = static_cast<float>(std::rand() % 1000) / 20000.0f;
    RobotPlacement placement =
        robotPieces(game.robotPosition, currentHeadingRotation, jitter, wheelAngle);
    if (gController != nullptr) {
        const btVector3 at = gController->getActor()->getWorldTransform().getOrigin();
        game.robotPosition = glm::vec3(at.x(), at.y(), at.z());
    }
    placement.lightPosition = game.robotPosition + glm::vec3(0.0f, 5.0f, 0.0f);
    return placement;
}

void parkRobot() {
    if (gController == nullptr) return;
    gController->setPosition(btVector3(parkingPosition.x, parkingPosition.y, parkingPosition.z));
}
