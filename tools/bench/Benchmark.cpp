// The frame benchmark: runs the game's own start-up, frames and shutdown (at 800 x 600 unless
// --size says otherwise, the scene at the render scale of --render-scale) with a
// scripted drive and prints what a frame costs, phase by phase, against two lower references run
// in turn with it: a floor frame that only composes an empty image and draws the HUD, and a bare
// window that is cleared and swapped; then times the physics on its own. With --picture it times
// nothing and instead renders a fixed sequence of frames into an image file. Run it from the
// repository root (it reads assets/) on an X display; tools/bench.sh does both.

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/Arena.h"
#include "app/Game.h"
#include "app/GameState.h"
#include "app/Input.h"
#include "app/Rules.h"
#include "effects/Particles.h"
#include "effects/VisibleOutline.h"
#include "physics/PhysicsWorld.h"
#include "physics/Robot.h"
#include "render/DrawCalls.h"
#include "tools/bench/Options.h"
#include "tools/bench/Picture.h"
#include "tools/bench/Statistics.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

constexpr int warmUpFrames = 60;
// Frames of one kind in a row before the next kind takes over: short enough that a change of
// load on the machine reaches all three kinds alike, long enough for a median per block.
constexpr int blockFrames = 10;
// Game frames whose fragments are counted, after the phase table.
constexpr int fragmentFrames = 100;

// The figures are gathered here and printed together at the end, after whatever the game
// itself prints while it runs (font loading, smoke warnings).
std::ostringstream report;

// W held throughout; 40 frames of every 100 turn, three times with A, then once with D, so
// the robot circles and slowly wanders over fresh grass.
DriveKeys scriptedKeys(int frame) {
    DriveKeys keys;
    keys.w = true;
    if (frame % 100 < 40) {
        const bool right = (frame / 100) % 4 == 3;
        keys.a = !right;
        keys.d = right;
    }
    return keys;
}

const std::array<const char*, framePhaseCount> phaseNames = {
    "frame start (bind, clear, mouse)",
    "physics step",
    "robot and ball",
    "camera and uniforms",
    "grass fields",
    "scene drawables",
    "smoke",
    "post-processing pass",
    "sound",
    "HUD",
    "swap and events",
};

// The game's clock in the benchmark: exactly 1/60 s later at every game frame, however long the
// frame really took, so that every run draws the same frames (route, mowing, smoke, countdown)
// on a quiet machine, a busy one or another one. It starts at 0 rather than at the window
// system's time, whose value differs from run to run and would change the rounding of every
// frame time.
struct FixedGameClock {
    long long frames = 0;

    double advance() {
        ++frames;
        return now();
    }
    // Read as the single-precision clock of earlier builds read it: every build, older or newer,
    // then draws the same frames, and their pictures and figures compare frame for frame.
    double now() const { return static_cast<float>(static_cast<double>(frames) * physicsStep); }
};

FixedGameClock gameClock;

void startFixedClock(GameSession& s) {
    gameClock = FixedGameClock{};
    s.startTime = gameClock.now();
    startClock(s.clock, game, s.startTime);
}

// The fragments one phase of a frame produced: how many the fragment stage shaded and how many
// samples passed the depth test into the picture (blended or written), each counted by a query
// around the phase.
using PhaseCounts = std::array<double, framePhaseCount>;

// Drives the frames with the scripted keys and the fixed clock. With `finishPhases` it waits for
// the GPU (here the software renderer's threads) after every phase, so that the drawing work lands
// in the phase that issued it, and keeps one row of phase times per frame; with `countFragments`
// as well, one row of the fragments each phase rasterised and let through. Its times are then no
// measure: a query running can take the renderer off its fast paths.
class BenchObserver : public FrameObserver {
public:
    explicit BenchObserver(bool finishEveryPhase, bool countFragments = false)
        : finishPhases(finishEveryPhase) {
        if (!finishPhases || !countFragments) return;
        glGenQueries(1, &samplesQuery);
        if (GLEW_ARB_pipeline_statistics_query) glGenQueries(1, &shadedQuery);
    }
    ~BenchObserver() override {
        endQueries();
        if (samplesQuery != 0) glDeleteQueries(1, &samplesQuery);
        if (shadedQuery != 0) glDeleteQueries(1, &shadedQuery);
    }
    BenchObserver(const BenchObserver&) = delete;
    BenchObserver& operator=(const BenchObserver&) = delete;

