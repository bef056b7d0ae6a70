#pragma once

#include <AL/al.h>

#include <utility>

// Owns one OpenAL object name: not copyable, movable (the moved-from handle keeps name 0), and
// the destructor deletes only a non-zero name. `Traits` supplies create and destroy. The context
// the object was made in must still be current when it goes.
template <typename Traits>
class AlHandle {
public:
    AlHandle() = default;
    explicit AlHandle(ALuint name) noexcept : name_(name) {}
    static AlHandle create() { return AlHandle(Traits::create()); }

    AlHandle(const AlHandle&) = delete;
    AlHandle& operator=(const AlHandle&) = delete;
    AlHandle(AlHandle&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    AlHandle& operator=(AlHandle&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }
    ~AlHandle() { reset(); }

    ALuint get() const noexcept { return name_; }
    explicit operator bool() const noexcept { return name_ != 0; }

    void reset() noexcept {
        if (name_ != 0) {
            Traits::destroy(name_);
            name_ = 0;
        }
    }

private:
    ALuint name_ = 0;
};

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
