#pragma once
// Where line records live. They are handed out in order from blocks of many, so lines made one
// after another (a file loaded, lines pasted) lie next to each other in memory, and a run, which
// goes through the lines in order, reads its memory in order. A freed record is kept for the
// next line made; the blocks (2 MB each) stay for the life of the process.

#include <cstddef>

namespace mondrel::line_pool {

// Room for one record of `size` bytes (at most the record's size), aligned to a cache line.
void* take(std::size_t size);
// Gives back room from take().
void give(void* room) noexcept;

} // namespace mondrel::line_pool