    void beginFrame() {
        phaseTimes.emplace_back();
        phaseTimes.back().fill(0.0);
        shadedFragments.emplace_back();
        shadedFragments.back().fill(0.0);
        passedSamples.emplace_back();
        passedSamples.back().fill(0.0);
        endQueries();
        beginQueries();
        lastMark = Clock::now();
    }

    void phaseDone(FramePhase phase) override {
        if (!finishPhases) return;
        glFinish();
        const Clock::time_point now = Clock::now();
        const auto index = static_cast<std::size_t>(phase);
        phaseTimes.back()[index] += millisecondsBetween(lastMark, now);
        if (queriesRunning) {
            endQueries();
            passedSamples.back()[index] += static_cast<double>(resultOf(samplesQuery));
            if (shadedQuery != 0) {
                shadedFragments.back()[index] += static_cast<double>(resultOf(shadedQuery));
            }
        }
        if (phase != FramePhase::Swap) beginQueries();
        lastMark = Clock::now();
    }

    DriveKeys driveKeys(const DriveKeys& /*polled*/) override { return scriptedKeys(frame++); }

    double clockReading(double /*measured*/) override { return gameClock.advance(); }

    // The scripted run goes on whatever window has the focus.
    bool hasFocus(bool /*reported*/) override { return true; }
    // Nor does a pad plugged into the machine steer it.
    PolledGamepad gamepad(const PolledGamepad& /*polled*/) override { return {}; }

    bool countsShadedFragments() const { return shadedQuery != 0; }
    // Ends the queries of the last frame.
    void finish() { endQueries(); }

    std::vector<PhaseCounts> phaseTimes;
    std::vector<PhaseCounts> shadedFragments;
    std::vector<PhaseCounts> passedSamples;

private:
    void beginQueries() {
        if (samplesQuery == 0) return;
        glBeginQuery(GL_SAMPLES_PASSED, samplesQuery);
        if (shadedQuery != 0) glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, shadedQuery);
        queriesRunning = true;
    }
    void endQueries() {
        if (!queriesRunning) return;
        glEndQuery(GL_SAMPLES_PASSED);
        if (shadedQuery != 0) glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
        queriesRunning = false;
    }
    static GLuint64 resultOf(GLuint query) {
        GLuint64 result = 0;
        glGetQueryObjectui64v(query, GL_QUERY_RESULT, &result);
        return result;
    }

    bool finishPhases;
    int frame = 0;
    Clock::time_point lastMark;
    GLuint samplesQuery = 0;
    GLuint shadedQuery = 0;  // 0 where the driver has no pipeline statistics
    bool queriesRunning = false;
};

// Runs `count` frames of `frame` and returns the time of each in milliseconds, measured from
// the start of one frame to the start of the next, as a player sees it.
template <typename Frame>
std::vector<double> timeFrames(int count, Frame&& frame) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(count));
    Clock::time_point previous = Clock::now();
    for (int i = 0; i < count; ++i) {
        frame();
        const Clock::time_point now = Clock::now();
        times.push_back(millisecondsBetween(previous, now));
        previous = now;
    }
    return times;
}

// The processor time of this process so far, all its threads (the renderer's included) together.
// Unlike the clock on the wall it does not count the time spent waiting for a processor that
// other programs hold.
double processCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// One block of frames of one kind: the time of each frame, and the processor time per frame.
struct TimedBlock {
    std::vector<double> frameTimes;
    double cpuPerFrame = 0.0;
};

// The frames of one block: one untimed lead-in frame and a glFinish, so that no block pays for
// work that the block before left queued, then `count` timed frames.
template <typename Frame>
TimedBlock timeBlock(int count, Frame&& frame) {
    frame();
    glFinish();
    TimedBlock block;
    const double cpuAtStart = processCpuMilliseconds();
    block.frameTimes = timeFrames(count, frame);
    block.cpuPerFrame = (processCpuMilliseconds() - cpuAtStart) / count;
    return block;
}

