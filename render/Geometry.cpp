#include "render/Geometry.h"

#include <cmath>
#include <glm/gtc/matrix_inverse.hpp>

#include "render/DrawCalls.h"
#include "render/Material.h"
#include "render/Shader.h"

bool isWellFormed(const GeometryData& data) {
    const std::size_t vertexCount = data.positions.size();
    if (data.normals.size() != vertexCount || data.uvs.size() != vertexCount) return false;
    if (data.indices.size() % 3 != 0) return false;
    for (std::uint32_t index : data.indices) {
        if (index >= vertexCount) return false;
    }
    return true;
}

namespace {
template <typename T>
GlBuffer uploadBuffer(GLenum target, const std::vector<T>& values) {
    GlBuffer buffer = GlBuffer::create();
    glBindBuffer(target, buffer.get());
    glBufferData(target, static_cast<GLsizeiptr>(values.size() * sizeof(T)), values.data(),
                 GL_STATIC_DRAW);
    return buffer;
}

GlBuffer uploadAttribute(GLuint location, GLint components, const void* data, std::size_t bytes) {
    GlBuffer buffer = GlBuffer::create();
    glBindBuffer(GL_ARRAY_BUFFER, buffer.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    return buffer;
}
}  // namespace

MeshBuffers::MeshBuffers(const GeometryData& data) : vao(GlVertexArray::create()) {
    if (!isWellFormed(data)) return;
    elementCount = static_cast<GLsizei>(data.indices.size());

    glBindVertexArray(vao.get());
    positionBuffer =
        uploadAttribute(0, 3, data.positions.data(), data.positions.size() * sizeof(glm::vec3));
    normalBuffer =
        uploadAttribute(1, 3, data.normals.data(), data.normals.size() * sizeof(glm::vec3));
    uvBuffer = uploadAttribute(2, 2, data.uvs.data(), data.uvs.size() * sizeof(glm::vec2));
    indexBuffer = uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, data.indices);
    // Unbind the vertex array first: it keeps its element buffer only if that stays bound
    // while the array is current.
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void MeshBuffers::drawElements() const {
    if (elementCount == 0) return;
    glDrawElements(GL_TRIANGLES, elementCount, GL_UNSIGNED_INT, nullptr);
    countDrawCall(DrawCallKind::Scene);
}

void MeshBuffers::drawElementsInstanced(GLsizei instances) const {
    if (elementCount == 0 || instances <= 0) return;
    glDrawElementsInstanced(GL_TRIANGLES, elementCount, GL_UNSIGNED_INT, nullptr, instances);
    countDrawCall(DrawCallKind::Scene);
}

glm::mat3 normalMatrixFor(const glm::mat4& modelMatrix) {
    return glm::mat3(glm::transpose(glm::inverse(modelMatrix)));
}

Geometry::Geometry(glm::mat4 initialModelMatrix, const GeometryData& data,
                   std::shared_ptr<Material> sharedMaterial)
    : mesh(data), material(std::move(sharedMaterial)), modelMatrix(initialModelMatrix) {}

void Geometry::draw() const {
    Shader* shader = material->getShader();
    shader->use();
    shader->setUniform("modelMatrix", modelMatrix);
    shader->setUniform("normalMatrix", normalMatrixFor(modelMatrix));
    material->setUniforms();
    mesh.bind();
    mesh.drawElements();
    MeshBuffers::unbind();
}

void Geometry::resetModelMatrix() {
    modelMatrix = glm::mat4(1.0f);
}

glm::mat4 Geometry::transform(const glm::mat4& transformation) {
    modelMatrix = transformation * modelMatrix;
    return modelMatrix;
}

GeometryData createBoxGeometry(float width, float height, float depth, float uScale, float vScale) {
    const float w = width / 2.0f;
    const float h = height / 2.0f;
    const float d = depth / 2.0f;
    const float u = uScale;
    const float v = vScale;

    struct Face {
        glm::vec3 normal;
        glm::vec3 corners[4];
        glm::vec2 uvs[4];
    };
    const Face faces[6] = {
        {{0, 0, 1},
         {{-w, -h, d}, {w, -h, d}, {w, h, d}, {-w, h, d}},
         {{0, 0}, {u, 0}, {u, v}, {0, v}}},
        {{0, 0, -1},
         {{w, -h, -d}, {-w, -h, -d}, {-w, h, -d}, {w, h, -d}},
         {{u, v}, {0, v}, {0, 0}, {u, 0}}},
        {{1, 0, 0},
         {{w, -h, d}, {w, -h, -d}, {w, h, -d}, {w, h, d}},
         {{0, 0}, {u, 0}, {u, v}, {0, v}}},
        {{-1, 0, 0},
         {{-w, -h, -d}, {-w, -h, d}, {-w, h, d}, {-w, h, -d}},
         {{0, 0}, {u, 0}, {u, v}, {0, v}}},
        {{0, 1, 0},
         {{-w, h, -d}, {-w, h, d}, {w, h, d}, {w, h, -d}},
         {{0, v}, {0, 0}, {u, 0}, {u, v}}},
        {{0, -1, 0},
         {{-w, -h, -d}, {w, -h, -d}, {w, -h, d}, {-w, -h, d}},
         {{0, 0}, {u, 0}, {u, v}, {0, v}}},
    };

    GeometryData data;
    for (std::uint32_t f = 0; f < 6; ++f) {
        for (int corner = 0; corner < 4; ++corner) {
            data.positions.push_back(faces[f].corners[corner]);
            data.normals.push_back(faces[f].normal);
            data.uvs.push_back(faces[f].uvs[corner]);
        }
        const std::uint32_t b = 4 * f;
        data.indices.insert(data.indices.end(), {b, b + 1, b + 2, b + 2, b + 3, b});
    }
    return data;
}

GeometryData createSphereGeometry(unsigned int longitudeSegments, unsigned int latitudeSegments,
                                  float radius) {
    GeometryData data;
    const std::uint32_t n = longitudeSegments;
    const std::uint32_t m = latitudeSegments;
    if (n < 3 || m < 2) return data;

    const float pi = 3.1415927f;
    const float r = radius;

    data.positions.push_back({0.0f, r, 0.0f});
    data.normals.push_back({0.0f, 1.0f, 0.0f});
    data.uvs.push_back({0.0f, 0.0f});
    data.positions.push_back({0.0f, -r, 0.0f});
    data.normals.push_back({0.0f, -1.0f, 0.0f});
    data.uvs.push_back({0.0f, 1.0f});

    // The caps first: the north pole fans to the first ring, the last ring to the south pole.
    const std::uint32_t lastRing = 2 + (m - 2) * n;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t next = (i + 1) % n;
        data.indices.insert(data.indices.end(), {0, 2 + next, 2 + i});
        data.indices.insert(data.indices.end(), {lastRing + i, lastRing + next, 1});
    }

