#include "render/DrawCalls.h"

namespace {
// Only the main thread draws, so a plain counter does.
DrawCallCounts counts;
}  // namespace

void countDrawCall(DrawCallKind kind) {
    switch (kind) {
        case DrawCallKind::Scene:
            ++counts.scene;
            break;
        case DrawCallKind::PostProcessing:
            ++counts.postProcessing;
            break;
        case DrawCallKind::Hud:
            ++counts.hud;
            break;
    }
}

DrawCallCounts drawCallCounts() {
    return counts;
}

DrawCallCounts drawCallsBetween(const DrawCallCounts& before, const DrawCallCounts& after) {
    DrawCallCounts between;
    between.scene = after.scene - before.scene;
    between.postProcessing = after.postProcessing - before.postProcessing;
    between.hud = after.hud - before.hud;
    return between;
}
