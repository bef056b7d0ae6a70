#include "render/ModelLoader.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <iostream>

namespace {
GeometryData processMesh(const aiMesh& mesh) {
    GeometryData data;
    const unsigned int vertexCount = mesh.mNumVertices;
    const bool hasNormals = mesh.mNormals != nullptr && vertexCount > 0;
    const bool hasUvs = mesh.mTextureCoords[0] != nullptr;
    data.positions.reserve(vertexCount);
    data.normals.reserve(vertexCount);
    data.uvs.reserve(vertexCount);
    for (unsigned int i = 0; i < vertexCount; ++i) {
        // A mesh without texture coordinates or normals still gets one per vertex, so the
        // vertex arrays always match.
        data.uvs.push_back(hasUvs
                               ? glm::vec2(mesh.mTextureCoords[0][i].x, mesh.mTextureCoords[0][i].y)
                               : glm::vec2(0.0f));
        data.positions.push_back({mesh.mVertices[i].x, mesh.mVertices[i].y, mesh.mVertices[i].z});
        data.normals.push_back(
            hasNormals ? glm::vec3(mesh.mNormals[i].x, mesh.mNormals[i].y, mesh.mNormals[i].z)
                       : glm::vec3(0.0f, 1.0f, 0.0f));
    }
    for (unsigned int f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        // Points and lines left over after triangulation are skipped.
        if (face.mNumIndices != 3) continue;
        data.indices.insert(data.indices.end(),
                            {face.mIndices[0], face.mIndices[1], face.mIndices[2]});
    }
    return data;
}

void processNode(const aiNode& node, const aiScene& scene, std::vector<GeometryData>& meshes) {
    for (unsigned int i = 0; i < node.mNumMeshes; ++i) {
        const unsigned int meshIndex = node.mMeshes[i];
        if (meshIndex < scene.mNumMeshes) meshes.push_back(processMesh(*scene.mMeshes[meshIndex]));
    }
    for (unsigned int i = 0; i < node.mNumChildren; ++i) {
        processNode(*node.mChildren[i], scene, meshes);
    }
}
}  // namespace

std::vector<GeometryData> loadModel(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile(path.c_str(), aiProcess_CalcTangentSpace | aiProcess_Triangulate |
                                            aiProcess_GenSmoothNormals | aiProcess_FlipUVs);
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 ||
        scene->mRootNode == nullptr) {
        std::cout << "ERROR::ASSIMP:: " << importer.GetErrorString() << std::endl;
        return {};
    }
    std::vector<GeometryData> meshes;
    processNode(*scene->mRootNode, *scene, meshes);
    return meshes;
}
