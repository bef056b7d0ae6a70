#include <gtest/gtest.h>

#include <glm/geometric.hpp>

#include "app/GameState.h"
#include "app/Input.h"
#include "physics/Camera.h"

TEST(Camera, ZoomStaysWithinFiveAndFifty) {
    Camera c;
    c.zoom(-20.0f);
    EXPECT_FLOAT_EQ(c.distance, 5.0f);
    c.zoom(40.0f);
    c.zoom(40.0f);
    EXPECT_FLOAT_EQ(c.distance, 50.0f);
}

TEST(Camera, PitchMinusNinetyLooksStraightDownOnTheTarget) {
    Camera c;
    const glm::vec3 target(3.0f, 1.0f, -2.0f);
    c.update(target, 0.0f, -90.0f, 0, 0, 0.0f, 0.0f, 0.016f);
    const glm::vec3 eye = c.getPosition();
    EXPECT_NEAR(eye.x, target.x, 1e-4f);
    EXPECT_NEAR(eye.y, target.y + c.distance, 1e-4f);
    EXPECT_NEAR(eye.z, target.z, 1e-4f);
}

TEST(Camera, RestViewSitsBehindAndAboveOppositeToForwardDrive) {
    // W drives the robot towards -z at heading 0; the eye must sit on the +z side, above.
    Camera c;
    c.update(glm::vec3(0.0f), 0.0f, -25.0f, 0, 0, 0.0f, 0.0f, 0.016f);
    EXPECT_GT(c.getPosition().z, 0.0f);
    EXPECT_GT(c.getPosition().y, 0.0f);
    EXPECT_NEAR(glm::length(c.front + c.orbitDirection), 0.0f, 1e-5f);
    // The view matrix maps the target in front of the eye (negative view-space z).
    const glm::vec4 inView = c.getViewMatrix() * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_LT(inView.z, 0.0f);
    EXPECT_NEAR(inView.x, 0.0f, 1e-4f);
}

TEST(Camera, FreeFlyTurnsByHalfTheCursorStepRoundedTowardZero) {
    Camera c;
    c.freeFly = true;
    c.update(glm::vec3(0.0f), 0.0f, 0.0f, -3, 0, 0.0f, 0.0f, 0.016f);
    EXPECT_FLOAT_EQ(c.yaw, 1.0f);
    c.update(glm::vec3(0.0f), 0.0f, 0.0f, 0, 0, 0.0f, 0.0f, 0.016f);
    EXPECT_FLOAT_EQ(c.yaw, 0.0f);
    c.update(glm::vec3(0.0f), 0.0f, 0.0f, 1, 0, 0.0f, 0.0f, 0.016f);
    EXPECT_FLOAT_EQ(c.yaw, 0.0f);
}

TEST(Camera, FreeFlyTurnsAsFarForTheSameMouseTravelAtAnyFrameRate) {
    // 1000 pixels to the left and 300 up over one second, the cursor read once a frame.
    const auto turnAfterOneSecond = [](int framesPerSecond) {
        Camera c;
        c.freeFly = true;
        for (int frame = 1; frame <= framesPerSecond; ++frame) {
            const double t = static_cast<double>(frame) / framesPerSecond;
            c.update(glm::vec3(0.0f), 0.0f, 0.0f, cursorCoordinate(-1000.0 * t),
                     cursorCoordinate(-300.0 * t), 0.0f, 0.0f, 1.0f / framesPerSecond);
        }
        return glm::vec2(c.yaw, c.pitch);
    };
    const glm::vec2 at60 = turnAfterOneSecond(60);
    const glm::vec2 at1000 = turnAfterOneSecond(1000);
    EXPECT_NEAR(at60.x, 500.0f, 1.0f);
    EXPECT_NEAR(at60.y, 150.0f, 1.0f);
    EXPECT_NEAR(at1000.x, at60.x, 1.0f);
    EXPECT_NEAR(at1000.y, at60.y, 1.0f);
}

TEST(Camera, AHeldFreeFlyKeyFliesEightUnitsASecondAtEveryFrameRate) {
    for (int framesPerSecond : {30, 60, 144}) {
        const float dt = 1.0f / static_cast<float>(framesPerSecond);
        Camera c;
        c.freeFly = true;  // looking along -z at yaw 0, pitch 0
        GameState state;
        state.paused = true;
        // The frame loop's order: the camera flies the inputs of the last key read.
        for (int frame = 0; frame < 2 * framesPerSecond; ++frame) {
            c.update(glm::vec3(0.0f), 0.0f, 0.0f, 0, 0, state.flyForward, state.flyStrafe, dt);
            applyDriveKeys(state, true, false, false, true, dt);  // W and D
        }
        // Two seconds held, less the first frame, which has no key read before it.
        const float expected = 8.0f * (2.0f - dt);
        EXPECT_NEAR(c.getPosition().z, -expected, 1e-3f) << framesPerSecond << " per second";
        EXPECT_NEAR(c.getPosition().x, expected, 1e-3f) << framesPerSecond << " per second";
    }
}
