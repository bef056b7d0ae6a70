#pragma once

#include <array>

// The Utah teapot's bicubic Bezier patches (public-domain figures), in the compact form that
// lists each distinct control point once. See TeapotData.cpp for how the 32 patches arise.
constexpr int teapotInputPatchCount = 10;
constexpr int teapotRotatedPatchCount = 6;  // rim, upper body, lower body, knob, lid, bottom
constexpr int teapotControlPointCount = 129;

extern const std::array<std::array<int, 16>, teapotInputPatchCount> teapotInputPatches;
extern const std::array<std::array<float, 3>, teapotControlPointCount> teapotControlPoints;
