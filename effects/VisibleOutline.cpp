#include "effects/VisibleOutline.h"

#include <algorithm>
#include <cmath>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <limits>

namespace {
// Rounding in the cuts below may move a corner inwards by a few units of the last place; this
// keeps the polygon outside what it must contain.
constexpr float safetyMargin = 1.0e-5f;

// The part of a convex polygon where dot(p, normal) <= limit, in the same winding.
std::vector<glm::vec2> clipByHalfPlane(const std::vector<glm::vec2>& polygon, glm::vec2 normal,
                                       float limit) {
    std::vector<glm::vec2> kept;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const glm::vec2 a = polygon[i];
        const glm::vec2 b = polygon[(i + 1) % polygon.size()];
        const float aOutside = glm::dot(a, normal) - limit;
        const float bOutside = glm::dot(b, normal) - limit;
        if (aOutside <= 0.0f) kept.push_back(a);
        if ((aOutside < 0.0f && bOutside > 0.0f) || (aOutside > 0.0f && bOutside < 0.0f)) {
            kept.push_back(a + (b - a) * (aOutside / (aOutside - bOutside)));
        }
    }
    return kept;
}

struct Rect {
    glm::vec2 low;
    glm::vec2 high;
};
}  // namespace

std::vector<glm::vec2> fitVisibleOutline(const std::vector<TextureLevel>& levels, float alphaScale,
                                         int directions) {
    const std::vector<glm::vec2> square = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    if (levels.empty() || directions < 1) return square;

    std::vector<glm::vec2> normals;
    for (int k = 0; k < directions; ++k) {
        const double angle = 2.0 * 3.14159265358979323846 * k / directions;
        normals.emplace_back(static_cast<float>(std::cos(angle)),
                             static_cast<float>(std::sin(angle)));
    }
    std::vector<float> limits(normals.size(), -std::numeric_limits<float>::infinity());

    // The farthest point of the reach of every texel that counts, in each direction. The reach is
    // where bilinear filtering gives the texel a weight: up to one texel past its centre each
    // way. Repeating, a texel at one edge also reaches in from the opposite edge.
    const auto reachOut = [&](const Rect& reach) {
        for (std::size_t k = 0; k < normals.size(); ++k) {
            const glm::vec2 n = normals[k];
            const glm::vec2 corner(n.x > 0.0f ? reach.high.x : reach.low.x,
                                   n.y > 0.0f ? reach.high.y : reach.low.y);
            limits[k] = std::max(limits[k], glm::dot(corner, n));
        }
    };
    bool anyCounts = false;
    for (const TextureLevel& level : levels) {
        const float w = static_cast<float>(level.width);
        const float h = static_cast<float>(level.height);
        for (int y = 0; y < level.height; ++y) {
            for (int x = 0; x < level.width; ++x) {
                const float alpha = static_cast<float>(level.alphaAt(x, y)) / 255.0f;
                if (alpha * alphaScale < leastVisibleAlpha) continue;
                anyCounts = true;
                const Rect texelReach = {
                    {(static_cast<float>(x) - 0.5f) / w, (static_cast<float>(y) - 0.5f) / h},
                    {(static_cast<float>(x) + 1.5f) / w, (static_cast<float>(y) + 1.5f) / h}};
                for (int shiftY = -1; shiftY <= 1; ++shiftY) {
                    for (int shiftX = -1; shiftX <= 1; ++shiftX) {
                        const glm::vec2 shift(static_cast<float>(shiftX),
                                              static_cast<float>(shiftY));
                        const Rect inSquare = {glm::max(texelReach.low + shift, glm::vec2(0.0f)),
                                               glm::min(texelReach.high + shift, glm::vec2(1.0f))};
                        if (inSquare.low.x >= inSquare.high.x || inSquare.low.y >= inSquare.high.y)
                            continue;
                        reachOut(inSquare);
                    }
                }
            }
        }
    }
    if (!anyCounts) return {};

    std::vector<glm::vec2> outline = square;
    for (std::size_t k = 0; k < normals.size(); ++k) {
        outline = clipByHalfPlane(outline, normals[k], limits[k] + safetyMargin);
    }
    return outline;
}

float densestAlpha(const std::vector<TextureLevel>& levels) {
    if (levels.empty()) return 1.0f;
    int densest = 0;
    for (const TextureLevel& level : levels) {
        for (std::size_t i = 3; i < level.rgba.size(); i += 4) {
            densest = std::max(densest, static_cast<int>(level.rgba[i]));
        }
    }
    return static_cast<float>(densest) / 255.0f;
}

float outlineArea(const std::vector<glm::vec2>& outline) {
    float twiceArea = 0.0f;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const glm::vec2 a = outline[i];
        const glm::vec2 b = outline[(i + 1) % outline.size()];
        twiceArea += a.x * b.y - b.x * a.y;
    }
    return std::abs(twiceArea) / 2.0f;
}
