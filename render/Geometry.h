#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <memory>
#include <vector>

#include "render/GlHandle.h"

class Material;

// A mesh on the CPU: one position, normal and texture coordinate per vertex, and three
// indices per counter-clockwise triangle.
struct GeometryData {
    std::vector<glm::vec3> positions;
    std::vector<std::uint32_t> indices;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
};

// True when the three vertex arrays have one entry per vertex and every index names a
// vertex, so the GPU never reads past a buffer.
bool isWellFormed(const GeometryData& data);

// The GPU copy of a mesh: a vertex array with three tightly packed vertex buffers
// (location 0 position, 1 normal, 2 texture coordinate) and a 32-bit index buffer, all
// filled once. A mesh that is not well formed uploads nothing and draws nothing.
class MeshBuffers {
public:
    explicit MeshBuffers(const GeometryData& data);

    MeshBuffers(MeshBuffers&&) noexcept = default;
    MeshBuffers& operator=(MeshBuffers&&) noexcept = default;

    void bind() const { glBindVertexArray(vao.get()); }
    static void unbind() { glBindVertexArray(0); }
    // Draws every triangle of the bound mesh; bind() must come first.
    void drawElements() const;
    // Draws `instances` copies of the bound mesh in one call, each with the per-instance
    // attributes the caller has added to the vertex array; bind() must come first.
    void drawElementsInstanced(GLsizei instances) const;

    GLsizei getElementCount() const { return elementCount; }
    GLuint getVertexArray() const { return vao.get(); }

private:
    GlVertexArray vao;
    GlBuffer positionBuffer;
    GlBuffer normalBuffer;
    GlBuffer uvBuffer;
    GlBuffer indexBuffer;
    GLsizei elementCount = 0;
};

// The upper-left 3x3 of the inverse-transpose: turns object-space normals into world space,
// also under non-uniform scale.
glm::mat3 normalMatrixFor(const glm::mat4& modelMatrix);

// A drawable: one uploaded mesh, a shared material and a model matrix (object to world).
class Geometry {
public:
    Geometry(glm::mat4 modelMatrix, const GeometryData& data, std::shared_ptr<Material> material);

    // Uses the material's program, sets "modelMatrix", "normalMatrix" and the material's
    // uniforms, and draws. Camera and light uniforms must already be on the program.
    void draw() const;

    void resetModelMatrix();
    // Applies `transformation` after the current model matrix (in world space) and returns
    // the new model matrix.
    glm::mat4 transform(const glm::mat4& transformation);

    const glm::mat4& getModelMatrix() const { return modelMatrix; }
    const MeshBuffers& getMesh() const { return mesh; }
    const std::shared_ptr<Material>& getMaterial() const { return material; }

private:
    MeshBuffers mesh;
    std::shared_ptr<Material> material;
    glm::mat4 modelMatrix;
};

// A box centred on the origin with full extents width x height x depth; the texture repeats
// uScale times across and vScale times up each face. 24 vertices, 36 indices.
GeometryData createBoxGeometry(float width, float height, float depth, float uScale, float vScale);

// A UV sphere with `longitudeSegments` vertices per ring and `latitudeSegments` bands from
// pole to pole. Fewer than 3 segments or 2 bands give an empty mesh.
GeometryData createSphereGeometry(unsigned int longitudeSegments, unsigned int latitudeSegments,
                                  float radius);
