#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <memory>
#include <string>
#include <unordered_map>

// One linked program of a vertex and a fragment stage. Built once in the constructor; any
// failure while building is a fatal stop (message, console wait, exit code 1). Uniform
// locations are looked up by name once per program and cached, -1 included.
class Shader {
public:
    // File mode: both names are relative to "assets/shader/". `definitions`, whole lines of
    // preprocessor definitions, go into both stages after their #version line; messages keep the
    // files' line numbers.
    Shader(std::string vertexFileName, std::string fragmentFileName, std::string definitions = "");
    // Source mode: both strings are GLSL source text.
    static std::unique_ptr<Shader> fromSource(std::string vertexSource, std::string fragmentSource);

    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;
    ~Shader();

    void use() const;
    static void unuse();

    GLuint getProgram() const { return program; }
    GLint getUniformLocation(const std::string& name);

    void setUniform(const std::string& name, int value);
    void setUniform(const std::string& name, float value);
    void setUniform(const std::string& name, const glm::mat4& value);
    void setUniform(const std::string& name, const glm::mat3& value);
    void setUniform(const std::string& name, const glm::vec3& value);

    // How many times this program asked GL for a uniform location (one per distinct name).
    std::size_t locationQueryCount() const { return locationQueries; }

private:
    struct SourceMode {};
    Shader(SourceMode, std::string vertexSource, std::string fragmentSource);

    void linkProgram();
    bool compileShader(GLenum type, GLuint& stage, const std::string& nameOrSource) const;

    GLuint program = 0;
    std::string vertexShaderName;
    std::string fragmentShaderName;
    std::string definitions;
    bool fromSource_ = false;
    std::unordered_map<std::string, GLint> uniformLocations;
    std::size_t locationQueries = 0;
};
