#pragma once

#include "app/GameState.h"
#include "app/Gamepad.h"
#include "app/Keys.h"

// The input rules of the frame loop as pure functions over GameState. The GLFW callbacks and
// the frame loop call them and carry out any OpenGL or window work that they ask for.

// GLFW's action codes.
constexpr int actionRelease = 0;
constexpr int actionPress = 1;

// What a key release asks of the window, the driver or the camera after the state changed.
enum class KeyEffect {
    None,
    CloseWindow,       // Escape
    ApplyPolygonMode,  // F1: lines when wireframeMode is on, filled otherwise
    ApplyFaceCulling,  // F2: culling on when cullingEnabled, off otherwise
    ToggleHud,         // F3: nothing outside GameState
    ToggleFreeFly,     // F4: the camera's free-fly flag flips together with the pause
    RestartRound,      // R: a new round (restartRound); nothing changes here
    ToggleMute,        // M: nothing outside GameState; the sound follows `muted`
    ToggleControls,    // H: nothing outside GameState; the HUD shows the panel
    ToggleFullscreen,  // F11: the window goes full screen, or back
};

// Acts only on releases, of a key bound to an action in `keys`: presses and repeats change
// nothing and return None.
KeyEffect handleKey(GameState& state, int key, int action, const KeyBindings& keys);

// What an action's key does when it is released. The driving keys do nothing here: they are
// polled.
KeyEffect handleAction(GameState& state, Action action);

// Only the left button (0) counts: press holds it, release lets go, repeat changes nothing.
void handleMouseButton(GameState& state, int button, int action);

// The camera distance change for one scroll step (up zooms in).
inline float scrollZoomDelta(double yOffset) {
    return -0.5f * static_cast<float>(yOffset);
}

// A coordinate of the captured cursor as the frame loop keeps it. The captured cursor is
// virtual and unbounded; it is clamped to a range in which the difference of two positions
// still fits an int before it is truncated (NaN counts as 0).
int cursorCoordinate(double position);

// Turns this frame's cursor position into orbit offsets. While the left button is held the
// yaw follows the horizontal travel and the pitch the vertical travel, by a fixed angle per
// pixel at any frame rate; a gamepad's right stick turns them too, by an angle per second in
// proportion to its travel. When neither the button is held nor the stick pushed both offsets
// return to 0. The pitch stays within [-45, 15]. The cursor position is remembered for the next
// frame in any case.
void updateOrbit(GameState& state, int cursorX, int cursorY);

// The key read at the end of a frame: records which of W, A, S, D are held and applies them
// over `dt` seconds. Driving and turning stand still while paused; the free-fly inputs do not,
// and they are the same whatever `dt` is (the camera scales them by its frame time).
void applyDriveKeys(GameState& state, bool w, bool a, bool s, bool d, float dt);

// The gamepad's part of the key read, after applyDriveKeys: the triggers drive and the left stick
// turns, in proportion, up to the rates of W, S, A and D, and count as W and S held while pressed;
// while paused the left stick flies the camera on the axes that no key flies already. The right
// stick is kept for the next orbit update.
void applyGamepad(GameState& state, const GamepadInput& input, float dt);

// Whether A released on a gamepad starts a new round: only once the round has ended or while the
// game is paused. A is the button a driving player reaches for first; R on the keyboard
// restarts at any time.
inline bool gamepadRestarts(const GameState& state, bool roundEnded) {
    return roundEnded || state.paused;
}

// Whether the window's focus, read once a frame, pauses the game: when it had the focus at the
// last read and has lost it now, in a round being played and not paused.
inline bool pausesOnFocusLoss(const GameState& state, bool roundEnded, bool hadFocus,
                              bool hasFocus) {
    return hadFocus && !hasFocus && !state.paused && !roundEnded;
}

// The frame clock: the time of the previous reading and the current frames-per-second interval.
// Readings are seconds in double precision, so that a frame time is as exact after a day with the
// game open as in its first minute; only the frame time itself is narrowed to single precision.
struct FrameClock {
    double previousTime = 0.0;
    double intervalStart = 0.0;
    int framesInInterval = 0;
};

// Starts the clock at `now`: frame time 0, an empty first frames-per-second interval.
void startClock(FrameClock& clock, GameState& state, double now);
// Reads the clock once per frame: frameTime becomes the time since the previous reading.
void readClock(FrameClock& clock, GameState& state, double now);
// Counts one finished frame; once a full second has passed since the interval began, the count
// becomes framesPerSecond and a new interval starts at `now`.
void countFrame(FrameClock& clock, GameState& state, double now);