// The cost of the window itself: the game's frame without a scene. The cleared off-screen
// image goes through the edge pass, the HUD is drawn with the countdown, and the buffers are
// swapped, in the same order and with the same calls as the game's frame. The game's clock
// stands still: only game frames move it on.
void runFloorFrame(GameSession& s) {
    s.targets->sceneTarget().bind();
    glEnable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    s.targets->compose(*s.edgeShader, *s.upscaleShader, *s.screenQuad);
    const double now = gameClock.now();
    const float gameFrameTime = game.frameTime;
    readClock(s.clock, game, now);
    const Countdown countdown = runCountdown(game, now, s.startTime);
    std::vector<HudLine> hud =
        hudLines(game, countdown, false, s.settings.width, s.settings.height);
    fitHudToView(hud, s.settings.width, s.settings.height, s.targets->view().width,
                 s.targets->view().height);
    drawHud(*s.textShader, hud);
    glfwSwapBuffers(s.window);
    glfwPollEvents();
    ++game.frameNumber;
    countFrame(s.clock, game, s.clock.previousTime);
    // The next game frame drives and steps the world by the last game frame's time, not by this
    // frame's 0: one physics step per game frame.
    game.frameTime = gameFrameTime;
}

// The platform alone: the window's own framebuffer cleared and swapped, events polled, nothing
// drawn.
void runBareFrame(GameSession& s) {
    OffscreenTarget::bindWindow(s.targets->view());
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwSwapBuffers(s.window);
    glfwPollEvents();
}

// The three kinds of frame, in blocks taken in turn: game, floor, bare window, game, ...
struct InterleavedRun {
    std::vector<TimedBlock> game;
    std::vector<TimedBlock> floor;
    std::vector<TimedBlock> bare;
    std::vector<float> renderScales;  // after each game frame
};

// One game frame as the game's loop runs it: the frame, then the automatic render scale told how
// long it took.
void runGameFrame(GameSession& s, FrameObserver& observer) {
    const Clock::time_point start = Clock::now();
    runFrame(s, &observer);
    adjustRenderScale(s, millisecondsBetween(start, Clock::now()) / 1000.0);
}

std::vector<std::vector<double>> frameTimesOf(const std::vector<TimedBlock>& blocks) {
    std::vector<std::vector<double>> times;
    for (const TimedBlock& block : blocks) times.push_back(block.frameTimes);
    return times;
}

std::vector<double> cpuPerFrameOf(const std::vector<TimedBlock>& blocks) {
    std::vector<double> cpu;
    for (const TimedBlock& block : blocks) cpu.push_back(block.cpuPerFrame);
    return cpu;
}

InterleavedRun runInterleaved(GameSession& s, BenchObserver& observer, int frames) {
    InterleavedRun run;
    for (int done = 0; done < frames; done += blockFrames) {
        const int count = std::min(blockFrames, frames - done);
        run.game.push_back(timeBlock(count, [&] {
            runGameFrame(s, observer);
            run.renderScales.push_back(s.renderScale);
        }));
        run.floor.push_back(timeBlock(count, [&] { runFloorFrame(s); }));
        run.bare.push_back(timeBlock(count, [&] { runBareFrame(s); }));
    }
    return run;
}

std::vector<double> allFrames(const std::vector<TimedBlock>& blocks) {
    std::vector<double> frames;
    for (const TimedBlock& block : blocks) {
        frames.insert(frames.end(), block.frameTimes.begin(), block.frameTimes.end());
    }
    return frames;
}

std::string fixed(double value, int decimals = 2) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

constexpr int labelWidth = 40;

void printRow(const std::string& label, const std::string& value) {
    report << "  " << std::left << std::setw(labelWidth) << label << value << '\n';
}

void printFrameSummary(const Summary& frames) {
    printRow("frames per second (median)", fixed(framesPerSecond(frames.median), 1));
    printRow("frame time median", fixed(frames.median) + " ms");
    printRow("frame time 1st percentile", fixed(frames.p1) + " ms");
    printRow("frame time 99th percentile", fixed(frames.p99) + " ms");
}

