#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// The robot's motion, every frame that is not paused: driveRobot turns the keys' speed and the
// heading into a controller move, placeRobot hands out where the robot's pieces are drawn.

// Roll angle of the wheels, handed to their rotation as radians.
extern float wheelAngle;

// The drive speed after one frame of `dt` seconds. While W or S is held the speed is pulled back
// towards the band between -5 and 5, harder the further out it is; the keys themselves add
// their 3.5 per second elsewhere, so holding one settles at 20. With neither held the speed
// decays by the factor (1 - dt), which stops at 0 for frames longer than a second.
float nextDriveSpeed(float speed, float dt, bool forwardHeld, bool backwardHeld);

// Rotation by the heading (degrees) about +y; its third column is the direction of travel for
// a positive speed.
glm::mat4 headingRotation(float headingDegrees);

// The controller's displacement for one frame: along the heading by speed * dt, and down by
// the fall speed.
glm::vec3 robotDisplacement(float headingDegrees, float speed, float dt);

// The wheel angle after one frame: rolled by half the distance driven, kept within [0, 2 pi)
// by whole turns.
float nextWheelAngle(float angle, float dt, float speed);

// What obstacles did to one frame's drive: how much of the travel along the robot's direction
// of travel they took (walls, edges, the ball; climbing takes none), over how long a drive.
struct DriveResult {
    float blockedDistance = 0.0f;
    float seconds = 0.0f;
};

// The part of `blocked` that runs along the horizontal direction of `displacement`; none when
// the robot is not travelling.
float blockedAlongTravel(const glm::vec3& displacement, const glm::vec3& blocked);

// Moves the robot for one frame and turns its wheels. Uses and updates game.driveSpeed.
DriveResult driveRobot(float frameTime, bool forwardHeld, bool backwardHeld);

// Model matrices of the robot's pieces and the point light's position. The pieces are placed
// from the position of the previous frame that was not paused; the light follows the fresh one.
struct RobotPlacement {
    glm::mat4 body{1.0f};       // robotMesh1, the only body piece that is drawn
    glm::mat4 leftBase{1.0f};   // robotMesh0, carrier of the left wheel
    glm::mat4 rightBase{1.0f};  // robotMesh2, carrier of the right wheel
    glm::mat4 leftWheel{1.0f};
    glm::mat4 rightWheel{1.0f};
    glm::vec3 lightPosition{0.0f};
};

// The pieces for a robot last seen at `position`, turned by `rotation`, with the body lowered by
// `jitter` (the idle shake) and the wheels rolled by `wheelAngleRadians`.
RobotPlacement robotPieces(const glm::vec3& position, const glm::mat4& rotation, float jitter,
                           float wheelAngleRadians);

// Places the pieces from game.robotPosition, then reads the controller's fresh position into
// game.robotPosition and puts the light 5 above it.
RobotPlacement placeRobot();

// Hangs the robot up out of play once the game has ended.
void parkRobot();
