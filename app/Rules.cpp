#include "app/Rules.h"

#include <algorithm>
#include <cstdio>

#include "effects/Text.h"
#include "render/Shader.h"

Countdown runCountdown(GameState& state, double now, double startTime) {
    if (state.paused) state.timeLimit += state.frameTime;

    Countdown countdown;
    countdown.timeLeft = static_cast<float>(state.timeLimit - (now - startTime));
    countdown.minutes = static_cast<int>(countdown.timeLeft) / 60;
    countdown.seconds = static_cast<int>(countdown.timeLeft - countdown.minutes * 60.0f);
    if (countdown.timeLeft < 0.0f) state.gameOver = true;
    return countdown;
}

void startNewRound(GameState& state) {
    const GameState start;
    state.timeLimit = start.timeLimit;
    state.gameOver = false;
    state.paused = false;
    state.driveSpeed = 0.0f;
    state.robotHeading = 0.0f;
    state.orbitYaw = 0.0f;
    state.orbitPitch = 0.0f;
    state.flyForward = 0.0f;
    state.flyStrafe = 0.0f;
    state.robotPosition = start.robotPosition;
    state.firstRound = false;
    state.roundTime = start.roundTime;
}

float playedTime(const Countdown& countdown) {
    return GameState{}.timeLimit - countdown.timeLeft;
}

void recordWin(GameState& state, const Countdown& countdown, bool won) {
    // The last tile can fall in the frame after the countdown ran out, before the robot is
    // parked: that round was lost.
    if (!won || state.gameOver || state.roundTime >= 0.0f) return;
    state.roundTime = std::max(0.0f, playedTime(countdown));
    if (state.bestTime < 0.0f || state.roundTime < state.bestTime) state.bestTime = state.roundTime;
}