// The render resolution the game frames were drawn at: one, or for the automatic scale how it
// went over the run (the phase table and the fragments then keep the last).
void printRenderScales(const GameSession& s, std::vector<float> scales) {
    const FramebufferSize view = s.targets->view();
    const std::string last = renderResolutionText(sceneSizeFor(view, s.renderScale), s.renderScale);
    if (!s.automaticScale) {
        printRow("render resolution", last);
        return;
    }
    printRow("render resolution", "auto, " + last + " at the end");
    if (scales.empty()) return;
    std::sort(scales.begin(), scales.end());
    const auto percent = [](float scale) { return std::to_string(std::lround(scale * 100.0f)); };
    printRow("  scale over the game frames", "lowest " + percent(scales.front()) + "%, median " +
                                                 percent(scales[scales.size() / 2]) +
                                                 "%, highest " + percent(scales.back()) + "%");
}

// The post-processing pass of the game's own edge shader and of another one, frame by frame in
// turn (own, other, other, own, ...: neither always goes first), glFinish after every phase.
struct EdgeComparison {
    std::vector<double> own;
    std::vector<double> other;
};

EdgeComparison compareEdgeShaders(GameSession& s, const std::shared_ptr<Shader>& other,
                                  int frames) {
    const std::shared_ptr<Shader> own = s.edgeShader;
    BenchObserver observer(true);
    EdgeComparison times;
    for (int i = 0; i < 2 * frames; ++i) {
        const bool ownTurn = i % 4 == 0 || i % 4 == 3;
        s.edgeShader = ownTurn ? own : other;
        observer.beginFrame();
        runFrame(s, &observer);
        const double postProcessing =
            observer.phaseTimes.back()[static_cast<std::size_t>(FramePhase::PostProcessing)];
        (ownTurn ? times.own : times.other).push_back(postProcessing);
    }
    s.edgeShader = own;
    return times;
}

std::optional<std::string> readTextFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A median and the middle half of per-block figures: "3.61 x (middle half 3.40 to 3.80 x)".
std::string spreadText(const Spread& spread, const std::string& unit) {
    return fixed(spread.median) + unit + " (middle half " + fixed(spread.lowerQuartile) + " to " +
           fixed(spread.upperQuartile) + unit + ")";
}

void printPairedBlocks(const InterleavedRun& run) {
    const std::vector<double> game = blockMedians(frameTimesOf(run.game));
    const std::vector<double> floor = blockMedians(frameTimesOf(run.floor));
    const std::vector<double> bare = blockMedians(frameTimesOf(run.bare));
    const std::vector<double> gameCpu = cpuPerFrameOf(run.game);
    const std::vector<double> floorCpu = cpuPerFrameOf(run.floor);
    const std::vector<double> bareCpu = cpuPerFrameOf(run.bare);
    report << "\nPaired blocks (game, floor and bare window in turn)\n";
    printRow("blocks", std::to_string(run.game.size()) + " of each kind, up to " +
                           std::to_string(blockFrames) + " frames each");
    // The processor time leaves out the waits for a processor that other programs hold; they
    // slow short frames more than long ones, so on a busy machine the wall-time ratio drops.
    printRow("game / floor, wall time", spreadText(spreadOf(pairedRatios(game, floor)), " x"));
    printRow("game / floor, processor time",
             spreadText(spreadOf(pairedRatios(gameCpu, floorCpu)), " x"));
    printRow("floor / bare, wall time", spreadText(spreadOf(pairedRatios(floor, bare)), " x"));
    printRow("floor / bare, processor time",
             spreadText(spreadOf(pairedRatios(floorCpu, bareCpu)), " x"));
    printRow("platform: bare window", spreadText(spreadOf(bare), " ms"));
    printRow("fixed passes: floor - bare window",
             spreadText(spreadOf(pairedDifferences(floor, bare)), " ms"));
    printRow("scene: game - floor", spreadText(spreadOf(pairedDifferences(game, floor)), " ms"));
    printRow("processor time per frame, game", spreadText(spreadOf(gameCpu), " ms"));
    printRow("processor time per frame, floor", spreadText(spreadOf(floorCpu), " ms"));
    printRow("processor time per frame, bare", spreadText(spreadOf(bareCpu), " ms"));
}

