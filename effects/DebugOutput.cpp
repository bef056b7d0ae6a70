#include "effects/DebugOutput.h"

#include <iostream>

namespace {
// The older AMD debug-output categories share the core tables; their values are fixed by the
// extension, and GLEW's core-profile headers may lack the names.
constexpr GLenum categoryApiErrorAmd = 0x9149;
constexpr GLenum categoryWindowSystemAmd = 0x914A;
constexpr GLenum categoryDeprecationAmd = 0x914B;
constexpr GLenum categoryUndefinedBehaviorAmd = 0x914C;
constexpr GLenum categoryPerformanceAmd = 0x914D;
constexpr GLenum categoryShaderCompilerAmd = 0x914E;
constexpr GLenum categoryApplicationAmd = 0x914F;
constexpr GLenum categoryOtherAmd = 0x9150;

const char* sourceName(GLenum source) {
    switch (source) {
        case GL_DEBUG_SOURCE_API:
        case categoryApiErrorAmd:
            return "API";
        case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
        case categoryWindowSystemAmd:
            return "Window System";
        case GL_DEBUG_SOURCE_SHADER_COMPILER:
        case categoryShaderCompilerAmd:
            return "Shader Compiler";
        case GL_DEBUG_SOURCE_THIRD_PARTY:
            return "Third Party";
        case GL_DEBUG_SOURCE_APPLICATION:
        case categoryApplicationAmd:
            return "Application";
        case GL_DEBUG_SOURCE_OTHER:
        case categoryOtherAmd:
            return "Other";
        default:
            return "Unknown";
    }
}

const char* typeName(GLenum type) {
    switch (type) {
        case GL_DEBUG_TYPE_ERROR:
            return "Error";
        case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
        case categoryDeprecationAmd:
            return "Deprecated Behavior";
        case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
        case categoryUndefinedBehaviorAmd:
            return "Undefined Behavior";
        case GL_DEBUG_TYPE_PORTABILITY:
            return "Portability";
        case GL_DEBUG_TYPE_PERFORMANCE:
        case categoryPerformanceAmd:
            return "Performance";
        case GL_DEBUG_TYPE_OTHER:
        case categoryOtherAmd:
            return "Other";
        default:
            return "Unknown";
    }
}

const char* severityName(GLenum severity) {
    switch (severity) {
        case GL_DEBUG_SEVERITY_HIGH:
            return "High";
        case GL_DEBUG_SEVERITY_MEDIUM:
            return "Medium";
        case GL_DEBUG_SEVERITY_LOW:
            return "Low";
        default:
            return "Unknown";
    }
}
}  // namespace

std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               const std::string& message) {
    return "OpenGL Error: " + message + " [Source = " + sourceName(source) +
           ", Type = " + typeName(type) + ", Severity = " + severityName(severity) +
           ", ID = " + std::to_string(id) + "]";
}

void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                     GLsizei /*length*/, const GLchar* message,
                                     const void* /*userParam*/) {
    if (isIgnoredDebugMessage(id)) return;
    std::cout << formatDebugMessage(source, type, id, severity, message ? message : "")
              << std::endl;
}

void registerDebugOutput() {
    if (glDebugMessageCallback == nullptr) return;
    glDebugMessageCallback(debugMessageCallback, nullptr);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
}
