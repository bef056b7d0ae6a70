#pragma once

#include <GL/glew.h>

#include <string>

// The driver's debug messages, one console line each, with source, type and severity in words.

// The line for one message, without a line end: "OpenGL Error: <message> [Source = ...,
// Type = ..., Severity = ..., ID = ...]". Every message gets that introduction.
std::string formatDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               const std::string& message);

// Two chatty driver notices (buffer placement and video-memory hints) that say nothing useful.
inline bool isIgnoredDebugMessage(GLuint id) {
    return id == 131185 || id == 131218;
}

// The GLDEBUGPROC that start-up registers: prints every message but the ignored ones.
void GLAPIENTRY debugMessageCallback(GLenum source, GLenum type, GLuint id, GLenum severity,
                                     GLsizei length, const GLchar* message, const void* userParam);

// Registers debugMessageCallback with synchronous output when the driver has the entry point;
// otherwise does nothing and says nothing. The debug context already has output enabled.
void registerDebugOutput();
