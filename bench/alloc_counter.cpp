// The C allocator is replaced for the whole program, forwarding to glibc's own entry
// points. C peers call malloc directly and C++ peers reach it through operator new,
// which is replaced as well so that it does not depend on how libstdc++ was built.
#include "bench/alloc_counter.h"

#include <cerrno>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
void* __libc_memalign(std::size_t, std::size_t);
}

namespace {
std::size_t g_allocations = 0;

void* Counted(void* p) {
    if (p) ++g_allocations;
    return p;
}
} // namespace

namespace bench {
std::size_t AllocationCount() {
    return g_allocations;
}
} // namespace bench

extern "C" {
void* malloc(std::size_t n) {
    return Counted(__libc_malloc(n));
}
void* calloc(std::size_t n, std::size_t size) {
    return Counted(__libc_calloc(n, size));
}
void free(void* p) {
    __libc_free(p);
}

// Every realloc that asks for a block counts, moved or not: whether glibc can grow a
// block in place depends on the heap's history, and the count should not.
void* realloc(void* p, std::size_t n) {
    void* q = __libc_realloc(p, n);
    if (q && n > 0) ++g_allocations;
    return q;
}

void* memalign(std::size_t alignment, std::size_t n) {
    return Counted(__libc_memalign(alignment, n));
}
void* aligned_alloc(std::size_t alignment, std::size_t n) {
    return Counted(__libc_memalign(alignment, n));
}

int posix_memalign(void** out, std::size_t alignment, std::size_t n) {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = Counted(__libc_memalign(alignment, n));
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}

namespace {
void* NewBlock(std::size_t n) {
    if (n == 0) n = 1;
    for (;;) {
        if (void* p = __libc_malloc(n)) return Counted(p);
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void* NewAlignedBlock(std::size_t n, std::align_val_t alignment) {
    if (n == 0) n = 1;
    void* p = __libc_memalign(static_cast<std::size_t>(alignment), n);
    if (!p) throw std::bad_alloc();
    return Counted(p);
}
} // namespace

void* operator new(std::size_t n) {
    return NewBlock(n);
}
void* operator new[](std::size_t n) {
    return NewBlock(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return NewBlock(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return NewBlock(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t n, std::align_val_t a) {
    return NewAlignedBlock(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return NewAlignedBlock(n, a);
}
void operator delete(void* p) noexcept {
    __libc_free(p);
}
void operator delete[](void* p) noexcept {
    __libc_free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    __libc_free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    __libc_free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    __libc_free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    __libc_free(p);
}