    for (std::uint32_t k = 1; k < m; ++k) {
        const float theta = static_cast<float>(k) * pi / static_cast<float>(m);
        const float sinTheta = static_cast<float>(std::sin(static_cast<double>(theta)));
        const float cosTheta = static_cast<float>(std::cos(static_cast<double>(theta)));
        for (std::uint32_t j = 0; j < n; ++j) {
            const float phi = static_cast<float>(2 * j) * pi / static_cast<float>(n);
            const float sinPhi = static_cast<float>(std::sin(static_cast<double>(phi)));
            const float cosPhi = static_cast<float>(std::cos(static_cast<double>(phi)));
            const glm::vec3 position(cosPhi * (sinTheta * r), cosTheta * r,
                                     sinPhi * (sinTheta * r));
            data.positions.push_back(position);
            data.normals.push_back(position / glm::length(position));
            data.uvs.push_back({phi / 6.2831855f, theta / pi});

            if (k >= 2) {
                const std::uint32_t previous = 2 + (k - 2) * n;
                const std::uint32_t current = previous + n;
                const std::uint32_t nextSlot = (j + 1) % n;
                data.indices.insert(data.indices.end(),
                                    {current + j, previous + nextSlot, current + nextSlot});
                data.indices.insert(data.indices.end(),
                                    {previous + nextSlot, current + j, previous + j});
            }
        }
    }
    return data;
}
