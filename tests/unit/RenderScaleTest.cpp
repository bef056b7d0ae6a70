#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/RenderScale.h"

namespace {

// Frame times of `seconds` each, wobbling by up to `noise` of themselves (a fixed pattern, so
// every run sees the same sequence), fed for `duration` seconds; returns every scale returned.
std::vector<float> feed(RenderScaleController& controller, double seconds, double duration,
                        double noise = 0.0) {
    std::vector<float> scales;
    int frame = 0;
    for (double elapsed = 0.0; elapsed < duration; ++frame) {
        const double wobble = noise * std::sin(frame * 2.399963);  // the golden angle
        const double frameTime = seconds * (1.0 + wobble);
        scales.push_back(controller.frameDone(frameTime));
        elapsed += frameTime;
    }
    return scales;
}

int changes(const std::vector<float>& scales, float before) {
    int count = 0;
    for (const float scale : scales) {
        EXPECT_LE(std::abs(scale - before), 0.1001f);
        EXPECT_GE(scale, 0.5f);
        EXPECT_LE(scale, 1.0f);
        count += scale != before ? 1 : 0;
        before = scale;
    }
    return count;
}

}  // namespace

TEST(RenderScale, SceneSizeAndTargetRate) {
    EXPECT_EQ(sceneSizeFor({1920, 1080}, 0.7f), (FramebufferSize{1344, 756}));
    EXPECT_EQ(sceneSizeFor({1, 3}, 0.25f), (FramebufferSize{1, 1}));
    EXPECT_EQ(targetFrameRate(144, 100), 100);
    EXPECT_EQ(targetFrameRate(60, 100), 60);
    EXPECT_EQ(targetFrameRate(0, 0), 60);
}

// A slow stretch lowers the scale a step at a time, a fast one raises it back to 1, and a steady
// frame rate, noisy or not, leaves it where it is.
TEST(RenderScale, FollowsTheFramesActuallyMade) {
    const double target = 1.0 / 60.0;
    RenderScaleController controller(60);

    const auto slow = feed(controller, 0.030, 20.0, 0.1);
    EXPECT_GE(changes(slow, 1.0f), 1);
    EXPECT_EQ(controller.scale(), 0.5f);

    const auto fast = feed(controller, 0.006, 40.0, 0.1);
    EXPECT_GE(changes(fast, 0.5f), 5);
    EXPECT_EQ(controller.scale(), 1.0f);

    struct Steady {
        float scale;
        double frameTime;
    };
    for (const Steady steady : {Steady{1.0f, 0.8 * target}, Steady{1.0f, target},
                                Steady{0.7f, 0.75 * target}, Steady{0.5f, 1.8 * target}}) {
        RenderScaleController held(60, steady.scale);
        EXPECT_EQ(changes(feed(held, steady.frameTime, 60.0, 0.1), steady.scale), 0)
            << steady.scale << " at " << steady.frameTime;
    }

    // Held at the target (the display's refresh waits for it), frames show no room: a step up is
    // tried now and then, and each try that is too slow makes the next one wait twice as long.
    RenderScaleController pinned(60, 0.7f);
    int tries = 0;
    float scale = pinned.scale();
    for (double elapsed = 0.0; elapsed < 120.0;) {
        const double frameTime = scale > 0.75f ? 1.3 * target : target;
        const float next = pinned.frameDone(frameTime);
        tries += next > scale ? 1 : 0;
        scale = next;
        elapsed += frameTime;
    }
    EXPECT_GE(tries, 2);
    EXPECT_LE(tries, 4);
}
