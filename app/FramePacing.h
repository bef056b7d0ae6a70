#pragma once

// The cap on the frame rate that the player may set (max_fps): frames start no more often than
// that, and the loop sleeps, rather than spins, until the next may start.
class FramePacer {
public:
    // 0 (or less) frames a second: no cap, never a wait.
    explicit FramePacer(int maxFramesPerSecond);

    // How many seconds to wait before the frame that is about to start at `now` (seconds on a
    // steady clock), and the earliest start of the one after it. A frame that is late starts at
    // once and the next one is due a whole interval later: a slow frame is not made up for
    // with a burst of fast ones.
    double waitBeforeFrame(double now);

private:
    double interval = 0.0;
    double nextStart = 0.0;
    bool started = false;
};

// Sleeps the calling thread for `seconds` (nothing for 0 or less).
void sleepFor(double seconds);
