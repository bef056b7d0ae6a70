#pragma once

#include <glm/vec3.hpp>
#include <string>
#include <vector>

#include "app/GameState.h"
#include "app/Keys.h"

class Shader;

// The countdown of one frame: what is left of the time limit, split for the status line.
struct Countdown {
    float timeLeft = 0.0f;  // seconds, negative once the time has run out
    int minutes = 0;
    int seconds = 0;
};

// Runs the countdown for the frame whose clock reading is `now` (seconds, as the frame clock
// keeps them). While paused the time limit grows by the frame time, so the countdown stands
// still. Sets `gameOver` (never clears it) once the time left drops below zero.
Countdown runCountdown(GameState& state, double now, double startTime);

// The round is won when neither grass field has a tile left in this frame.
inline bool roundWon(bool arenaFieldCleared, bool plateauFieldCleared) {
    return arenaFieldCleared && plateauFieldCleared;
}

// Won or lost: the robot is parked, the camera looks down and the smoke stops.
inline bool roundEnded(bool won, const GameState& state) {
    return won || state.gameOver;
}

// The rules' side of a new round: the full time limit, not over, not paused, the robot at rest
// facing heading 0 with the orbit behind it, no longer the first round, not won. What the player
// chose to see (wireframe, culling, HUD, the controls), the clock, the frame counts and the best
// time go on as they were.
void startNewRound(GameState& state);

// Seconds of the round played so far: the countdown's full length less the time left, so that
// paused time does not count.
float playedTime(const Countdown& countdown);

// In the first frame that finds the round won before the countdown ran out (gameOver not set),
// keeps the time it took as `roundTime` and the shortest such time of the sitting as `bestTime`.
void recordWin(GameState& state, const Countdown& countdown, bool won);

// Whole minutes and seconds, "2:03" for 123.9 s.
std::string clockText(float seconds);

// The corner (or the middle) of the window a line of heads-up text keeps its distance to when the
// window is larger than the layout.
enum class HudAnchor { BottomLeft, TopLeft, Middle, BottomRight };

// One line of heads-up text in window pixels (origin bottom-left).
struct HudLine {
    std::string text;
    float x = 0.0f;
    float y = 0.0f;
    float scale = 1.0f;
    glm::vec3 colour{0.0f};
    bool rightAligned = false;  // ends at x instead of starting there
    HudAnchor anchor = HudAnchor::BottomLeft;
};

// "Time left: 03:05" for 185.4 s.
std::string timeLeftText(const Countdown& countdown);

// How long the first round tells the player which key shows the controls.
constexpr float controlsHintSeconds = 10.0f;

// The heads-up lines of one frame, in drawing order: the status line (if any); once the round
// has ended the invitation to play again, naming A too while a gamepad is connected, and once it
// is won its time and the best time (each a dark shadow, then the text over it, so that it reads
// on the white sky and on the arena alike); in the first seconds of the first round the hint for
// the controls, or the controls panel while it is shown and the round goes on (once it has ended,
// the end text has the middle of the window); the frames per second, the frame number and the
// speed read-out at the right edge. Keys are named as in `keys`; the panel ends with the render
// resolution where one is given.
std::vector<HudLine> hudLines(const GameState& state, const Countdown& countdown, bool won,
                              int windowWidth, int windowHeight,
                              const KeyLabels& keys = defaultKeyLabels(),
                              const std::string& renderResolution = "");

// Fits lines laid out for a window of `layoutWidth` x `layoutHeight` to a view of `viewWidth` x
// `viewHeight` (full screen on a screen of another size): every position and size scaled by one
// factor, the view's height over the layout's, each line keeping its place relative to its
// anchor. Lines for a view of the layout's own size are left exactly as they are.
void fitHudToView(std::vector<HudLine>& lines, int layoutWidth, int layoutHeight, int viewWidth,
                  int viewHeight);

// Draws the lines with the text shader, all in one draw call, leaving no program current
// afterwards.
void drawHud(Shader& textShader, const std::vector<HudLine>& lines);
