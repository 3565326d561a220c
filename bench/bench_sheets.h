#pragma once
// Sheets the benchmarks share: `n` lines of one kind, with their results stored as a run
// leaves them.

#include <memory>
#include <string>
#include <string_view>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"

namespace mondrel::bench {

// Expression lines r0, r1, ... each holding a closed array of three values; or, with a
// comment text, rem lines of that text and no values.
inline std::unique_ptr<mondrel_doc> make_sheet(int n, std::string_view comment = {}) {
    auto doc = std::make_unique<mondrel_doc>();
    doc->clear();
    for (int i = 0; i < n; ++i) {
        line_ptr line = !comment.empty()
                            ? make_line(*doc, 1, cw_rem, "", std::string(comment))
                            : make_line(*doc, 1, cw_expression, "r" + std::to_string(i),
                                        "{1.5, 22.25, 333.125}");
        line->format = std::make_unique<prop_list>(prop_list::from_text(""));
        doc->add_sli(std::move(line));
    }
    doc->structure_changed();
    if (!comment.empty()) return doc;
    for (int i = 0; i < n; ++i) {
        line_results& r = doc->line(i).results;
        r.count = 3;
        r.capacity = 13;
        r.values.resize(3);
        r.values[0] = vbs::Value::dbl(1.5);
        r.values[1] = vbs::Value::dbl(22.25);
        r.values[2] = vbs::Value::dbl(333.125);
        r.formats.assign(3, doc->line(i).format.get());
        r.indexes = {si_array{-3}, si_array{1}, si_array{2}};
        r.opens = {bo_array{0}, bo_array{0}, bo_array{0}};
    }
    return doc;
}

} // namespace mondrel::bench
