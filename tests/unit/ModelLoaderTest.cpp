#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "render/ModelLoader.h"

namespace {
class ModelFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() /
            ("tessel-models-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string write(const std::string& name, const std::string& content) {
        const std::filesystem::path path = folder / name;
        std::ofstream(path) << content;
        return path.string();
    }

    std::filesystem::path folder;
};

// Three objects, one triangle each, told apart by their x position.
const char* threeObjects =
    "o first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n"
    "o second\nv 10 0 0\nv 11 0 0\nv 10 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 4/4 5/5 6/6\n"
    "o third\nv 20 0 0\nv 21 0 0\nv 20 1 0\nvt 0 0\nvt 1 0\nvt 0 0.25\nf 7/7 8/8 9/9\n";

// Two one-triangle meshes in a node hierarchy: the parent node holds mesh 1, its child
// (moved by a translation that the import must not apply) holds mesh 0. The buffer is nine
// floats per triangle: mesh 0 at x = 5, mesh 1 at x = 7.
std::string hierarchyGltf() {
    return R"({
  "asset": {"version": "2.0"},
  "scene": 0,
  "scenes": [{"nodes": [0]}],
  "nodes": [
    {"name": "parent", "mesh": 1, "children": [1]},
    {"name": "child", "mesh": 0, "translation": [100, 0, 0]}
  ],
  "meshes": [
    {"primitives": [{"attributes": {"POSITION": 0}}]},
    {"primitives": [{"attributes": {"POSITION": 1}}]}
  ],
  "accessors": [
    {"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
     "min": [5, 0, 0], "max": [6, 1, 0]},
    {"bufferView": 1, "componentType": 5126, "count": 3, "type": "VEC3",
     "min": [7, 0, 0], "max": [8, 1, 0]}
  ],
  "bufferViews": [
    {"buffer": 0, "byteOffset": 0, "byteLength": 36},
    {"buffer": 0, "byteOffset": 36, "byteLength": 36}
  ],
  "buffers": [{"byteLength": 72, "uri": "data:application/octet-stream;base64,)" +
           std::string(
               "AACgQAAAAAAAAAAAAADAQAAAAAAAAAAAAACgQAAAgD8AAAAAAADgQAAAAAAAAAAAAAAAQQAAAAAAAAAAAAD"
               "gQAAAgD8AAAAA") +
           R"("}]
})";
}
}  // namespace

TEST_F(ModelFiles, ObjectsComeOutInFileOrderWithNormalsAndFlippedUvs) {
    const auto meshes = loadModel(write("three.obj", threeObjects));
    ASSERT_EQ(meshes.size(), 3u);
    for (std::size_t m = 0; m < 3; ++m) {
        ASSERT_EQ(meshes[m].positions.size(), 3u);
        EXPECT_EQ(meshes[m].positions[0].x, 10.0f * static_cast<float>(m)) << "mesh " << m;
        EXPECT_EQ(meshes[m].indices.size(), 3u);
        EXPECT_TRUE(isWellFormed(meshes[m]));
        // Normals are made for a file without any: the triangle faces +z.
        EXPECT_NEAR(meshes[m].normals[0].z, 1.0f, 1e-5f);
    }
    // v is flipped on import: 0.25 in the file becomes 0.75.
    EXPECT_NEAR(meshes[2].uvs[2].y, 0.75f, 1e-6f);
}

TEST_F(ModelFiles, AQuadFaceBecomesTwoTriangles) {
    const auto meshes =
        loadModel(write("quad.obj",
                        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                        "f 1/1 2/2 3/3 4/4\n"));
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(meshes[0].indices.size(), 6u);
    EXPECT_TRUE(isWellFormed(meshes[0]));
}

