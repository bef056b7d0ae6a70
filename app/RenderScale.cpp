#include "app/RenderScale.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int lowestTenths = 5;
constexpr int highestTenths = 10;
constexpr double settleSeconds = 0.5;     // after a change, frames not measured
constexpr double measureSeconds = 1.0;    // frames averaged per decision
constexpr double holdBeforeRise = 3.0;    // seconds at one scale before it rises
constexpr double firstTryUpAfter = 10.0;  // at a held frame rate
constexpr double longestTryUpAfter = 80.0;
constexpr double slowMargin = 1.1;   // a mean above the target by this much is too slow
constexpr double spareMargin = 0.9;  // a rise must leave this share of the target to spare
}  // namespace

FramebufferSize sceneSizeFor(FramebufferSize view, float scale) {
    if (scale >= 1.0f) return view;
    const auto share = [scale](int pixels) {
        return std::max(1, static_cast<int>(std::lround(static_cast<double>(pixels) * scale)));
    };
    return {share(view.width), share(view.height)};
}

std::string renderResolutionText(FramebufferSize scene, float scale) {
    return std::to_string(scene.width) + " x " + std::to_string(scene.height) + " (" +
           std::to_string(std::lround(scale * 100.0f)) + "%)";
}

int targetFrameRate(int displayRefreshRate, int maxFramesPerSecond) {
    int target = displayRefreshRate > 0 ? displayRefreshRate : 0;
    if (maxFramesPerSecond > 0 && (target == 0 || maxFramesPerSecond < target)) {
        target = maxFramesPerSecond;
    }
    return target > 0 ? target : 60;
}

RenderScaleController::RenderScaleController(int targetFramesPerSecond, float startScale)
    : targetSeconds(1.0 / std::max(1, targetFramesPerSecond)),
      tenths(std::clamp(static_cast<int>(std::lround(startScale * 10.0f)), lowestTenths,
                        highestTenths)),
      tryUpAfter(firstTryUpAfter) {}

void RenderScaleController::change(int byTenths) {
    tenths = std::clamp(tenths + byTenths, lowestTenths, highestTenths);
    sinceChange = 0.0;
}

float RenderScaleController::frameDone(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0) return scale();
    sinceChange += seconds;
    if (sinceChange < settleSeconds) return scale();
    measuredSeconds += seconds;
    cappedSeconds += std::min(seconds, 2.0 * targetSeconds);
    ++measuredFrames;
    if (measuredSeconds < measureSeconds) return scale();

    const double mean = cappedSeconds / measuredFrames;
    measuredSeconds = 0.0;
    cappedSeconds = 0.0;
    measuredFrames = 0;

    if (mean > targetSeconds * slowMargin) {
        if (tryingUp) tryUpAfter = std::min(2.0 * tryUpAfter, longestTryUpAfter);
        tryingUp = false;
        if (tenths > lowestTenths) change(-1);
        return scale();
    }
    if (tenths == highestTenths || sinceChange < holdBeforeRise) return scale();
    const double grown = static_cast<double>(tenths + 1) / tenths;
    if (mean * grown * grown < targetSeconds * spareMargin) {
        tryingUp = false;
        change(+1);
    } else if (mean > targetSeconds * spareMargin && sinceChange >= tryUpAfter) {
        // Held at the target: whether a larger scene would still keep up shows only by trying.
        tryingUp = true;
        change(+1);
    }
    return scale();
}
