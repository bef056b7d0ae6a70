#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "effects/Framework.h"

// The reference mesh as uploaded, after the half turn about y: the handle now points to +x
// and the spout to -x, and z is mirrored (the pot is symmetric in z).
TEST(Teapot, CountsAndIndexPattern) {
    const auto positions = teapotPositions();
    const auto indices = teapotIndices();
    ASSERT_EQ(positions.size(), 512u);
    ASSERT_EQ(indices.size(), 1728u);
    EXPECT_EQ(indices.size() * sizeof(indices[0]), 6912u);
    // Patch 0, cell (0, 0) and the last cell of the last patch.
    EXPECT_EQ(std::vector<std::uint32_t>(indices.begin(), indices.begin() + 6),
              (std::vector<std::uint32_t>{0, 5, 4, 0, 1, 5}));
    const std::uint32_t last = 16 * 31 + 4 * 2 + 2;
    EXPECT_EQ(std::vector<std::uint32_t>(indices.end() - 6, indices.end()),
              (std::vector<std::uint32_t>{last, last + 5, last + 4, last, last + 1, last + 5}));
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 511u);
}

TEST(Teapot, BoundsAfterTheHalfTurn) {
    const auto positions = teapotPositions();
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f, minZ = 1e9f, maxZ = -1e9f;
    for (const auto& p : positions) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        minZ = std::min(minZ, p.z);
        maxZ = std::max(maxZ, p.z);
    }
    const float tolerance = 0.002f;
    EXPECT_NEAR(minY, -0.483f, tolerance);  // stands on its bottom
    EXPECT_NEAR(maxY, 0.399f, tolerance);   // top of the knob
    EXPECT_NEAR(minZ, -0.560f, tolerance);
    EXPECT_NEAR(maxZ, 0.560f, tolerance);
    EXPECT_NEAR(maxX, 0.851f, tolerance);   // handle, turned to +x
    EXPECT_NEAR(minX, -0.949f, tolerance);  // spout, turned to -x
}

TEST(Teapot, BodyIsRoundAboutItsAxis) {
    // Rim, body and bottom patches (the first 24) lie on surfaces of revolution about the
    // vertical line x = 0.011, z = 0 (after the half turn); the widest is the body at 0.560.
    const auto positions = teapotPositions();
    float widest = 0.0f;
    for (std::size_t i = 0; i < 24 * 16; ++i) {
        const float radius = std::hypot(positions[i].x - 0.011f, positions[i].z);
        widest = std::max(widest, radius);
    }
    EXPECT_NEAR(widest, 0.560f, 0.002f);
    // The four quadrant copies of a patch sample points at the same radius and height.
    for (std::size_t k = 0; k < 16; ++k) {
        const float r0 = std::hypot(positions[k].x - 0.011f, positions[k].z);
        for (std::size_t quarter = 1; quarter < 4; ++quarter) {
            const auto& q = positions[quarter * 16 + k];
            EXPECT_NEAR(std::hypot(q.x - 0.011f, q.z), r0, 1e-4f);
            EXPECT_NEAR(q.y, positions[k].y, 1e-5f);
        }
    }
}
