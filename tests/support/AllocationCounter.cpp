#include "support/AllocationCounter.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VORPLINE_COUNT_ALLOCATIONS 0
#else
#define VORPLINE_COUNT_ALLOCATIONS 1
#endif

#if VORPLINE_COUNT_ALLOCATIONS

// glibc's own entry points, under the names it exports for exactly this kind of wrapping.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {
// Plain integers in initial-exec TLS: reading them never allocates.
thread_local int watching = 0;
thread_local int64_t heapCalls = 0;

inline void Note() {
    if (watching > 0) {
        ++heapCalls;
    }
}
} // namespace

extern "C" {
void* malloc(size_t size) {
    Note();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    Note();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size) {
    Note();
    return __libc_realloc(pointer, size);
}
void free(void* pointer) {
    if (pointer != nullptr) {
        Note();
    }
    __libc_free(pointer);
}
void* aligned_alloc(size_t alignment, size_t size) {
    Note();
    return __libc_memalign(alignment, size);
}
void* memalign(size_t alignment, size_t size) {
    Note();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    Note();
    *out = __libc_memalign(alignment, size);
    return *out == nullptr ? 12 /* ENOMEM */ : 0;
}
}

#endif

namespace vorpline::test {

#if VORPLINE_COUNT_ALLOCATIONS
AllocationScope::AllocationScope() : start(heapCalls) { ++watching; }
AllocationScope::~AllocationScope() { --watching; }
int64_t AllocationScope::Count() const { return heapCalls - start; }
bool AllocationScope::Available() { return true; }
#else
AllocationScope::AllocationScope() : start(0) {}
AllocationScope::~AllocationScope() = default;
int64_t AllocationScope::Count() const { return 0; }
bool AllocationScope::Available() { return false; }
#endif

} // namespace vorpline::test
