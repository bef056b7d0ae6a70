#pragma once

#include <cstdint>

// Which part of the frame a draw call belongs to: the scene drawn into the off-screen image
// (grass, robot, arena, smoke), the post-processing pass into the window, or the HUD's text.
enum class DrawCallKind { Scene, PostProcessing, Hud };

// Running totals of the draw calls the game has issued since the program started, by kind.
// Every place that calls glDraw* counts its call here, so that the benchmark can tell how many
// a frame takes and a change that adds draws per object shows up.
struct DrawCallCounts {
    std::uint64_t scene = 0;
    std::uint64_t postProcessing = 0;
    std::uint64_t hud = 0;

    std::uint64_t total() const { return scene + postProcessing + hud; }
};

// Records one draw call of `kind`; call it next to the glDraw* call it counts.
void countDrawCall(DrawCallKind kind);
// The totals so far. The difference of two readings is what happened in between.
DrawCallCounts drawCallCounts();
// What was issued between two readings.
DrawCallCounts drawCallsBetween(const DrawCallCounts& before, const DrawCallCounts& after);
