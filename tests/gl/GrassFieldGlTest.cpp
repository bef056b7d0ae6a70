#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <memory>

#include "physics/PhysicsWorld.h"
#include "render/GlHandle.h"
#include "render/GrassField.h"
#include "render/Material.h"
#include "render/Shader.h"
#include "tests/gl/GlTestContext.h"

namespace {

const char* vertexSource = R"(#version 430 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
uniform mat4 modelMatrix;
uniform mat3 normalMatrix;
out vec3 worldNormal;
void main() {
    worldNormal = normalMatrix * normal;
    gl_Position = modelMatrix * vec4(position * 0.01, 1.0);
}
)";

const char* fragmentSource = R"(#version 430 core
in vec3 worldNormal;
uniform vec3 materialCoefficients;
uniform float specularAlpha;
out vec4 colour;
void main() { colour = vec4(materialCoefficients * specularAlpha + 0.0 * worldNormal, 1.0); }
)";

constexpr int trianglesPerBox = 12;

// A field of rows x columns tiles on a fresh physics world, drawn with a plain program; every
// draw is counted in triangles, so the tests see exactly which tiles were drawn.
class GrassFieldGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        initPhysics();
        material = std::make_shared<Material>(
            std::shared_ptr<Shader>(Shader::fromSource(vertexSource, fragmentSource)),
            glm::vec3(0.1f, 0.7f, 0.02f), 8.0f);
    }
    void TearDown() override { shutdownPhysics(); }

    std::unique_ptr<GrassField> makeField(int rows, int columns, int matrixRows = -1) {
        TileGrid tiles;
        MatrixGrid matrices;
        for (int r = 0; r < rows; ++r) {
            tiles.emplace_back();
            if (matrixRows < 0 || r < matrixRows) matrices.emplace_back();
            for (int c = 0; c < columns; ++c) {
                const glm::vec3 at(r * 3.0f, 1.5f, c * 3.0f);
                tiles.back().emplace_back(at, glm::vec3(1.5f, 1.0f, 1.5f), gPhysics);
                if (matrixRows < 0 || r < matrixRows) {
                    matrices.back().push_back(glm::translate(glm::mat4(1.0f), at * 0.01f));
                }
            }
        }
        return std::make_unique<GrassField>(std::move(matrices), std::move(tiles),
                                            createBoxGeometry(1.5f, 1.5f, 1.5f, 1.0f, 1.0f),
                                            material);
    }

    // Draws the field and returns its result; `triangles` gets what reached the pipeline.
    bool drawCounting(const GrassField& field, GLuint& triangles) {
        GLuint query = 0;
        glGenQueries(1, &query);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        const bool cleared = field.draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);
        glDeleteQueries(1, &query);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return cleared;
    }

    static void mow(const GrassTile& tile) {
        TriggerPair pair{tile.actor, nullptr};
        gSimulationEvents.onTrigger(&pair, 1);
    }

    std::shared_ptr<Material> material;
};

}  // namespace

TEST_F(GrassFieldGlTest, DrawsEveryStandingTileUntilTheLastIsMown) {
    auto field = makeField(3, 4);
    GLuint triangles = 0;
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 12u * trianglesPerBox);

    // The physics events mow a tile through its trigger, which the field's grid shares.
    const TileGrid& tiles = field->getTiles();
    mow(tiles[1][2]);
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 11u * trianglesPerBox);

    for (auto& row : tiles) {
        for (const GrassTile& tile : row) {
            if (&tile != &tiles[2][3]) mow(tile);
        }
    }
    EXPECT_FALSE(drawCounting(*field, triangles));  // one tile left
    EXPECT_EQ(triangles, 1u * trianglesPerBox);

    mow(tiles[2][3]);
    EXPECT_TRUE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 0u);
    EXPECT_TRUE(drawCounting(*field, triangles));  // and it stays cleared
}

TEST_F(GrassFieldGlTest, AnEmptyGridDrawsNothingAndCountsAsCleared) {
    auto field = makeField(0, 0);
    GLuint triangles = 1;
    EXPECT_TRUE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 0u);
}

TEST_F(GrassFieldGlTest, TilesWithoutAMatrixAreNotDrawnButStillCount) {
    auto field = makeField(3, 2, 2);  // the last row has no matrices
    GLuint triangles = 0;
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 4u * trianglesPerBox);
    const TileGrid& tiles = field->getTiles();
    for (int r = 0; r < 2; ++r) {
        for (const GrassTile& tile : tiles[r]) mow(tile);
    }
    // The undrawable row still stands: the field is not cleared.
    EXPECT_FALSE(drawCounting(*field, triangles));
    EXPECT_EQ(triangles, 0u);
}
