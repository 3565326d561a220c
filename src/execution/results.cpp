#include "execution/results.h"

#include <unordered_map>

#include "document/mondrel_doc.h"

namespace mondrel {

std::unique_ptr<fmt_res_item> make_fmt_res_item(std::string name, int32_t index, std::string text) {
    auto item = std::make_unique<fmt_res_item>();
    item->name = std::move(name);
    item->index = index;
    item->format = prop_list::from_text(text);
    item->text = std::move(text);
    return item;
}

void apply_fmt_results(mondrel_doc& doc, const fmt_result_list& results) {
    if (results.empty()) return;
    // One pass finds the first line of every name, so a sheet with many FMT results costs
    // one walk over the lines rather than one per result.
    std::unordered_map<std::string_view, int> first_line;
    for (int i = 0; i < doc.line_count(); ++i) {
        const std::string& name = doc.line(i).name;
        if (!name.empty()) first_line.emplace(name, i);
    }
    for (const auto& item : results) {
        auto found = first_line.find(item->name);
        if (found == first_line.end()) continue;
        line_results& r = doc.line(found->second).results;
        if (item->index < 0 || item->index >= r.capacity) continue;
        if (r.formats.size() < static_cast<size_t>(r.capacity))
            r.formats.resize(r.capacity, nullptr);
        r.formats[item->index] = &item->format;
        r.has_formats = true;
    }
}

} // namespace mondrel
