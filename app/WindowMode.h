#pragma once

#include <algorithm>
#include <vector>

// A rectangle on the desktop in screen coordinates: a window's place and size, or a monitor's.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The monitor that holds the largest part of the window, the first of equals; -1 when the
// window is on none of them (off every screen, or of no size).
inline int monitorHolding(const std::vector<ScreenRect>& monitors, const ScreenRect& window) {
    int best = -1;
    long bestArea = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& m = monitors[i];
        const long width =
            std::min(m.x + m.width, window.x + window.width) - std::max(m.x, window.x);
        const long height =
            std::min(m.y + m.height, window.y + window.height) - std::max(m.y, window.y);
        if (width > 0 && height > 0 && width * height > bestArea) {
            bestArea = width * height;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// A window of `width` x `height` in the middle of a monitor.
inline ScreenRect centredOn(const ScreenRect& monitor, int width, int height) {
    return {monitor.x + (monitor.width - width) / 2, monitor.y + (monitor.height - height) / 2,
            width, height};
}
