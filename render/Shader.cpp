#include "render/Shader.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "app/Fatal.h"

namespace {
const std::string shaderFolder = "assets/shader/";

std::string readInfoLog(GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram) {
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    } else {
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    }
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length));
    if (isProgram) {
        glGetProgramInfoLog(object, length, nullptr, buffer.data());
    } else {
        glGetShaderInfoLog(object, length, nullptr, buffer.data());
    }
    return std::string(buffer.data());
}

// The source with `definitions` after its #version line (which must come first), then a #line
// directive that gives the next line its number in the file again.
std::string withDefinitions(const std::string& source, const std::string& definitions) {
    if (definitions.empty()) return source;
    const std::size_t version = source.find("#version");
    std::size_t end = version == std::string::npos ? 0 : source.find('\n', version);
    end = end == std::string::npos ? source.size() : end + 1;
    std::string text = source.substr(0, end);
    if (!text.empty() && text.back() != '\n') text += '\n';
    const auto nextLine = std::count(text.begin(), text.end(), '\n') + 1;
    return text + definitions + "#line " + std::to_string(nextLine) + "\n" + source.substr(end);
}
}  // namespace

Shader::Shader(std::string vertexFileName, std::string fragmentFileName,
               std::string sourceDefinitions)
    : vertexShaderName(std::move(vertexFileName)),
      fragmentShaderName(std::move(fragmentFileName)),
      definitions(std::move(sourceDefinitions)),
      fromSource_(false) {
    linkProgram();
}

Shader::Shader(SourceMode, std::string vertexSource, std::string fragmentSource)
    : vertexShaderName(std::move(vertexSource)),
      fragmentShaderName(std::move(fragmentSource)),
      fromSource_(true) {
    linkProgram();
}

std::unique_ptr<Shader> Shader::fromSource(std::string vertexSource, std::string fragmentSource) {
    return std::unique_ptr<Shader>(
        new Shader(SourceMode{}, std::move(vertexSource), std::move(fragmentSource)));
}

Shader::~Shader() {
    glUseProgram(0);
    glDeleteProgram(program);
}

void Shader::use() const {
    glUseProgram(program);
}

void Shader::unuse() {
    glUseProgram(0);
}

void Shader::linkProgram() {
    GLuint vertexStage = 0;
    GLuint fragmentStage = 0;
    compileShader(GL_VERTEX_SHADER, vertexStage, vertexShaderName);
    compileShader(GL_FRAGMENT_SHADER, fragmentStage, fragmentShaderName);

    GLuint linked = glCreateProgram();
    glAttachShader(linked, vertexStage);
    glAttachShader(linked, fragmentStage);
    glLinkProgram(linked);
    GLint status = 0;
    glGetProgramiv(linked, GL_LINK_STATUS, &status);
    if (status == 0) {
        const std::string log = readInfoLog(linked, true);
        glDeleteProgram(linked);
        glDeleteShader(vertexStage);
        glDeleteShader(fragmentStage);
        fatalStop("Failed to link shader program:\n" + log);
    }
    glDetachShader(linked, vertexStage);
    glDetachShader(linked, fragmentStage);
    glDeleteShader(vertexStage);
    glDeleteShader(fragmentStage);
    program = linked;
}

bool Shader::compileShader(GLenum type, GLuint& stage, const std::string& nameOrSource) const {
    std::string source;
    if (fromSource_) {
        source = nameOrSource;
    } else {
        const std::string path = shaderFolder + nameOrSource;
        std::ifstream file(path);
        if (!file.good()) fatalStop("Couldn't open shader file: " + path);
        source.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        source = withDefinitions(source, definitions);
    }

    stage = glCreateShader(type);
    if (stage == 0) fatalStop("Failed to create " + std::to_string(type));

    const char* text = source.c_str();
    glShaderSource(stage, 1, &text, nullptr);
    glCompileShader(stage);
    GLint status = 0;
    glGetShaderiv(stage, GL_COMPILE_STATUS, &status);
    if (status != 0 && glIsShader(stage)) return true;

    const std::string log = readInfoLog(stage, false);
    glDeleteShader(stage);
    fatalStop("Failed to compile shader: " + nameOrSource + "\n" + log);
}

GLint Shader::getUniformLocation(const std::string& name) {
    auto found = uniformLocations.find(name);
    if (found != uniformLocations.end()) return found->second;
    const GLint location = glGetUniformLocation(program, name.c_str());
    ++locationQueries;
    uniformLocations.emplace(name, location);
    return location;
}

void Shader::setUniform(const std::string& name, int value) {
    const GLint location = getUniformLocation(name);
    if (location != -1) glUniform1i(location, value);
}

void Shader::setUniform(const std::string& name, float value) {
    const GLint location = getUniformLocation(name);
    if (location != -1) glUniform1f(location, value);
}

void Shader::setUniform(const std::string& name, const glm::mat4& value) {
    const GLint location = getUniformLocation(name);
    if (location != -1) glUniformMatrix4fv(location, 1, GL_FALSE, &value[0][0]);
}

void Shader::setUniform(const std::string& name, const glm::mat3& value) {
    const GLint location = getUniformLocation(name);
    if (location != -1) glUniformMatrix3fv(location, 1, GL_FALSE, &value[0][0]);
}

void Shader::setUniform(const std::string& name, const glm::vec3& value) {
    const GLint location = getUniformLocation(name);
    if (location != -1) glUniform3f(location, value.x, value.y, value.z);
}
