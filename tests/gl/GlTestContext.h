#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <thread>

// A hidden window with an OpenGL 4.3 core debug context, current for the whole test program.
// Tests on the real driver derive their fixture from GlTest.
class GlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureContext(); }
    void SetUp() override {
        ASSERT_NE(window(), nullptr) << "no OpenGL 4.3 context (is DISPLAY set to an Xvfb?)";
        glfwMakeContextCurrent(window());
        // Start every test from the same state, whatever the last one left.
        glUseProgram(0);
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, 0);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    static GLFWwindow*& window() {
        static GLFWwindow* w = nullptr;
        return w;
    }

    static void ensureContext() {
        if (window() != nullptr) return;
        glfwSetErrorCallback([](int code, const char* description) {
            std::cerr << "GLFW error " << code << ": " << description << std::endl;
        });
        // CTest runs several test processes against one Xvfb at once; under that load a
        // context request is occasionally refused, so try a few times before giving up.
        for (int attempt = 0; attempt < 5 && window() == nullptr; ++attempt) {
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (!glfwInit()) continue;
            glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
            glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
            glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
            glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
            glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
            window() = glfwCreateWindow(64, 64, "tessel-gl-test", nullptr, nullptr);
        }
        if (window() == nullptr) return;
        glfwMakeContextCurrent(window());
        glewExperimental = GL_TRUE;
        if (glewInit() != GLEW_OK) {
            glfwDestroyWindow(window());
            window() = nullptr;
        }
        // GLEW's loader can raise a harmless GL_INVALID_ENUM on core contexts.
        while (glGetError() != GL_NO_ERROR) {
        }
    }
};