void printEdgeComparison(const EdgeComparison& times, const std::string& folder) {
    const Summary own = summarize(times.own);
    const Summary other = summarize(times.other);
    const Spread ratio = spreadOf(pairedRatios(times.own, times.other));
    report << "\nEdge shader against " << folder << " (" << times.own.size()
           << " frames each, in turn, glFinish after every phase)\n";
    printRow("post-processing pass, this build",
             fixed(own.median) + " ms median, " + fixed(own.mean) + " ms mean");
    printRow("post-processing pass, the other",
             fixed(other.median) + " ms median, " + fixed(other.mean) + " ms mean");
    printRow("this build / the other, per frame pair", spreadText(ratio, " x"));
}

void printPhases(const std::vector<std::array<double, framePhaseCount>>& rows) {
    report << "  " << std::left << std::setw(labelWidth) << "phase" << std::right << std::setw(10)
           << "median" << std::setw(10) << "mean" << std::setw(10) << "p99" << std::setw(8)
           << "share" << '\n';
    std::vector<double> wholeFrames;
    for (const auto& row : rows) {
        double sum = 0.0;
        for (double t : row) sum += t;
        wholeFrames.push_back(sum);
    }
    const Summary whole = summarize(wholeFrames);
    const auto printLine = [&](const std::string& name, const Summary& summary) {
        report << "  " << std::left << std::setw(labelWidth) << name << std::right << std::setw(10)
               << fixed(summary.median) << std::setw(10) << fixed(summary.mean) << std::setw(10)
               << fixed(summary.p99) << std::setw(7)
               << fixed(100.0 * ratioTo(summary.mean, whole.mean), 0) << "%\n";
    };
    for (int phase = 0; phase < framePhaseCount; ++phase) {
        std::vector<double> samples;
        samples.reserve(rows.size());
        for (const auto& row : rows) samples.push_back(row[static_cast<std::size_t>(phase)]);
        printLine(phaseNames[static_cast<std::size_t>(phase)], summarize(samples));
    }
    printLine("whole frame", whole);
}

// How many draw calls the game frames of the phase table issued, by part of the frame, counted
// where the game issues them: the median frame and the most in one frame.
void printDrawCalls(const std::vector<DrawCallCounts>& frames) {
    // A median of whole numbers is whole or halfway between two.
    const auto countText = [](double count) {
        return fixed(count, count == static_cast<double>(static_cast<long long>(count)) ? 0 : 1);
    };
    const auto printKind = [&](const std::string& name, auto countOf) {
        std::vector<double> counts;
        counts.reserve(frames.size());
        for (const DrawCallCounts& frame : frames) {
            counts.push_back(static_cast<double>(countOf(frame)));
        }
        const double most = counts.empty() ? 0.0 : *std::max_element(counts.begin(), counts.end());
        printRow(name, countText(summarize(counts).median) + " (most " + countText(most) + ")");
    };
    report << "\nDraw calls per game frame (median over the frames of the phase table)\n";
    printKind("scene (grass, robot, arena, smoke)",
              [](const DrawCallCounts& frame) { return frame.scene; });
    printKind("post-processing pass",
              [](const DrawCallCounts& frame) { return frame.postProcessing; });
    printKind("HUD", [](const DrawCallCounts& frame) { return frame.hud; });
    printKind("whole frame", [](const DrawCallCounts& frame) { return frame.total(); });
}

// How many physics steps the game frames of the phase table ran: with the fixed clock, one each.
void printPhysicsSteps(const std::vector<long long>& stepsPerFrame) {
    if (stepsPerFrame.empty()) return;
    std::vector<double> steps(stepsPerFrame.begin(), stepsPerFrame.end());
    const auto [fewest, most] = std::minmax_element(steps.begin(), steps.end());
    printRow("physics steps per game frame", fixed(summarize(steps).mean) + " on average (fewest " +
                                                 fixed(*fewest, 0) + ", most " + fixed(*most, 0) +
                                                 ")");
}