TEST_F(ModelFiles, MeshesWithoutTextureCoordinatesStillMatchTheirVertices) {
    const auto meshes = loadModel(write("bare.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_TRUE(isWellFormed(meshes[0]));
    EXPECT_EQ(meshes[0].uvs.size(), meshes[0].positions.size());
}

TEST_F(ModelFiles, ParentMeshesComeBeforeChildMeshesAndNodeTransformsAreIgnored) {
    const auto meshes = loadModel(write("tree.gltf", hierarchyGltf()));
    ASSERT_EQ(meshes.size(), 2u);
    ASSERT_FALSE(meshes[0].positions.empty());
    ASSERT_FALSE(meshes[1].positions.empty());
    EXPECT_EQ(meshes[0].positions[0].x, 7.0f);  // the parent's mesh 1
    EXPECT_EQ(meshes[1].positions[0].x, 5.0f);  // the child's mesh 0, not moved by 100
}

TEST_F(ModelFiles, AMissingFileIsReportedAndGivesNoMeshes) {
    ::testing::internal::CaptureStdout();
    const auto meshes = loadModel((folder / "nowhere.obj").string());
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(meshes.empty());
    EXPECT_EQ(output.rfind("ERROR::ASSIMP:: ", 0), 0u) << output;
    EXPECT_EQ(output.back(), '\n');
}

// The robot and wheel the game ships: the piece order and sizes the robot's physics needs.
TEST(ShippedModels, RobotHasCarriersAroundTheBodyAndTheWheelReachesTheGround) {
    const auto robot = loadModel("assets/objects/roboterWheelCentered.obj");
    ASSERT_GE(robot.size(), 3u);
    auto bounds = [](const GeometryData& mesh) {
        glm::vec3 low(1e9f), high(-1e9f);
        for (const auto& p : mesh.positions) {
            low = glm::min(low, p);
            high = glm::max(high, p);
        }
        return std::make_pair(low, high);
    };
    EXPECT_LT(bounds(robot[0]).second.x, 0.0f);  // left carrier
    EXPECT_GT(bounds(robot[2]).first.x, 0.0f);   // right carrier
    const auto body = bounds(robot[1]);
    EXPECT_LT(body.first.x, 0.0f);
    EXPECT_GT(body.second.x, 0.0f);
    // The body stands on the ground, 0.6 below the drawn origin; only its axle stubs reach
    // into the wheels at x = +-2.7.
    EXPECT_NEAR(body.first.y, -0.6f, 1e-4f);
    EXPECT_LT(body.second.x, 2.7f);
    for (const auto& mesh : robot) EXPECT_TRUE(isWellFormed(mesh));

    const auto wheel = loadModel("assets/objects/wheel.obj");
    ASSERT_EQ(wheel.size(), 1u);
    EXPECT_TRUE(isWellFormed(wheel[0]));
    // Wheel centre 0.5 above the carrier origin: radius 1.1 touches y = -0.6.
    const auto rim = bounds(wheel[0]);
    EXPECT_NEAR(rim.first.y + 0.5f, -0.6f, 1e-4f);
    EXPECT_NEAR(rim.second.z, 1.1f, 1e-4f);
}

// Files the importer refuses are reported here; junk it reads as an OBJ without objects gives an
// empty list silently, and the scene then reports the meshes it lacks.
TEST_F(ModelFiles, EmptyAndJunkFilesGiveNoMeshes) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    const std::pair<const char*, std::string> files[] = {
        {"empty.obj", ""},
        {"junk.obj", junk},
        {"junk.bin", junk},
        {"only_comments.obj", "# nothing here\n# at all\n"},
    };
    for (const auto& [name, content] : files) {
        ::testing::internal::CaptureStdout();
        const auto meshes = loadModel(write(name, content));
        const std::string output = ::testing::internal::GetCapturedStdout();
        EXPECT_TRUE(meshes.empty()) << name;
        EXPECT_TRUE(output.empty() || output.rfind("ERROR::ASSIMP:: ", 0) == 0)
            << name << ": " << output;
    }
}

TEST_F(ModelFiles, FacesPointingPastTheListsNeverGiveIndicesPastTheVertices) {
    // Faces that name vertices, texture coordinates or normals the file does not have, and a
    // file whose texture coordinates and normals are there but not used.
    const std::pair<const char*, std::string> files[] = {
        {"past_vertices.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n"},
        {"past_uvs.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/7 3/8\n"},
        {"past_normals.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//4 3//5\n"},
        {"negative.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -7\n"},
        {"unused_extras.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1 2 3\n"},
    };
    for (const auto& [name, content] : files) {
        ::testing::internal::CaptureStdout();
        const auto meshes = loadModel(write(name, content));
        const std::string output = ::testing::internal::GetCapturedStdout();
        if (meshes.empty()) {
            EXPECT_EQ(output.rfind("ERROR::ASSIMP:: ", 0), 0u) << name << ": " << output;
        }
        for (const GeometryData& mesh : meshes) EXPECT_TRUE(isWellFormed(mesh)) << name;
    }
}
