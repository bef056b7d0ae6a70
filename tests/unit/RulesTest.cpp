#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/Rules.h"
#include "app/Settings.h"

namespace {
constexpr int width = 800;
constexpr int height = 600;
const glm::vec3 red(1.0f, 0.0f, 0.0f);
const glm::vec3 black(0.0f, 0.0f, 0.0f);
const glm::vec3 blue(0.0f, 0.0f, 1.0f);

// The status line, when there is one, comes before every other line.
std::optional<HudLine> statusOf(const std::vector<HudLine>& lines) {
    if (lines.empty() || lines.front().text.rfind("FPS:", 0) == 0) return std::nullopt;
    return lines.front();
}

// The lines that invite the player to another round, with the game's own keys and no pad.
std::vector<HudLine> playAgainLines(const std::vector<HudLine>& lines) {
    std::vector<HudLine> found;
    for (const HudLine& line : lines) {
        if (line.text == "Press R to play again") found.push_back(line);
    }
    return found;
}

std::optional<HudLine> statusAt(float timeLeft, bool won = false, bool paused = false,
                                bool gameOver = false) {
    GameState state;
    state.paused = paused;
    state.gameOver = gameOver;
    const float start = 1000.0f;
    const Countdown countdown = runCountdown(state, start + 240.0f - timeLeft, start);
    return statusOf(hudLines(state, countdown, won, width, height));
}

void expectLine(const std::optional<HudLine>& line, const std::string& text, float x, float y,
                float scale, glm::vec3 colour) {
    ASSERT_TRUE(line.has_value()) << "expected " << text;
    EXPECT_EQ(line->text, text);
    EXPECT_FLOAT_EQ(line->x, x);
    EXPECT_FLOAT_EQ(line->y, y);
    EXPECT_FLOAT_EQ(line->scale, scale);
    EXPECT_EQ(line->colour, colour);
    EXPECT_FALSE(line->rightAligned);
}

// Runs frames of `frameTime` from the start until the game is over or `limit` seconds have
// passed; pauses between pauseFrom and pauseUntil. Returns the clock at the end.
float playUntilOver(GameState& state, float frameTime, float pauseFrom, float pauseUntil,
                    float limit) {
    const float start = 0.0f;
    state.frameTime = frameTime;
    float now = start;
    while (!state.gameOver && now < limit) {
        now += frameTime;
        state.paused = now > pauseFrom && now <= pauseUntil;
        runCountdown(state, now, start);
    }
    return now;
}
}  // namespace

TEST(CountdownTest, SplitsTimeLeftIntoMinutesAndSeconds) {
    GameState state;
    Countdown countdown = runCountdown(state, 54.6f, 0.0f);  // 185.4 s left
    EXPECT_NEAR(countdown.timeLeft, 185.4f, 1e-3f);
    EXPECT_EQ(countdown.minutes, 3);
    EXPECT_EQ(countdown.seconds, 5);
    EXPECT_EQ(timeLeftText(countdown), "Time left: 03:05");

    countdown = runCountdown(state, 180.1f, 0.0f);  // 59.9 s left
    EXPECT_EQ(timeLeftText(countdown), "Time left: 00:59");
    EXPECT_FALSE(state.gameOver);
}

TEST(HudTest, StatusLineForEachState) {
    expectLine(statusAt(185.4f), "Time left: 03:05", 20, 550, 1.0f, black);
    expectLine(statusAt(59.9f), "Time left: 00:59", 20, 550, 1.0f, black);
    expectLine(statusAt(10.5f), "Time left: 00:10", 20, 550, 1.0f, black);
    expectLine(statusAt(9.5f), "Time left: 00:09", 20, 550, 1.0f, red);
    expectLine(statusAt(0.5f), "Time left: 00:00", 20, 550, 1.0f, red);
    // A whole minute with single-digit seconds stays black.
    expectLine(statusAt(65.0f), "Time left: 01:05", 20, 550, 1.0f, black);
    expectLine(statusAt(-0.5f), "GAME OVER!", 50, 300, 2.5f, red);
    expectLine(statusAt(100.0f, false, true), "- PAUSED -", 20, 550, 1.0f, red);
    expectLine(statusAt(100.0f, true), "YOU WON!", 50, 300, 2.5f, blue);
}

