// Heap accounting by interposing the C allocator: every allocation in the process, C or
// C++, passes through here and is weighed by its usable size.
#include "heap_meter.h"

#include <malloc.h>

#include <atomic>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void __libc_free(void* p);
}

namespace {

std::atomic<long long> gCurrent{0};
std::atomic<long long> gBaseline{0};
std::atomic<long long> gPeak{0};

void grew(void* p) {
  if (p == nullptr) return;
  const long long now = gCurrent += static_cast<long long>(malloc_usable_size(p));
  long long peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
}

void shrinking(void* p) {
  if (p != nullptr) gCurrent -= static_cast<long long>(malloc_usable_size(p));
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) {
  void* p = __libc_malloc(size);
  grew(p);
  return p;
}
void* calloc(std::size_t count, std::size_t size) {
  void* p = __libc_calloc(count, size);
  grew(p);
  return p;
}
void* realloc(void* old, std::size_t size) {
  shrinking(old);
  void* p = __libc_realloc(old, size);
  grew(p != nullptr ? p : old);
  return p;
}
void free(void* p) {
  shrinking(p);
  __libc_free(p);
}
}

namespace bench {

void heapReset() {
  gBaseline = gCurrent.load();
  gPeak = gBaseline.load();
}

std::size_t heapPeak() { return static_cast<std::size_t>(gPeak.load() - gBaseline.load()); }

}  // namespace bench
