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

prop_list& shared_placeholder() {
    static prop_list& set = *new prop_list();
    return set;
}

prop_list& shared_empty_text() {
    static prop_list& set = *new prop_list(prop_list::from_text(""));
    return set;
}

} // namespace

void format_release::operator()(prop_list* format) const noexcept {
    if (format != &shared_placeholder() && format != &shared_empty_text()) delete format;
}

format_ptr placeholder_format() {
    return format_ptr(&shared_placeholder());
}

format_ptr empty_text_format() {
    return format_ptr(&shared_empty_text());
}

format_ptr format_from_text(std::string_view text) {
    if (text.empty()) return empty_text_format();
    return format_ptr(new prop_list(prop_list::from_text(text)));
}

format_ptr format_copy(const format_ptr& format) {
    prop_list* set = format.get();
    if (set == &shared_placeholder() || set == &shared_empty_text()) return format_ptr(set);
    return format_ptr(set ? new prop_list(*set) : nullptr);
}

uint64_t latest_stamp() {
    return next_stamp.load(std::memory_order_relaxed) - 1;
}

source_list_item::source_list_item(int32_t count_, std::string name_, std::string code_)
    : count(count_), stamp(new_stamp()), format(placeholder_format()), code(std::move(code_)),
      name(std::move(name_)) {}

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