TEST(HudTest, StatusLinePrecedence) {
    // Won beats paused, paused beats the time, the time beats game over.
    expectLine(statusAt(100.0f, true, true, true), "YOU WON!", 50, 300, 2.5f, blue);
    expectLine(statusAt(-5.0f, true, true, true), "YOU WON!", 50, 300, 2.5f, blue);
    expectLine(statusAt(-5.0f, false, true, true), "- PAUSED -", 20, 550, 1.0f, red);
    expectLine(statusAt(100.0f, false, false, true), "Time left: 01:40", 20, 550, 1.0f, black);
}

TEST(HudTest, AnEndedRoundInvitesToPlayAgainUnderTheEndText) {
    GameState state;
    const Countdown playing = runCountdown(state, 100.0f, 0.0f);
    EXPECT_TRUE(playAgainLines(hudLines(state, playing, false, width, height)).empty());

    for (const bool won : {true, false}) {
        for (const bool paused : {false, true}) {
            GameState ended;
            ended.paused = paused;
            const Countdown countdown = runCountdown(ended, won ? 100.0f : 241.0f, 0.0f);
            const auto lines = hudLines(ended, countdown, won, width, height);
            const auto invitation = playAgainLines(lines);
            ASSERT_EQ(invitation.size(), 2u) << "won " << won << " paused " << paused;
            // A dark shadow first, then the light text just above and left of it, both under
            // the end text at the middle of the window.
            EXPECT_EQ(invitation[0].colour, black);
            EXPECT_GT(invitation[1].colour.r + invitation[1].colour.g, 1.5f);
            EXPECT_LT(invitation[1].y, height / 2.0f);
            EXPECT_GT(invitation[1].y, invitation[0].y);
            EXPECT_LT(invitation[1].x, invitation[0].x);
            // The counters are still there, the speed last.
            EXPECT_EQ(lines.back().text, "0.000000");
        }
    }
}

TEST(HudTest, NoStatusLineAtExactlyZero) {
    GameState state;
    const Countdown countdown = runCountdown(state, 240.0f, 0.0f);
    EXPECT_EQ(countdown.timeLeft, 0.0f);
    EXPECT_FALSE(state.gameOver);
    const auto lines = hudLines(state, countdown, false, width, height);
    EXPECT_FALSE(statusOf(lines).has_value());
    EXPECT_EQ(lines.size(), 3u);
}

TEST(HudTest, OddWindowHeightHalvesInIntegers) {
    GameState state;
    const Countdown countdown = runCountdown(state, 0.0f, 0.0f);
    const auto lines = hudLines(state, countdown, true, width, 601);
    expectLine(statusOf(lines), "YOU WON!", 50, 300, 2.5f, blue);
}

TEST(HudTest, FramesFrameNumberAndSpeedLines) {
    GameState state;
    state.framesPerSecond = 59;
    state.frameNumber = 1234;
    state.driveSpeed = -12.5f;
    const Countdown countdown = runCountdown(state, 10.0f, 0.0f);
    const auto lines = hudLines(state, countdown, false, 1024, 768);
    ASSERT_EQ(lines.size(), 4u);

    expectLine(lines[1], "FPS:59", 10, 39, 0.5f, red);
    expectLine(lines[2], "1234", 10, 10, 0.5f, red);
    EXPECT_EQ(lines[3].text, "-12.500000");
    EXPECT_FLOAT_EQ(lines[3].x, 1024.0f);  // ends at the right edge
    EXPECT_FLOAT_EQ(lines[3].y, 10.0f);
    EXPECT_FLOAT_EQ(lines[3].scale, 1.0f);
    EXPECT_EQ(lines[3].colour, red);
    EXPECT_TRUE(lines[3].rightAligned);

    state.driveSpeed = 0.0f;
    EXPECT_EQ(hudLines(state, countdown, false, 1024, 768)[3].text, "0.000000");
}

