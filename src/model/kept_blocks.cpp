// Blocks with a small header that says how large they are, listed while they are out; the kept
// ones in a list per thread.
#include "model/kept_blocks.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace vellary::model {

namespace {

constexpr size_t kKeptFrom = size_t{1} << 20;  // smaller blocks go back to the C library
constexpr size_t kMostKept = 12;               // blocks a thread keeps at most
// In front of every block; its size keeps the block aligned as malloc aligns.
struct alignas(alignof(std::max_align_t)) Header {
  size_t capacity;
};

// The blocks handed out and not given back, so that a pointer from elsewhere is told apart
// without reading memory that is not ours.
class Issued {
 public:
  void add(const void* block) {
    std::lock_guard lock(mutex_);
    blocks_.insert(block);
  }
  bool remove(const void* block) {
    std::lock_guard lock(mutex_);
    return blocks_.erase(block) != 0;
  }

 private:
  std::mutex mutex_;
  std::unordered_set<const void*> blocks_;
};
Issued& issued() {
  static Issued* i = new Issued;  // never destroyed: blocks may be given back at exit
  return *i;
}

struct Kept {
  int scopes = 0;
  std::vector<Header*> blocks;
  ~Kept() {
    for (Header* h : blocks) std::free(h);
  }
};
thread_local Kept kept;

}  // namespace

void* takeBlock(size_t bytes) {
  if (bytes >= kKeptFrom && kept.scopes > 0) {
    // The smallest kept block that holds the request without wasting more than its size.
    auto best = kept.blocks.end();
    for (auto it = kept.blocks.begin(); it != kept.blocks.end(); ++it)
      if ((*it)->capacity >= bytes && (*it)->capacity / 2 <= bytes &&
          (best == kept.blocks.end() || (*it)->capacity < (*best)->capacity))
        best = it;
    if (best != kept.blocks.end()) {
      Header* h = *best;
      kept.blocks.erase(best);
      issued().add(h + 1);
      return h + 1;
    }
  }
  if (bytes > SIZE_MAX - sizeof(Header)) return nullptr;
  auto* h = static_cast<Header*>(std::malloc(sizeof(Header) + bytes));
  if (h == nullptr) return nullptr;
  h->capacity = bytes;
  try {
    issued().add(h + 1);
  } catch (...) {
    std::free(h);
    return nullptr;
  }
  return h + 1;
}

void giveBackBlock(void* block) noexcept {
  if (block == nullptr) return;
  if (!issued().remove(block)) {
    std::free(block);
    return;
  }
  Header* h = static_cast<Header*>(block) - 1;
  if (h->capacity >= kKeptFrom && kept.scopes > 0 && kept.blocks.size() < kMostKept) {
    try {
      kept.blocks.push_back(h);
      return;
    } catch (...) {
    }
  }
  std::free(h);
}

KeepBlocks::KeepBlocks() { ++kept.scopes; }

size_t keptBlockBytes() {
  size_t n = 0;
  for (const Header* h : kept.blocks) n += h->capacity;
  return n;
}

KeepBlocks::~KeepBlocks() {
  if (--kept.scopes > 0) return;
  for (Header* h : kept.blocks) std::free(h);
  kept.blocks.clear();
  kept.blocks.shrink_to_fit();
}

}  // namespace vellary::model
