#pragma once
// The painted pictures of grid rows, least recently used first out. The cache holds the rows
// on screen and a margin of a few screens around them, so a sheet of any length costs the
// same memory, while scrolling back and forth still copies pictures already painted.

#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/canvas.h"

namespace mondrel {

// One row's picture and what painting it found out for hit testing.
struct row_picture {
    std::unique_ptr<canvas> pic;
    bool valid = false;
    bool selected = false;   // the selection state it was painted in
    rect marker;             // the open/close marker as painted; empty when none
    std::vector<rect> boxes; // the index boxes of the data column, as painted
};

class picture_cache {
public:
    explicit picture_cache(size_t capacity = 256) : capacity_(capacity) {}

    // At least 1. Shrinking drops the least recently used pictures at once.
    void set_capacity(size_t rows);
    size_t capacity() const { return capacity_; }

    // The entry of a grid row, made when missing (dropping the least recently used one when
    // full), and marked most recently used.
    row_picture& use(int grid_row);
    // The entry of a grid row, or nullptr; does not count as a use.
    const row_picture* find(int grid_row) const;
    // Marks a row's picture invalid (kept for reuse).
    void invalidate(int grid_row);
    // Forgets every picture.
    void clear();

    size_t size() const { return entries_.size(); }
    // Bytes held by all the pictures.
    size_t memory_bytes() const;

private:
    struct slot {
        row_picture entry;
        std::list<int>::iterator age;
    };
    size_t capacity_;
    std::unordered_map<int, slot> entries_;
    std::list<int> ages_; // most recently used first
};

} // namespace mondrel
