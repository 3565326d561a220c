#include "document/source_list_item.h"

#include <atomic>

#include "display/prop_stuff.h"
#include "document/line_pool.h"

namespace mondrel {

namespace {

std::atomic<uint64_t> next_stamp{1};

uint64_t new_stamp() {
    return next_stamp.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

uint64_t latest_stamp() {
    return next_stamp.load(std::memory_order_relaxed) - 1;
}

source_list_item::source_list_item(int32_t count_, std::string name_, std::string code_)
    : count(count_), stamp(new_stamp()), format(std::make_unique<prop_list>()),
      code(std::move(code_)), name(std::move(name_)) {}

void source_list_item::set_script(std::string_view text) {
    if (script == text) return;
    script.assign(text);
    stamp = new_stamp();
}

void source_list_item::set_display_text(std::string_view text) {
    if (display_text == text) return;
    display_text.assign(text);
    stamp = new_stamp();
}

source_list_item::~source_list_item() = default;

void* source_list_item::operator new(std::size_t size) {
    return line_pool::take(size);
}

void* source_list_item::operator new(std::size_t size, std::align_val_t) {
    return line_pool::take(size);
}

void source_list_item::operator delete(void* room) noexcept {
    line_pool::give(room);
}

void source_list_item::operator delete(void* room, std::align_val_t) noexcept {
    line_pool::give(room);
}

} // namespace mondrel
