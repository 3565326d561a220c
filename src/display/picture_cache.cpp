#include "display/picture_cache.h"

#include <algorithm>

namespace mondrel {

void picture_cache::set_capacity(size_t rows) {
    capacity_ = std::max<size_t>(rows, 1);
    while (entries_.size() > capacity_) {
        entries_.erase(ages_.back());
        ages_.pop_back();
    }
}

row_picture& picture_cache::use(int grid_row) {
    if (auto it = entries_.find(grid_row); it != entries_.end()) {
        ages_.splice(ages_.begin(), ages_, it->second.age);
        return it->second.entry;
    }
    // A full cache hands its oldest picture to the new row when the sizes agree.
    std::unique_ptr<canvas> reused;
    if (entries_.size() >= capacity_) {
        auto oldest = entries_.find(ages_.back());
        reused = std::move(oldest->second.entry.pic);
        entries_.erase(oldest);
        ages_.pop_back();
    }
    ages_.push_front(grid_row);
    slot& s = entries_[grid_row];
    s.age = ages_.begin();
    s.entry.pic = std::move(reused);
    return s.entry;
}

const row_picture* picture_cache::find(int grid_row) const {
    auto it = entries_.find(grid_row);
    return it == entries_.end() ? nullptr : &it->second.entry;
}

void picture_cache::invalidate(int grid_row) {
    if (auto it = entries_.find(grid_row); it != entries_.end()) it->second.entry.valid = false;
}

void picture_cache::clear() {
    entries_.clear();
    ages_.clear();
}

size_t picture_cache::memory_bytes() const {
    size_t total = 0;
    for (const auto& [row, s] : entries_)
        if (s.entry.pic) total += s.entry.pic->memory_bytes();
    return total;
}

} // namespace mondrel
