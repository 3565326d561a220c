#include "document/line_pool.h"

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

std::byte* new_block() {
    auto* block =
        static_cast<std::byte*>(::operator new (block_bytes, std::align_val_t{block_bytes}));
#if defined(__linux__)
    madvise(block, block_bytes, MADV_HUGEPAGE); // a wish: refused, the block has small pages
#endif
    return block;
}

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
