#pragma once

#include <utility>

// Owns one object name of a C library that hands out names and deletes them (OpenGL, OpenAL):
// not copyable, movable (the moved-from handle keeps name 0), and the destructor deletes only a
// non-zero name. `Traits` supplies create and destroy.
template <typename Traits, typename Name>
class ObjectHandle {
public:
    ObjectHandle() = default;
    explicit ObjectHandle(Name name) noexcept : name_(name) {}
    static ObjectHandle create() { return ObjectHandle(Traits::create()); }

    ObjectHandle(const ObjectHandle&) = delete;
    ObjectHandle& operator=(const ObjectHandle&) = delete;
    ObjectHandle(ObjectHandle&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    ObjectHandle& operator=(ObjectHandle&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = std::exchange(other.name_, 0);
        }
        return *this;
    }
    ~ObjectHandle() { reset(); }

    Name get() const noexcept { return name_; }
    explicit operator bool() const noexcept { return name_ != 0; }

    void reset() noexcept {
        if (name_ != 0) {
            Traits::destroy(name_);
            name_ = 0;
        }
    }

private:
    Name name_ = 0;
};
