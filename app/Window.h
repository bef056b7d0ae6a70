#pragma once

#include <string>

struct GLFWwindow;
struct GameSession;
struct Settings;
class FrameObserver;

// The game's one window and the window system around it: opening it, full screen and back, the
// framebuffer's size, the input focus and the wait while the game rests in the background.

// A set-up failure of the window system, the window, the loader or the framework: nothing
// else is released, the console waits for Enter (unless input is closed) and the exit code is 1.
[[noreturn]] void failStartUp(const std::string& message);

// The window system's clock: seconds since it started.
double readClockSeconds();

// Starts the window system and opens the window the settings ask for (full screen on the
// primary monitor, or a window of their size) with a current OpenGL 4.3 core context. A failure
// ends the process.
GLFWwindow* openWindow(const Settings& settings);

// The session whose window this is (the window's user pointer, set by trackFramebufferSize).
GameSession& sessionOf(GLFWwindow* window);

// Makes `session` its window's user pointer and keeps its windowFramebuffer at the window's
// framebuffer size and its windowDamaged set when the window system loses the picture.
void trackFramebufferSize(GameSession& session);

// Full screen on the window's monitor at the monitor's own mode, or back to a window of the
// settings' size in the middle of that monitor, at its desktop resolution.
void toggleFullscreen(GameSession& session);

// The refresh rate of the monitor the window is on, in Hz; 0 where it is not known.
int displayRefreshRate(GLFWwindow* window);

// Whether the window has the input focus this frame, as the window system reports it unless an
// observer decides.
bool readFocus(GLFWwindow* window, FrameObserver* observer);

// Paused, without the focus and with nothing sounding, nobody plays, hears or watches: the loop
// waits for events instead of drawing, unless the window system asks for the picture again.
bool restsInBackground(const GameSession& session);

// Waits up to a tenth of a second for an event (the focus coming back, a close request). The
// clock goes on, and with it the paused countdown's time limit, so that the next frame is an
// ordinary one.
void waitInBackground(GameSession& session);
