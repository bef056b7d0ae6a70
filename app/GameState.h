#pragma once

#include <glm/vec3.hpp>

// Fixed tuning values shared by the frame loop, the robot and the physics step.
constexpr float physicsStep = 1.0f / 60.0f;  // seconds handed to every physics step
constexpr float fallSpeed = 9.8f;            // downward speed of the robot controller
constexpr float turnRate = 135.0f;           // degrees per second for A/D
constexpr float driveAcceleration = 3.5f;    // speed change per second for W/S
constexpr float degreesToRadians = 0.017453292f;

// Program-wide game state: what the input callbacks, the frame loop, the robot, the camera
// and the rules share. The one instance is `game`; the rules themselves are pure functions
// that take the parts they need as arguments, so tests build their own GameState.
struct GameState {
    // Toggles, flipped on key release (F1 to F4, M, H).
    bool wireframeMode = false;
    bool cullingEnabled = true;
    bool hudVisible = true;
    bool paused = false;
    bool muted = false;
    bool controlsVisible = false;  // the panel of the keys over the game

    // Mouse orbit.
    bool leftButtonHeld = false;
    float orbitYaw = 0.0f;    // degrees
    float orbitPitch = 0.0f;  // degrees, kept within [-45, 15]
    int lastCursorX = 0;
    int lastCursorY = 0;
    // A gamepad's right stick at the last read, -1 to 1 (0 at rest): it orbits as a drag does.
    float orbitStickX = 0.0f;
    float orbitStickY = 0.0f;
    // Whether a gamepad is followed: the end view then offers its A beside R.
    bool gamepadConnected = false;

    // Keys held at the last key read (end of the previous frame).
    bool forwardHeld = false;   // W
    bool leftHeld = false;      // A
    bool backwardHeld = false;  // S
    bool rightHeld = false;     // D

    // Driving and free-fly inputs.
    float driveSpeed = 0.0f;    // negative drives forwards (W)
    float robotHeading = 0.0f;  // degrees about +y
    float flyForward = 0.0f;
    float flyStrafe = 0.0f;

    // Clock.
    float frameTime = 0.0f;  // seconds between the last two clock readings
    int frameNumber = 0;
    int framesPerSecond = 0;

    // Rules.
    float timeLimit = 240.0f;  // grows while paused
    bool gameOver = false;
    // Rounds of this sitting, kept in memory only.
    bool firstRound = true;
    float roundTime = -1.0f;  // seconds played when this round was won; negative until then
    float bestTime = -1.0f;   // the shortest won round so far; negative before the first win

    // The robot controller's position, read back every frame that is not paused.
    glm::vec3 robotPosition{0.0f};
};

extern GameState game;
