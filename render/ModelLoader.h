#pragma once

#include <string>
#include <vector>

#include "render/Geometry.h"

// Imports a model file (path relative to the working directory) and returns its meshes in
// node order, each node's own meshes before its children's, in the meshes' local
// coordinates. Only positions, triangles, normals and the first texture coordinates are
// taken. A file that cannot be imported prints "ERROR::ASSIMP:: " and the importer's reason,
// and gives an empty list.
std::vector<GeometryData> loadModel(const std::string& path);
