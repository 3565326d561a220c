#include "document/source_list_item.h"

#include <atomic>

#include "display/prop_stuff.h"

namespace mondrel {

namespace {

uint64_t new_stamp() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

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

} // namespace mondrel
