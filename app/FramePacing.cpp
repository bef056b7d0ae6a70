#include "app/FramePacing.h"

#include <chrono>
#include <thread>

FramePacer::FramePacer(int maxFramesPerSecond)
    : interval(maxFramesPerSecond > 0 ? 1.0 / maxFramesPerSecond : 0.0) {}

double FramePacer::waitBeforeFrame(double now) {
    if (interval <= 0.0) return 0.0;
    if (!started || now >= nextStart) {
        started = true;
        nextStart = now + interval;
        return 0.0;
    }
    const double wait = nextStart - now;
    nextStart += interval;
    return wait;
}

void sleepFor(double seconds) {
    if (seconds > 0.0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
