// SPDX-License-Identifier: MIT
#include "countingMalloc.h"

#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

bool counting = false;
long allocationCount = 0;

void noteAllocation() {
    if (counting) {
        ++allocationCount;
    }
}

}  // namespace

void startCountingAllocations() {
    allocationCount = 0;
    counting = true;
}

long stopCountingAllocations() {
    counting = false;
    return allocationCount;
}

extern "C" {

void* malloc(size_t size) noexcept {
    noteAllocation();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept {
    noteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) noexcept {
    noteAllocation();
    return __libc_realloc(block, size);
}

void* memalign(size_t alignment, size_t size) noexcept {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, size_t alignment, size_t size) noexcept {
    noteAllocation();
    *block = __libc_memalign(alignment, size);
    return *block != nullptr ? 0 : 12;  // ENOMEM
}

void free(void* block) noexcept {
    __libc_free(block);
}

}  // extern "C"