TEST(CountdownTest, FourMinutesWithoutPauseEndTheGame) {
    GameState state;
    const float end = playUntilOver(state, 1.0f / 60.0f, -1.0f, -1.0f, 1000.0f);
    EXPECT_TRUE(state.gameOver);
    EXPECT_NEAR(end, 240.0f, 0.05f);
    EXPECT_FLOAT_EQ(state.timeLimit, 240.0f);
}

TEST(CountdownTest, PausingDelaysTheEndByThePause) {
    GameState state;
    const float end = playUntilOver(state, 1.0f / 60.0f, 60.0f, 90.0f, 1000.0f);
    EXPECT_TRUE(state.gameOver);
    EXPECT_NEAR(end, 270.0f, 0.1f);
    EXPECT_NEAR(state.timeLimit, 270.0f, 0.1f);
}

TEST(CountdownTest, CountdownStandsStillWhilePaused) {
    GameState state;
    state.frameTime = 0.5f;
    const Countdown before = runCountdown(state, 10.0f, 0.0f);
    state.paused = true;
    const Countdown during = runCountdown(state, 10.5f, 0.0f);
    EXPECT_FLOAT_EQ(during.timeLeft, before.timeLeft);
}

TEST(CountdownTest, GameOverIsSticky) {
    GameState state;
    runCountdown(state, 241.0f, 0.0f);
    ASSERT_TRUE(state.gameOver);
    // Even a later pause that pushes the limit back out does not clear it.
    state.paused = true;
    state.frameTime = 10.0f;
    runCountdown(state, 241.0f, 0.0f);
    EXPECT_TRUE(state.gameOver);
}

TEST(RulesTest, BothFieldsMustBeClearedToWin) {
    EXPECT_FALSE(roundWon(true, false));  // the floor alone, plateau strip standing
    EXPECT_FALSE(roundWon(false, true));
    EXPECT_TRUE(roundWon(true, true));

    GameState state;
    EXPECT_FALSE(roundEnded(false, state));
    EXPECT_TRUE(roundEnded(true, state));
    state.gameOver = true;
    EXPECT_TRUE(roundEnded(false, state));
}

TEST(RulesTest, OnlyARoundWonBeforeTheCountdownRanOutCountsForTheBestTime) {
    const struct {
        float lostAt;  // the clock reading of an earlier frame; 0 for none
        float wonAt;
        float best;
    } cases[] = {
        {0.0f, 200.0f, 200.0f},
        {0.0f, 239.5f, 239.5f},
        {0.0f, 240.5f, -1.0f},    // the last tile in the frame that ran the countdown out
        {240.5f, 241.0f, -1.0f},  // or in the frame after it
    };
    for (const auto& c : cases) {
        GameState state;
        if (c.lostAt > 0.0f) runCountdown(state, c.lostAt, 0.0f);
        recordWin(state, runCountdown(state, c.wonAt, 0.0f), true);
        EXPECT_FLOAT_EQ(state.bestTime, c.best) << "won at " << c.wonAt;
    }
}

TEST(RulesTest, HiddenHudStillRunsTheRules) {
    GameState state;
    state.hudVisible = false;
    playUntilOver(state, 0.25f, -1.0f, -1.0f, 1000.0f);
    EXPECT_TRUE(state.gameOver);
}

TEST(HudTest, TheBoundKeysAreShownAndAWonRoundShowsItsTimeAndTheBest) {
    GameState state;
    const auto shows = [&state](float now, bool won, const std::string& text,
                                const KeyLabels& keys = defaultKeyLabels()) {
        const auto lines =
            hudLines(state, runCountdown(state, now, 0.0f), won, width, height, keys);
        return std::any_of(lines.begin(), lines.end(),
                           [&text](const HudLine& line) { return line.text == text; });
    };
    EXPECT_TRUE(shows(9.5f, false, "Press H for the controls"));
    // The keys shown are the ones bound.
    const KeyLabels rebound = keyLabels(settingsFromText("[keys]\nrestart=N\ncontrols=F9\n").keys);
    EXPECT_TRUE(shows(5.0f, false, "Press F9 for the controls", rebound));
    EXPECT_TRUE(shows(5.0f, true, "Press N to play again", rebound));

    // Three rounds won in 150, 130 and 170 s of play: the first frame of a win counts.
    for (const float played : {150.0f, 130.0f, 170.0f}) {
        startNewRound(state);
        state.paused = true;
        state.frameTime = 30.0f;  // paused for 30 s, which do not count
        runCountdown(state, 30.0f, 0.0f);
        state.paused = false;
        recordWin(state, runCountdown(state, played + 30.0f, 0.0f), true);
        recordWin(state, runCountdown(state, played + 40.0f, 0.0f), true);
    }
    EXPECT_FALSE(shows(9.0f, false, "Press H for the controls"));  // in the first round only
    EXPECT_TRUE(shows(200.0f, true, "Time: 2:50   Best: 2:10"));
}

