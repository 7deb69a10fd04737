// Large blocks kept for reuse by threads that work page after page. A scanned page's pictures and
// their work buffers take tens of megabytes; the C library maps blocks that large afresh for each
// request and unmaps them when they are freed, so every page would pay again for the system to
// zero and map its memory, and on a virtual machine those page faults hardly overlap between
// threads. A thread that keeps blocks (KeepBlocks) gets back the blocks it gave back before; any
// other thread takes from and gives back to the C library.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace vellary::model {

// A block of at least `bytes` bytes, aligned for any type; null when there is no memory.
void* takeBlock(size_t bytes);
// Returns a block from takeBlock (null is ignored). A pointer that takeBlock did not make is
// handed to the C library's free.
void giveBackBlock(void* block) noexcept;

// While one lives on a thread, blocks of a megabyte and more given back on that thread are kept
// (a few of them) for its next takes; when the last one on the thread ends, they are freed.
class KeepBlocks {
 public:
  KeepBlocks();
  ~KeepBlocks();
  KeepBlocks(const KeepBlocks&) = delete;
  KeepBlocks& operator=(const KeepBlocks&) = delete;
};

// Bytes of the blocks the calling thread keeps.
size_t keptBlockBytes();

// An allocator over takeBlock, for the large work buffers of page work.
template <class T>
struct BlockAllocator {
  using value_type = T;
  BlockAllocator() = default;
  template <class U>
  BlockAllocator(const BlockAllocator<U>&) {}
  T* allocate(size_t n) {
    void* p = n > static_cast<size_t>(-1) / sizeof(T) ? nullptr : takeBlock(n * sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t) noexcept { giveBackBlock(p); }
  template <class U>
  bool operator==(const BlockAllocator<U>&) const {
    return true;
  }
};

template <class T>
using BlockVector = std::vector<T, BlockAllocator<T>>;

}  // namespace vellary::model
