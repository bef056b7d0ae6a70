#pragma once

#include <AL/al.h>

#include "render/ObjectHandle.h"

// Owns one OpenAL object name: not copyable, movable (the moved-from handle keeps name 0), and
// the destructor deletes only a non-zero name. The context the object was made in must still be
// current when it goes.
template <typename Traits>
using AlHandle = ObjectHandle<Traits, ALuint>;

// A failed creation leaves name 0, an empty handle.
struct AlBufferTraits {
    static ALuint create() {
        ALuint n = 0;
        alGenBuffers(1, &n);
        return alGetError() == AL_NO_ERROR ? n : 0;
    }
    static void destroy(ALuint n) { alDeleteBuffers(1, &n); }
};
struct AlSourceTraits {
    static ALuint create() {
        ALuint n = 0;
        alGenSources(1, &n);
        return alGetError() == AL_NO_ERROR ? n : 0;
    }
    static void destroy(ALuint n) { alDeleteSources(1, &n); }
};

using AlBuffer = AlHandle<AlBufferTraits>;
using AlSource = AlHandle<AlSourceTraits>;