// Full screen scales the HUD by the screen's height over the window's and keeps each text at its
// corner (or in the middle); the window's own size leaves the lines exactly as they were.
TEST(HudTest, FitsAViewOfAnySizeByOneFactor) {
    GameState playing;
    playing.controlsVisible = true;
    GameState won;
    const Countdown countdown = runCountdown(playing, 10.0f, 0.0f);
    for (const auto& [viewWidth, viewHeight] :
         {std::pair{800, 600}, {1920, 1080}, {2560, 1080}, {1280, 1024}}) {
        const float f = static_cast<float>(viewHeight) / height;
        const float w = static_cast<float>(viewWidth);
        const float h = static_cast<float>(viewHeight);
        auto lines = hudLines(playing, countdown, false, width, height);
        auto end = hudLines(won, countdown, true, width, height);
        const auto unfitted = lines;
        fitHudToView(lines, width, height, viewWidth, viewHeight);
        fitHudToView(end, width, height, viewWidth, viewHeight);
        ASSERT_EQ(lines.size(), unfitted.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_FLOAT_EQ(lines[i].scale, unfitted[i].scale * f);
            if (viewWidth == width && viewHeight == height) {
                EXPECT_EQ(lines[i].x, unfitted[i].x);
                EXPECT_EQ(lines[i].y, unfitted[i].y);
            }
        }
        const std::string at = std::to_string(viewWidth) + " x " + std::to_string(viewHeight);
        const HudLine& countdownLine = lines.front();
        EXPECT_FLOAT_EQ(countdownLine.x, 20.0f * f) << at;
        EXPECT_FLOAT_EQ(h - countdownLine.y, 50.0f * f) << at;
        const HudLine& firstPanelRow = lines[1];
        EXPECT_FLOAT_EQ(h - firstPanelRow.y, (height - unfitted[1].y) * f) << at;
        const HudLine& speed = lines.back();
        EXPECT_FLOAT_EQ(speed.x, w) << at;
        EXPECT_FLOAT_EQ(speed.y, 10.0f * f) << at;
        const HudLine& fps = lines[lines.size() - 3];
        EXPECT_FLOAT_EQ(fps.x, 10.0f * f) << at;
        EXPECT_FLOAT_EQ(fps.y, 39.0f * f) << at;
        const HudLine& wonLine = end.front();
        EXPECT_EQ(wonLine.text, "YOU WON!");
        EXPECT_FLOAT_EQ(wonLine.x, w / 2.0f - 350.0f * f) << at;
        EXPECT_FLOAT_EQ(wonLine.y, h / 2.0f) << at;
    }
}

TEST(HudTest, TheControlsPanelNeverCoversTheEndText) {
    // At the game's size and at the smallest the settings take, the panel that H shows is there
    // while the round goes on, and waits for the next round once it has been won or lost.
    for (const int size : {1, 600}) {
        for (const bool won : {false, true}) {
            for (const float now : {100.0f, 241.0f}) {
                GameState state;
                state.controlsVisible = true;
                const auto lines =
                    hudLines(state, runCountdown(state, now, 0.0f), won, size * 4 / 3, size);
                const bool panel = std::any_of(lines.begin(), lines.end(), [](const HudLine& l) {
                    return l.text == actionLabel(Action::Forward);
                });
                EXPECT_EQ(panel, !won && now < 240.0f)
                    << size << (won ? " won at " : " at ") << now;
            }
        }
    }
}