// The fragments of the counted game frames, phase by phase (the median frame of each phase):
// those rasterised, as the driver counts fragment shader invocations (llvmpipe counts
// them before its depth test), and the samples that passed the depth test into the picture.
void printFragments(const BenchObserver& observer, const ParticleSystem& smoke) {
    report << "\nFragments per game frame in thousands (median over the "
           << observer.phaseTimes.size() << " frames after the phase table)\n";
    report << "  " << std::left << std::setw(labelWidth) << "phase" << std::right << std::setw(12)
           << "rasterised" << std::setw(10) << "passed" << '\n';
    const auto medianOf = [](const std::vector<PhaseCounts>& rows, std::size_t phase) {
        std::vector<double> counts;
        counts.reserve(rows.size());
        for (const PhaseCounts& row : rows) counts.push_back(row[phase] / 1000.0);
        return summarize(counts).median;
    };
    for (std::size_t phase = 0; phase < framePhaseCount; ++phase) {
        const double passed = medianOf(observer.passedSamples, phase);
        const double rasterised = medianOf(observer.shadedFragments, phase);
        if (passed == 0.0 && rasterised == 0.0) continue;
        report << "  " << std::left << std::setw(labelWidth) << phaseNames[phase] << std::right
               << std::setw(12)
               << (observer.countsShadedFragments() ? fixed(rasterised, 1) : std::string("-"))
               << std::setw(10) << fixed(passed, 1) << '\n';
    }
    printRow("smoke: share of each quad drawn",
             fixed(100.0 * outlineArea(smoke.getShape().outline), 1) + "% (an outline of " +
                 std::to_string(smoke.getShape().outline.size()) + " corners)");
}

// The physics as the frame loop runs it, without a window: the world with the ramp and plateau
// colliders and the triggers of both grass fields, driven by the same script at a fixed 1/60 s.
// One sample is the world's part of a frame (runWorldFrame): the ball woken, the step with its
// trigger and contact handling and the ball's push, the robot's drive and its placement, the
// ball's drawn pose and the check for a won round.
void benchmarkPhysics(int steps) {
    game = GameState{};
    wheelAngle = 0.0f;
    const ArenaPhysics arena = buildArenaPhysics();

    const auto countStanding = [&] {
        int standing = 0;
        for (const TileGrid* grid : {&arena.arenaTiles, &arena.plateauTiles}) {
            for (const auto& row : *grid) {
                for (const GrassTile& tile : row) standing += tile.isMown() ? 0 : 1;
            }
        }
        return standing;
    };
    const int standingAtStart = countStanding();

    constexpr float dt = physicsStep;
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(steps));
    for (int i = 0; i < steps; ++i) {
        const Clock::time_point start = Clock::now();
        runWorldFrame(arena.arenaTiles, arena.plateauTiles);
        samples.push_back(millisecondsBetween(start, Clock::now()) * 1000.0);
        game.frameTime = dt;
        ++game.frameNumber;
        const DriveKeys keys = scriptedKeys(i);
        applyDriveKeys(game, keys.w, keys.a, keys.s, keys.d, dt);
    }
    const int standingAtEnd = countStanding();
    shutdownPhysics();

    const Summary summary = summarize(samples);
    report << "\nPhysics alone (" << steps << " steps of 1/60 s, " << standingAtStart
           << " grass tiles at the start)\n";
    printRow("step + robot move + triggers, median", fixed(summary.median, 1) + " us");
    printRow("step + robot move + triggers, p99", fixed(summary.p99, 1) + " us");
    printRow("step + robot move + triggers, mean", fixed(summary.mean, 1) + " us");
    printRow("tiles mown during the run", std::to_string(standingAtStart - standingAtEnd));
}

