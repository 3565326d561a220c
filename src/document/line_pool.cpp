#include "document/line_pool.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "document/source_list_item.h"

namespace mondrel::line_pool {

namespace {

constexpr std::size_t record_size = sizeof(source_list_item);
// Blocks of 2 MB, aligned to 2 MB. Where the system offers it, a block is asked to be one huge
// page: a run through many lines then needs one address translation per block instead of one
// per few records.
constexpr std::size_t block_bytes = std::size_t(2) << 20;
constexpr std::size_t records_per_block = block_bytes / record_size;

#if defined(__linux__)
// The block is cut out of a mapping twice its size, and the rest is given back: an aligned
// allocation from the heap would keep the whole double size as address space, which counts
// against a process's address-space limit (ulimit -v) although it is never touched.
std::byte* new_block() {
    void* room =
        mmap(nullptr, 2 * block_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (room == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(room);
    const std::uintptr_t aligned = (start + block_bytes - 1) & ~(std::uintptr_t{block_bytes} - 1);
    if (aligned > start) munmap(room, aligned - start);
    const std::uintptr_t tail = aligned + block_bytes;
    if (start + 2 * block_bytes > tail)
        munmap(reinterpret_cast<void*>(tail), start + 2 * block_bytes - tail);
    auto* block = reinterpret_cast<std::byte*>(aligned);
    madvise(block, block_bytes, MADV_HUGEPAGE); // a wish: refused, the block has small pages
    return block;
}
#else
std::byte* new_block() {
    return static_cast<std::byte*>(::operator new (block_bytes, std::align_val_t{block_bytes}));
}
#endif

struct free_room {
    free_room* next;
};

struct pool {
    std::mutex lock;
    free_room* freed = nullptr;
    std::byte* next = nullptr; // the unused rest of the newest block
    std::byte* end = nullptr;
    std::vector<std::byte*> blocks; // kept for the life of the process
};

// Never destroyed: a line may outlive every other static object (one held by a static
// document freed at exit).
pool& the_pool() {
    static pool& p = *new pool;
    return p;
}

} // namespace

// Under AddressSanitizer every record is a block of its own, so that a record used after it
// was freed is caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool pooled = false;
#else
constexpr bool pooled = true;
#endif

void* take(std::size_t size) {
    if (size > record_size) throw std::bad_alloc();
    if (!pooled) return ::operator new (size, std::align_val_t{alignof(source_list_item)});
    pool& p = the_pool();
    std::lock_guard<std::mutex> guard(p.lock);
    if (p.freed) {
        free_room* room = p.freed;
        p.freed = room->next;
        return room;
    }
    if (p.next == p.end) {
        std::byte* block = new_block();
        p.blocks.emplace_back(block);
        p.next = block;
        p.end = block + record_size * records_per_block;
    }
    void* room = p.next;
    p.next += record_size;
    return room;
}

void give(void* room) noexcept {
    if (!room) return;
    if (!pooled) return ::operator delete (room, std::align_val_t{alignof(source_list_item)});
    pool& p = the_pool();
    std::lock_guard<std::mutex> guard(p.lock);
    p.freed = new (room) free_room{p.freed};
}

} // namespace mondrel::line_pool
