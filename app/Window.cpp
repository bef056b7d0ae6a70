#include "app/Window.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <iostream>
#include <vector>

#include "app/Fatal.h"
#include "app/Game.h"
#include "app/GameState.h"
#include "app/Input.h"
#include "app/Rules.h"
#include "app/Settings.h"
#include "app/WindowMode.h"
#include "effects/Sound.h"

namespace {

void glfwErrorCallback(int code, const char* description) {
    std::cout << "GLFW error " << code << ": " << (description ? description : "") << std::endl;
}

ScreenRect monitorRect(GLFWmonitor* monitor) {
    ScreenRect rect;
    glfwGetMonitorPos(monitor, &rect.x, &rect.y);
    if (const GLFWvidmode* mode = glfwGetVideoMode(monitor)) {
        rect.width = mode->width;
        rect.height = mode->height;
    }
    return rect;
}

// The monitor the window is on, or the primary one.
GLFWmonitor* monitorUnder(const ScreenRect& window) {
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    std::vector<ScreenRect> rects;
    for (int i = 0; i < count; ++i) rects.push_back(monitorRect(monitors[i]));
    const int holding = monitorHolding(rects, window);
    return holding >= 0 ? monitors[holding] : glfwGetPrimaryMonitor();
}

// The monitor the window is on (the one it fills when full screen), or the primary one.
GLFWmonitor* monitorOf(GLFWwindow* window) {
    if (GLFWmonitor* fullscreenOn = glfwGetWindowMonitor(window)) return fullscreenOn;
    ScreenRect place;
    glfwGetWindowPos(window, &place.x, &place.y);
    glfwGetWindowSize(window, &place.width, &place.height);
    return monitorUnder(place);
}

// Full screen on the window's monitor at the monitor's own mode: no mode switch happens, and
// the scene is drawn for the screen's own size and shape.
void goFullscreen(GameSession& s) {
    GLFWmonitor* monitor = monitorOf(s.window);
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (mode == nullptr) return;
    glfwSetWindowMonitor(s.window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}

// Back to a window of the settings' size. A game that started full screen may have switched the
// monitor to another mode, which leaving gives back; only then is the desktop's middle known.
void leaveFullscreen(GameSession& s, GLFWmonitor* monitor) {
    glfwSetWindowMonitor(s.window, nullptr, 0, 0, s.settings.width, s.settings.height,
                         GLFW_DONT_CARE);
    const ScreenRect place = centredOn(monitorRect(monitor), s.settings.width, s.settings.height);
    glfwSetWindowPos(s.window, place.x, place.y);
}

// The callbacks run inside glfwPollEvents on the main thread.
void framebufferSizeCallback(GLFWwindow* window, int width, int height) {
    sessionOf(window).windowFramebuffer = {width, height};
}

// The window system lost what the window showed (it was uncovered, for one).
void windowRefreshCallback(GLFWwindow* window) {
    sessionOf(window).windowDamaged = true;
}

}  // namespace

[[noreturn]] void failStartUp(const std::string& message) {
    glfwTerminate();
    fatalStop("ERROR: " + message);
}

double readClockSeconds() {
    return glfwGetTime();
}

GLFWwindow* openWindow(const Settings& settings) {
    glfwSetErrorCallback(glfwErrorCallback);
    if (!glfwInit()) failStartUp("Failed to init GLFW");

    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_REFRESH_RATE, settings.refreshRate);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_SAMPLES, 4);

    GLFWmonitor* monitor = settings.fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    GLFWwindow* window =
        glfwCreateWindow(settings.width, settings.height, settings.title.c_str(), monitor, nullptr);
    if (window == nullptr) failStartUp("Failed to create window");
    glfwMakeContextCurrent(window);
    // Set either way when the settings say: some drivers wait for the display unless told not to.
    if (settings.vsync) glfwSwapInterval(*settings.vsync ? 1 : 0);
    return window;
}

GameSession& sessionOf(GLFWwindow* window) {
    return *static_cast<GameSession*>(glfwGetWindowUserPointer(window));
}

void trackFramebufferSize(GameSession& session) {
    glfwGetFramebufferSize(session.window, &session.windowFramebuffer.width,
                           &session.windowFramebuffer.height);
    glfwSetWindowUserPointer(session.window, &session);
    glfwSetFramebufferSizeCallback(session.window, framebufferSizeCallback);
    glfwSetWindowRefreshCallback(session.window, windowRefreshCallback);
}

void toggleFullscreen(GameSession& s) {
    if (GLFWmonitor* monitor = glfwGetWindowMonitor(s.window)) {
        leaveFullscreen(s, monitor);
    } else {
        goFullscreen(s);
    }
    // Without a window manager the new size holds at once, and the next frame fills it; with one
    // the framebuffer size callback follows.
    glfwGetFramebufferSize(s.window, &s.windowFramebuffer.width, &s.windowFramebuffer.height);
}

int displayRefreshRate(GLFWwindow* window) {
    GLFWmonitor* monitor = monitorOf(window);
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    return mode ? mode->refreshRate : 0;
}

// The focus is read once a frame, after the events: a window system may take it away and give
// it back within one round of events (X does so around a new window), which is no loss.
bool readFocus(GLFWwindow* window, FrameObserver* observer) {
    const bool reported = glfwGetWindowAttrib(window, GLFW_FOCUSED) == GLFW_TRUE;
    return observer ? observer->hasFocus(reported) : reported;
}

bool restsInBackground(const GameSession& s) {
    return game.paused && !s.hadFocus && !s.windowDamaged &&
           glfwGetWindowAttrib(s.window, GLFW_FOCUSED) != GLFW_TRUE && s.sound->isQuiet();
}

void waitInBackground(GameSession& s) {
    glfwWaitEventsTimeout(0.1);
    const double now = readClockSeconds();
    readClock(s.clock, game, now);
    runCountdown(game, now, s.startTime);
}