std::string clockText(float seconds) {
    const int whole = static_cast<int>(seconds);
    const int rest = whole % 60;
    return std::to_string(whole / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

std::string timeLeftText(const Countdown& countdown) {
    const char* separator = countdown.seconds < 10 ? ":0" : ":";
    return "Time left: 0" + std::to_string(countdown.minutes) + separator +
           std::to_string(countdown.seconds);
}

namespace {
const glm::vec3 red(1.0f, 0.0f, 0.0f);
const glm::vec3 black(0.0f, 0.0f, 0.0f);
const glm::vec3 blue(0.0f, 0.0f, 1.0f);
const glm::vec3 yellow(1.0f, 0.9f, 0.1f);

// The first of won, paused, time left and game over that applies; false when none does
// (exactly zero seconds left).
bool statusLine(const GameState& state, const Countdown& countdown, bool won, int windowHeight,
                HudLine& line) {
    const float top = static_cast<float>(windowHeight - 50);
    const float middle = static_cast<float>(windowHeight / 2);
    if (won) {
        line = {"YOU WON!", 50.0f, middle, 2.5f, blue, false, HudAnchor::Middle};
    } else if (state.paused) {
        line = {"- PAUSED -", 20.0f, top, 1.0f, red, false, HudAnchor::TopLeft};
    } else if (countdown.timeLeft > 0.0f) {
        // The last ten seconds turn red.
        const bool finalSeconds = countdown.seconds < 10 && countdown.minutes <= 0;
        line = {timeLeftText(countdown), 20.0f, top, 1.0f, finalSeconds ? red : black, false,
                HudAnchor::TopLeft};
    } else if (state.gameOver) {
        line = {"GAME OVER!", 50.0f, middle, 2.5f, red, false, HudAnchor::Middle};
    } else {
        return false;
    }
    return true;
}

// Light text over a dark shadow `offset` pixels right and down.
void addShadowed(std::vector<HudLine>& lines, const std::string& text, float x, float y,
                 float scale, float offset, HudAnchor anchor) {
    lines.push_back({text, x + offset, y - offset, scale, black, false, anchor});
    lines.push_back({text, x, y, scale, yellow, false, anchor});
}

// Every action with its keys in two columns, then the mouse, from `top` down.
void addControlsPanel(std::vector<HudLine>& lines, const KeyLabels& keys,
                      const std::string& renderResolution, float top) {
    constexpr float scale = 0.5f;
    constexpr float rowHeight = 26.0f;
    constexpr float labelX = 20.0f;
    constexpr float keysX = 220.0f;
    float y = top;
    const auto row = [&](const std::string& label, const std::string& input) {
        addShadowed(lines, label, labelX, y, scale, 1.0f, HudAnchor::TopLeft);
        addShadowed(lines, input, keysX, y, scale, 1.0f, HudAnchor::TopLeft);
        y -= rowHeight;
    };
    for (int action = 0; action < actionCount; ++action) {
        row(actionLabel(static_cast<Action>(action)), keys.all(static_cast<Action>(action)));
    }
    row("Orbit the camera", "left mouse button + drag");
    row("Zoom", "scroll wheel");
    if (!renderResolution.empty()) row("Render resolution", renderResolution);
}
}  // namespace

std::vector<HudLine> hudLines(const GameState& state, const Countdown& countdown, bool won,
                              int windowWidth, int windowHeight, const KeyLabels& keys,
                              const std::string& renderResolution) {
    std::vector<HudLine> lines;
    lines.reserve(state.controlsVisible ? 70 : 10);
    HudLine status;
    if (statusLine(state, countdown, won, windowHeight, status)) lines.push_back(status);
    const bool ended = roundEnded(won, state);
    if (ended) {
        const float y = static_cast<float>(windowHeight / 2 - 45);
        const std::string padButton = state.gamepadConnected ? " or A" : "";
        addShadowed(lines, "Press " + keys.first(Action::Restart) + padButton + " to play again",
                    50.0f, y, 1.0f, 2.0f, HudAnchor::Middle);
        if (won && state.roundTime >= 0.0f) {
            addShadowed(
                lines,
                "Time: " + clockText(state.roundTime) + "   Best: " + clockText(state.bestTime),
                50.0f, y - 45.0f, 1.0f, 2.0f, HudAnchor::Middle);
        }
    }
    const float underStatus = static_cast<float>(windowHeight - 80);
    // The panel would lie over the end text at any window size: it waits for the next round.
    if (state.controlsVisible && !ended) {
        addControlsPanel(lines, keys, renderResolution, underStatus - 20.0f);
    } else if (state.firstRound && !ended && playedTime(countdown) < controlsHintSeconds) {
        addShadowed(lines, "Press " + keys.first(Action::Controls) + " for the controls", 20.0f,
                    underStatus, 0.5f, 1.0f, HudAnchor::TopLeft);
    }

    lines.push_back(
        {"FPS:" + std::to_string(state.framesPerSecond), 10.0f, 39.0f, 0.5f, red, false});
    lines.push_back({std::to_string(state.frameNumber), 10.0f, 10.0f, 0.5f, red, false});

    char speed[64];
    std::snprintf(speed, sizeof speed, "%f", static_cast<double>(state.driveSpeed));
    lines.push_back(
        {speed, static_cast<float>(windowWidth), 10.0f, 1.0f, red, true, HudAnchor::BottomRight});
    return lines;
}

void fitHudToView(std::vector<HudLine>& lines, int layoutWidth, int layoutHeight, int viewWidth,
                  int viewHeight) {
    if (layoutWidth == viewWidth && layoutHeight == viewHeight) return;
    if (layoutHeight <= 0 || viewHeight <= 0) return;
    const float factor = static_cast<float>(viewHeight) / static_cast<float>(layoutHeight);
    const float layoutW = static_cast<float>(layoutWidth);
    const float layoutH = static_cast<float>(layoutHeight);
    const float viewW = static_cast<float>(viewWidth);
    const float viewH = static_cast<float>(viewHeight);
    for (HudLine& line : lines) {
        // The anchor's point in the layout and in the view; the offset from it scales.
        float fromX = 0.0f;
        float fromY = 0.0f;
        float toX = 0.0f;
        float toY = 0.0f;
        switch (line.anchor) {
            case HudAnchor::BottomLeft:
                break;
            case HudAnchor::TopLeft:
                fromY = layoutH;
                toY = viewH;
                break;
            case HudAnchor::Middle:
                fromX = layoutW / 2.0f;
                fromY = layoutH / 2.0f;
                toX = viewW / 2.0f;
                toY = viewH / 2.0f;
                break;
            case HudAnchor::BottomRight:
                fromX = layoutW;
                toX = viewW;
                break;
        }
        line.x = toX + (line.x - fromX) * factor;
        line.y = toY + (line.y - fromY) * factor;
        line.scale *= factor;
    }
}

void drawHud(Shader& textShader, const std::vector<HudLine>& lines) {
    textShader.use();
    for (const HudLine& line : lines) {
        queueText(line.text, line.x, line.y, line.scale, line.colour, line.rightAligned);
    }
    drawQueuedText(textShader);
    Shader::unuse();
}