// Renders `frames` frames from start-up with the fixed clock and the scripted keys, the frames the
// timed benchmark starts with, and writes the window's last frame, read back just before its
// swap, to `path`. The game draws its randomness from rand(), never seeded, so a fresh process
// repeats it and the picture with it.
int renderPicture(const Settings& settings, int frames, const std::string& path) {
    class PictureObserver : public FrameObserver {
    public:
        PictureObserver(GLFWwindow* shownIn, int frameCount)
            : window(shownIn), lastFrame(frameCount - 1) {}

        void phaseDone(FramePhase phase) override {
            // The HUD is the last drawing of a frame; the swap comes next.
            if (phase != FramePhase::Hud || frame != lastFrame) return;
            int width = 0;
            int height = 0;
            glfwGetFramebufferSize(window, &width, &height);
            std::vector<unsigned char> rows(static_cast<std::size_t>(width) * height * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadBuffer(GL_BACK);
            glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
            picture = pictureFromBottomUpRows(width, height, rows);
        }

        DriveKeys driveKeys(const DriveKeys& /*polled*/) override { return scriptedKeys(frame++); }

        double clockReading(double /*measured*/) override { return gameClock.advance(); }

        // The scripted run goes on whatever window has the focus.
        bool hasFocus(bool /*reported*/) override { return true; }
        PolledGamepad gamepad(const PolledGamepad& /*polled*/) override { return {}; }

        Picture picture;

    private:
        GLFWwindow* window;
        int lastFrame;
        int frame = 0;
    };

    const std::unique_ptr<GameSession> session = startGame(settings);
    startFixedClock(*session);
    PictureObserver observer(session->window, frames);
    for (int i = 0; i < frames; ++i) runFrame(*session, &observer);
    shutdownGame(*session);

    std::string error;
    if (observer.picture.rgb.empty() || !writePpm(path, observer.picture, error)) {
        std::cout << "tessel_bench: " << (error.empty() ? "no picture was read" : error)
                  << std::endl;
        return 1;
    }
    std::cout << "\n==== Tessel picture ====\n";
    printRow("frames", std::to_string(frames) + " from start-up, 1/60 s each");
    printRow("window", std::to_string(observer.picture.width) + " x " +
                           std::to_string(observer.picture.height));
    printRow("written to", path);
    std::cout << report.str() << std::flush;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point processStart = Clock::now();

    std::string error;
    const std::optional<BenchOptions> parsed =
        parseBenchOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!parsed) {
        std::cout << "tessel_bench: " << error << "\n" << benchUsage << std::endl;
        return 2;
    }
    const BenchOptions options = *parsed;

    double load[3] = {0.0, 0.0, 0.0};
    const bool haveLoad = getloadavg(load, 3) == 3;

    Settings settings = loadSettings(settingsPath);
    settings.width = options.width;
    settings.height = options.height;
    settings.renderScale = options.renderScale;
    settings.automaticRenderScale = options.automaticRenderScale;
    settings.fullscreen = false;
    // Frames as fast as they come: a wait for the display would be timed as the swap's.
    settings.vsync = false;
    settings.maxFps = 0;

    if (!options.picturePath.empty()) {
        return renderPicture(settings, options.frames, options.picturePath);
    }

    // The other edge shader is read before any window opens, so that a wrong folder costs
    // nothing.
    std::optional<std::string> otherEdgeVertex;
    std::optional<std::string> otherEdgeFragment;
    if (!options.compareEdgeFolder.empty()) {
        for (auto [name, source] : {std::pair{"/edge.vert", &otherEdgeVertex},
                                    std::pair{"/edge.frag", &otherEdgeFragment}}) {
            *source = readTextFile(options.compareEdgeFolder + name);
            if (!*source) {
                std::cout << "tessel_bench: cannot read " << options.compareEdgeFolder << name
                          << std::endl;
                return 2;
            }
        }
    }

    // Start-up to the first frame shown: the game's start-up, then one frame, finished.
    const std::unique_ptr<GameSession> session = startGame(settings);
    startFixedClock(*session);
    const Clock::time_point startedUp = Clock::now();
    BenchObserver warmUp(false);
    runFrame(*session, &warmUp);
    glFinish();
    const Clock::time_point firstFrame = Clock::now();

    printRow("renderer", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    printRow("OpenGL", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    printRow("CPU threads", std::to_string(std::thread::hardware_concurrency()));
    if (haveLoad) {
        printRow("load average at start (1/5/15 min)",
                 fixed(load[0]) + " " + fixed(load[1]) + " " + fixed(load[2]));
    }
    printRow("window", std::to_string(settings.width) + " x " + std::to_string(settings.height));
    if (session->targets->view() != FramebufferSize{settings.width, settings.height}) {
        printRow("  but the window system gave",
                 std::to_string(session->targets->view().width) + " x " +
                     std::to_string(session->targets->view().height));
    }
    printRow("frames per run", std::to_string(options.frames) + " (after " +
                                   std::to_string(warmUpFrames) + " warm-up frames)");
    printRow("blocks", "game, floor and bare window in turn, " + std::to_string(blockFrames) +
                           " frames each");

    report << "\nStart-up\n";
    printRow("to the first frame shown",
             fixed(millisecondsBetween(processStart, firstFrame), 0) + " ms");
    printRow("  of which start-up calls",
             fixed(millisecondsBetween(processStart, startedUp), 0) + " ms");
    printRow("  of which the first frame",
             fixed(millisecondsBetween(startedUp, firstFrame), 0) + " ms");

    for (int i = 0; i < warmUpFrames; ++i) runGameFrame(*session, warmUp);

    BenchObserver asPlayed(false);
    const InterleavedRun interleaved = runInterleaved(*session, asPlayed, options.frames);
    const Summary gameFrames = summarize(allFrames(interleaved.game));
    const Summary floorFrames = summarize(allFrames(interleaved.floor));
    const Summary bareFrames = summarize(allFrames(interleaved.bare));

    BenchObserver phased(true);
    std::vector<DrawCallCounts> drawCalls;
    drawCalls.reserve(static_cast<std::size_t>(options.frames));
    std::vector<long long> physicsSteps;
    timeFrames(options.frames, [&] {
        phased.beginFrame();
        const DrawCallCounts before = drawCallCounts();
        const long long stepsBefore = gPhysics->stepCount();
        runFrame(*session, &phased);
        drawCalls.push_back(drawCallsBetween(before, drawCallCounts()));
        physicsSteps.push_back(gPhysics->stepCount() - stepsBefore);
    });

    // The fragments of the frames that follow, counted with queries around every phase; apart
    // from the phase table, whose times the queries would change.
    BenchObserver counted(true, true);
    for (int i = 0; i < std::min(options.frames, fragmentFrames); ++i) {
        counted.beginFrame();
        runFrame(*session, &counted);
    }
    counted.finish();

    std::optional<EdgeComparison> edgeComparison;
    if (otherEdgeVertex && otherEdgeFragment) {
        const std::shared_ptr<Shader> otherEdge =
            Shader::fromSource(*otherEdgeVertex, *otherEdgeFragment);
        prepareEdgeShader(*otherEdge);
        edgeComparison = compareEdgeShaders(*session, otherEdge, options.frames);
    }

    report << "\nGame frame (as the game runs it)\n";
    printFrameSummary(gameFrames);
    printRenderScales(*session, interleaved.renderScales);

    report << "\nTime per phase in ms (glFinish after every phase)\n";
    printPhases(phased.phaseTimes);
    printPhysicsSteps(physicsSteps);

    printDrawCalls(drawCalls);
    printFragments(counted, *session->smoke);

    report << "\nFloor (same window, post-processing pass and HUD, no scene)\n";
    printFrameSummary(floorFrames);
    printRow("game / floor, median frame time",
             fixed(ratioTo(gameFrames.median, floorFrames.median)) + " x");

    const int tilesLeftStanding = [&] {
        int standing = 0;
        for (const GrassField* field : {session->arenaField.get(), session->plateauField.get()}) {
            for (const auto& row : field->getTiles()) {
                for (const GrassTile& tile : row) standing += tile.isMown() ? 0 : 1;
            }
        }
        return standing;
    }();
    printRow("grass tiles left after the drive", std::to_string(tilesLeftStanding));

    report << "\nBare window (cleared and swapped, nothing drawn)\n";
    printFrameSummary(bareFrames);

    printPairedBlocks(interleaved);
    if (edgeComparison) printEdgeComparison(*edgeComparison, options.compareEdgeFolder);

    shutdownGame(*session);

    benchmarkPhysics(options.physicsSteps);
    std::cout << "\n==== Tessel frame benchmark ====\n" << report.str() << std::flush;
    return 0;
}
