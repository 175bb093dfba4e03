// Puts a replacement in force for a scope and restores what was in force before.
#pragma once

namespace kx {

// `Get` returns the object in force, `Set` puts another (or, with null, the native one) in force.
template <class T, T& (*Get)(), void (*Set)(T*)>
class ScopedOverride {
public:
    explicit ScopedOverride(T& replacement) : previous_(&Get()) { Set(&replacement); }
    ~ScopedOverride() { Set(previous_); }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    T* previous_;
};

}  // namespace kx
