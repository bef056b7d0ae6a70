#include <gtest/gtest.h>

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "render/Geometry.h"

namespace {
void expectVec3(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

glm::vec3 triangleNormal(const GeometryData& data, std::size_t firstIndex) {
    const glm::vec3& a = data.positions[data.indices[firstIndex]];
    const glm::vec3& b = data.positions[data.indices[firstIndex + 1]];
    const glm::vec3& c = data.positions[data.indices[firstIndex + 2]];
    return glm::cross(b - a, c - a);
}
}  // namespace

TEST(BoxGeometry, UnitBoxHasTheDocumentedLayout) {
    const GeometryData box = createBoxGeometry(1, 1, 1, 1, 1);
    ASSERT_EQ(box.positions.size(), 24u);
    ASSERT_EQ(box.normals.size(), 24u);
    ASSERT_EQ(box.uvs.size(), 24u);
    ASSERT_EQ(box.indices.size(), 36u);
    EXPECT_TRUE(isWellFormed(box));

    expectVec3(box.positions[0], {-0.5f, -0.5f, 0.5f});
    EXPECT_EQ(box.uvs[0], glm::vec2(0.0f, 0.0f));
    expectVec3(box.positions[4], {0.5f, -0.5f, -0.5f});
    EXPECT_EQ(box.uvs[4], glm::vec2(1.0f, 1.0f));
    // The top face starts at (0, V), the back face is turned by half a turn.
    EXPECT_EQ(box.uvs[16], glm::vec2(0.0f, 1.0f));
    EXPECT_EQ(box.uvs[6], glm::vec2(0.0f, 0.0f));
    EXPECT_EQ((std::vector<std::uint32_t>(box.indices.begin(), box.indices.begin() + 6)),
              (std::vector<std::uint32_t>{0, 1, 2, 2, 3, 0}));
}

TEST(BoxGeometry, TrianglesFaceOutwardsAndTextureScalesApply) {
    const GeometryData box = createBoxGeometry(4, 2, 6, 3, 5);
    for (std::size_t i = 0; i < box.indices.size(); i += 3) {
        const glm::vec3 faceNormal = box.normals[box.indices[i]];
        // Counter-clockwise seen from outside: the winding agrees with the stored normal.
        EXPECT_GT(glm::dot(triangleNormal(box, i), faceNormal), 0.0f) << "triangle " << i / 3;
        // Every vertex of the face lies on the face's outer plane.
        const glm::vec3 halfExtent(2, 1, 3);
        EXPECT_FLOAT_EQ(glm::dot(box.positions[box.indices[i]], faceNormal),
                        glm::dot(halfExtent, glm::abs(faceNormal)));
    }
    EXPECT_EQ(box.uvs[2], glm::vec2(3.0f, 5.0f));
}

TEST(SphereGeometry, GameBallCountsAndFirstValues) {
    const GeometryData sphere = createSphereGeometry(64, 32, 2.0f);
    ASSERT_EQ(sphere.positions.size(), 1986u);
    ASSERT_EQ(sphere.indices.size(), 11904u);
    EXPECT_TRUE(isWellFormed(sphere));
    EXPECT_EQ(sphere.indices[0], 0u);
    EXPECT_EQ(sphere.indices[1], 3u);
    EXPECT_EQ(sphere.indices[2], 2u);
    const float pi = 3.1415927f;
    expectVec3(sphere.positions[2], {2.0f * std::sin(pi / 32), 2.0f * std::cos(pi / 32), 0.0f});
    expectVec3(sphere.positions[0], {0, 2, 0});
    expectVec3(sphere.positions[1], {0, -2, 0});
    EXPECT_EQ(sphere.uvs[1], glm::vec2(0.0f, 1.0f));
}

TEST(SphereGeometry, EveryTriangleFacesOutwardAndNormalsAreUnit) {
    const GeometryData sphere = createSphereGeometry(12, 7, 3.0f);
    for (std::size_t i = 0; i < sphere.indices.size(); i += 3) {
        const glm::vec3 centroid =
            (sphere.positions[sphere.indices[i]] + sphere.positions[sphere.indices[i + 1]] +
             sphere.positions[sphere.indices[i + 2]]) /
            3.0f;
        EXPECT_GT(glm::dot(triangleNormal(sphere, i), centroid), 0.0f) << "triangle " << i / 3;
    }
    for (std::size_t v = 0; v < sphere.positions.size(); ++v) {
        EXPECT_NEAR(glm::length(sphere.positions[v]), 3.0f, 1e-5f);
        EXPECT_NEAR(glm::length(sphere.normals[v]), 1.0f, 1e-5f);
    }
}

TEST(SphereGeometry, TwoBandsGiveOneEquatorRingAndOnlyCaps) {
    const GeometryData sphere = createSphereGeometry(4, 2, 1.5f);
    ASSERT_EQ(sphere.positions.size(), 6u);
    EXPECT_EQ(sphere.indices.size(), 24u);
    EXPECT_TRUE(isWellFormed(sphere));
    for (std::size_t v = 2; v < 6; ++v) {
        EXPECT_NEAR(sphere.positions[v].y, 0.0f, 1e-6f);
        EXPECT_NEAR(glm::length(sphere.positions[v]), 1.5f, 1e-6f);
    }
}

TEST(SphereGeometry, TooFewSegmentsGiveAnEmptyMeshNotBadIndices) {
    EXPECT_TRUE(createSphereGeometry(2, 8, 1.0f).positions.empty());
    EXPECT_TRUE(createSphereGeometry(8, 1, 1.0f).indices.empty());
    EXPECT_TRUE(createSphereGeometry(0, 0, 1.0f).indices.empty());
    EXPECT_TRUE(isWellFormed(createSphereGeometry(3, 2, 1.0f)));
}

TEST(GeometryData, WellFormedNeedsMatchingArraysAndIndicesInRange) {
    GeometryData triangle;
    triangle.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    triangle.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    triangle.uvs = {{0, 0}, {1, 0}, {0, 1}};
    triangle.indices = {0, 1, 2};
    EXPECT_TRUE(isWellFormed(triangle));

    GeometryData pastTheEnd = triangle;
    pastTheEnd.indices = {0, 1, 3};
    EXPECT_FALSE(isWellFormed(pastTheEnd));

    GeometryData missingNormals = triangle;
    missingNormals.normals.pop_back();
    EXPECT_FALSE(isWellFormed(missingNormals));

    GeometryData missingUvs = triangle;
    missingUvs.uvs.clear();
    EXPECT_FALSE(isWellFormed(missingUvs));

    GeometryData partialTriangle = triangle;
    partialTriangle.indices = {0, 1};
    EXPECT_FALSE(isWellFormed(partialTriangle));

    EXPECT_TRUE(isWellFormed(GeometryData{}));
}

TEST(NormalMatrix, KeepsNormalsPerpendicularUnderNonUniformScale) {
    const glm::mat4 model = glm::rotate(glm::scale(glm::mat4(1.0f), glm::vec3(4.0f, 1.0f, 0.5f)),
                                        0.7f, glm::vec3(0.0f, 0.0f, 1.0f));
    // A slanted surface: its tangent and normal in object space.
    const glm::vec3 tangent = glm::normalize(glm::vec3(1.0f, 1.0f, 0.0f));
    const glm::vec3 normal = glm::normalize(glm::vec3(-1.0f, 1.0f, 0.0f));

    const glm::vec3 worldTangent = glm::vec3(model * glm::vec4(tangent, 0.0f));
    const glm::vec3 worldNormal = normalMatrixFor(model) * normal;
    EXPECT_NEAR(glm::dot(worldTangent, worldNormal), 0.0f, 1e-5f);
    // The plain upper 3x3 would tilt it.
    EXPECT_GT(std::abs(glm::dot(worldTangent, glm::mat3(model) * normal)), 0.1f);

    // Translation plays no part.
    const glm::mat4 moved = glm::translate(glm::mat4(1.0f), glm::vec3(5, 6, 7)) * model;
    const glm::mat3 a = normalMatrixFor(model);
    const glm::mat3 b = normalMatrixFor(moved);
    for (int c = 0; c < 3; ++c) expectVec3(a[c], b[c], 1e-5f);
}
