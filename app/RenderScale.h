#pragma once

#include <string>

#include "app/PostProcess.h"

// The render resolution: the 3D scene, the smoke and the edge pass are drawn at a share of the
// view's width and height and scaled up to it in the final pass; the HUD is always drawn at the
// view's full size.

// The share the settings allow, and the range the automatic choice keeps to.
constexpr float lowestRenderScale = 0.25f;
constexpr float lowestAutomaticRenderScale = 0.5f;

// The size the scene is drawn at for a view of `view` pixels at `scale`: at least one pixel
// each way, rounded to the nearest whole pixel; the view itself at a scale of 1.
FramebufferSize sceneSizeFor(FramebufferSize view, float scale);

// The render resolution as the controls panel shows it: "1344 x 756 (70%)".
std::string renderResolutionText(FramebufferSize scene, float scale);

// The frame rate the automatic render scale holds: the display's refresh rate (0 when unknown),
// or the frame cap where one is set (0 for none) and lower, or 60 where neither is known.
int targetFrameRate(int displayRefreshRate, int maxFramesPerSecond);

// Chooses the render scale, between 0.5 and 1 in steps of 0.1, from the frames the game actually
// makes. Frame times are taken a second at a time, each capped at twice the target's so that a
// lone stall counts for little. A second whose mean is more than a tenth over the target lowers
// the scale a step. It rises a step only after a few seconds at one scale, and only where the
// scene's pixels, growing with the square of the scale, would still leave a tenth of the target
// to spare; a frame rate held at the target (the display's refresh or the cap waits for it) shows
// no room, so there it tries a step up now and then, and waits twice as long before the next try
// each time a try turns out too slow. The frames just after a change are not measured: they
// remake the buffers.
class RenderScaleController {
public:
    explicit RenderScaleController(int targetFramesPerSecond, float startScale = 1.0f);

    // Takes the time one frame worked (its wall time less any wait for the frame cap), in
    // seconds, and returns the scale for the frames after it.
    float frameDone(double seconds);
    float scale() const { return static_cast<float>(tenths) / 10.0f; }

private:
    void change(int byTenths);

    double targetSeconds;
    int tenths;                    // the scale in tenths, 5 to 10
    double sinceChange = 0.0;      // seconds of frames since the last change
    double measuredSeconds = 0.0;  // the frames of the current second, as they really took
    double cappedSeconds = 0.0;    // the same, each capped
    int measuredFrames = 0;
    double tryUpAfter;      // seconds at a held frame rate before a step up is tried
    bool tryingUp = false;  // the last change was such a try
};
