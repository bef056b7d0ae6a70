#pragma once

#include <cstddef>
#include <glm/vec2.hpp>
#include <vector>

#include "render/Texture.h"

// Where a blended, alpha-textured quad can change the picture, so that it is drawn over no more
// than that.

// A fragment blended with less alpha than half a level of 255 cannot move any 8-bit colour
// channel by one level: it changes nothing in the picture.
constexpr float leastVisibleAlpha = 0.5f / 255.0f;

// The convex polygon, in texture coordinates inside the unit square and counter-clockwise,
// outside which every bilinear sample of the given levels (repeating at the edges) has an alpha
// below leastVisibleAlpha once scaled by alphaScale. It is the unit square cut by `directions`
// half-planes at evenly spread angles from the +u axis, each pushed out just far enough to keep
// every texel that counts together with the square around it that its filtering reaches (one
// texel each way): four directions give the bounding rectangle, eight an octagon. Empty when no
// texel counts; the whole square when there are no levels.
std::vector<glm::vec2> fitVisibleOutline(const std::vector<TextureLevel>& levels, float alphaScale,
                                         int directions);

// The largest alpha of the levels, 0 to 1; 1 when there are none (nothing is known about what
// gets sampled).
float densestAlpha(const std::vector<TextureLevel>& levels);

// The polygon's area, for the figures: what share of the square a quad drawn over it covers.
float outlineArea(const std::vector<glm::vec2>& outline);
