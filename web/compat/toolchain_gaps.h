// What the web build's toolchain lacks and the runtime uses. Included ahead
// of every web source by the build; the desktop's libraries have it all.
//
// | gap                                | here                              |
// |------------------------------------|-----------------------------------|
// | std::atomic_ref (libc++ 14)        | loads and stores through builtins |
// | std::to_chars of a double with a   | the C library's %e and %f         |
// | precision (libc++ 14)              |                                   |
// | SDL_INIT_CDROM (SDL 1.2 headers of | 0: a browser has no CD-ROM        |
// | the port are SDL 1.3's)            |                                   |
#pragma once

#define SDL_INIT_CDROM 0

#include <atomic>
#include <charconv>
#include <cstdio>

namespace std {

template <class T>
class atomic_ref {
public:
    explicit atomic_ref(T& object) : object_(&object) {}
    T load(memory_order order = memory_order_seq_cst) const { return __atomic_load_n(object_, to_builtin(order)); }
    void store(T value, memory_order order = memory_order_seq_cst) const {
        __atomic_store_n(object_, value, to_builtin(order));
    }

private:
    static int to_builtin(memory_order order) {
        switch (order) {
        case memory_order_relaxed: return __ATOMIC_RELAXED;
        case memory_order_consume: return __ATOMIC_CONSUME;
        case memory_order_acquire: return __ATOMIC_ACQUIRE;
        case memory_order_release: return __ATOMIC_RELEASE;
        case memory_order_acq_rel: return __ATOMIC_ACQ_REL;
        default: return __ATOMIC_SEQ_CST;
        }
    }
    T* object_;
};

// The C library's conversions round exactly as to_chars does, so the digits
// are the same; only the speed differs.
inline to_chars_result to_chars(char* first, char* last, double value, chars_format format, int precision) {
    const char* pattern = format == chars_format::fixed ? "%.*f" : "%.*e";
    int length = snprintf(first, static_cast<size_t>(last - first), pattern, precision, value);
    if (length < 0 || length >= last - first) return {last, errc::value_too_large};
    return {first + length, errc{}};
}

}  // namespace std
