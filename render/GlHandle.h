#pragma once

#include <GL/glew.h>

#include "render/ObjectHandle.h"

// Owns one OpenGL object name: not copyable, movable (the moved-from handle keeps name 0),
// and the destructor deletes only a non-zero name. `Traits` supplies create and destroy.
template <typename Traits>
using GlHandle = ObjectHandle<Traits, GLuint>;

struct GlBufferTraits {
    static GLuint create() {
        GLuint n = 0;
        glGenBuffers(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteBuffers(1, &n); }
};
struct GlVertexArrayTraits {
    static GLuint create() {
        GLuint n = 0;
        glGenVertexArrays(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteVertexArrays(1, &n); }
};
struct GlTextureTraits {
    static GLuint create() {
        GLuint n = 0;
        glGenTextures(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteTextures(1, &n); }
};
struct GlFramebufferTraits {
    static GLuint create() {
        GLuint n = 0;
        glGenFramebuffers(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteFramebuffers(1, &n); }
};
struct GlRenderbufferTraits {
    static GLuint create() {
        GLuint n = 0;
        glGenRenderbuffers(1, &n);
        return n;
    }
    static void destroy(GLuint n) { glDeleteRenderbuffers(1, &n); }
};

using GlBuffer = GlHandle<GlBufferTraits>;
using GlVertexArray = GlHandle<GlVertexArrayTraits>;
using GlTexture = GlHandle<GlTextureTraits>;
using GlFramebuffer = GlHandle<GlFramebufferTraits>;
using GlRenderbuffer = GlHandle<GlRenderbufferTraits>;
