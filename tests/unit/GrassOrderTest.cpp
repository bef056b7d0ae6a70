#include <gtest/gtest.h>

#include <algorithm>
#include <glm/gtc/matrix_transform.hpp>
#include <vector>

#include "render/GrassField.h"

// The grass fields draw their standing tiles sorted by these keys.

TEST(GrassDrawOrder, NearestFirstWithTiesInIndexOrder) {
    const glm::vec3 viewpoint(0.0f, 10.0f, 0.0f);
    const std::vector<glm::vec3> centres = {
        {9.0f, 0.0f, 0.0f},   // 0: far
        {3.0f, 0.0f, 0.0f},   // 1: near
        {0.0f, 0.0f, -3.0f},  // 2: as near as 1
        {0.0f, 10.0f, 0.0f},  // 3: at the viewpoint itself
        {-6.0f, 0.0f, 0.0f},  // 4: between
        {0.0f, 0.0f, 3.0f},   // 5: as near as 1 and 2
    };
    std::vector<std::uint64_t> keys;
    // Given in reverse, so that the index order of the ties comes from the keys alone.
    for (std::uint32_t i = static_cast<std::uint32_t>(centres.size()); i-- > 0;) {
        keys.push_back(nearestFirstKey(centres[i], viewpoint, i));
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::uint32_t> order;
    for (std::uint64_t key : keys) order.push_back(keyIndex(key));
    EXPECT_EQ(order, (std::vector<std::uint32_t>{3, 1, 2, 5, 4, 0}));
}

TEST(GrassDrawOrder, KeysKeepTheWholeIndexAndOrderCloseDistancesFarAway) {
    // A thousand units away, a thousandth of a unit nearer still sorts first.
    const glm::vec3 viewpoint(1000.0f, 0.0f, 0.0f);
    const std::uint64_t nearer = nearestFirstKey({0.0f, 0.0f, 0.0f}, viewpoint, 7);
    const std::uint64_t farther = nearestFirstKey({-0.001f, 0.0f, 0.0f}, viewpoint, 0);
    EXPECT_LT(nearer, farther);
    EXPECT_EQ(keyIndex(nearer), 7u);
    EXPECT_EQ(keyIndex(farther), 0u);
    EXPECT_EQ(keyIndex(nearestFirstKey(viewpoint, viewpoint, 0xffffffffu)), 0xffffffffu);
}

TEST(GrassView, ABoxIsOutsideOnlyWhenWhollyBeyondOnePlaneOfTheView) {
    // Looking down -z from the origin, near 1, far 50, a square 90-degree view: at 10 units away
    // it reaches 10 units to each side.
    const glm::mat4 view = glm::perspective(glm::radians(90.0f), 1.0f, 1.0f, 50.0f);
    const struct {
        glm::vec3 centre;
        float half;
        bool outside;
    } cases[] = {
        {{0.0f, 0.0f, -10.0f}, 0.5f, false},   // straight ahead
        {{11.2f, 0.0f, -10.0f}, 0.5f, true},   // right of the view
        {{-11.2f, 0.0f, -10.0f}, 0.5f, true},  // left
        {{0.0f, 11.2f, -10.0f}, 0.5f, true},   // above
        {{0.0f, -11.2f, -10.0f}, 0.5f, true},  // below
        {{10.6f, 0.0f, -10.0f}, 0.5f, false},  // cut by the right plane
        {{0.0f, 0.0f, 10.0f}, 0.5f, true},     // behind the eye
        {{3.0f, 0.0f, 0.6f}, 0.5f, true},      // beside the eye, just behind it
        {{0.0f, 0.0f, -0.3f}, 0.5f, true},     // between the eye and the near plane
        {{0.0f, 0.0f, -1.2f}, 0.5f, false},    // cut by the near plane
        {{0.0f, 0.0f, 0.0f}, 0.5f, true},      // holds the eye, short of the near plane
        {{0.0f, 0.0f, 0.0f}, 2.0f, false},     // holds the eye and reaches past the near plane
        {{0.0f, 0.0f, -50.6f}, 0.5f, true},    // beyond the far plane
        {{0.0f, 0.0f, -50.4f}, 0.5f, false},   // cut by the far plane
    };
    for (const auto& c : cases) {
        const glm::mat4 clipFromBox = view * glm::translate(glm::mat4(1.0f), c.centre);
        EXPECT_EQ(boxOutsideView(clipFromBox, glm::vec3(-c.half), glm::vec3(c.half)), c.outside)
            << c.centre.x << ", " << c.centre.y << ", " << c.centre.z << " +- " << c.half;
    }
}
