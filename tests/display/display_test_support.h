#pragma once
// Sheets for the display tests: a document made of lines given by count and open state, and
// values stored on a line as a run would store them.

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"

namespace mondrel::test {

struct line_spec {
    int32_t count;
    bool open;
    int32_t word = cw_expression;
    std::string code = "";
    std::string name = "";
};

// A document holding exactly the given lines (no trailing blank added).
inline std::unique_ptr<mondrel_doc> make_doc(const std::vector<line_spec>& specs) {
    auto doc = std::make_unique<mondrel_doc>();
    doc->clear();
    for (const line_spec& s : specs) {
        line_ptr line = make_line(*doc, s.count, s.word, s.name, s.code);
        line->format = std::make_unique<prop_list>(prop_list::from_text(""));
        if (s.open) line->flags |= flag_open;
        doc->add_sli(std::move(line));
    }
    doc->structure_changed();
    return doc;
}

// Whole numbers as a run's Long values.
inline std::vector<vbs::Value> longs(std::initializer_list<int> xs) {
    std::vector<vbs::Value> out;
    for (int x : xs)
        out.push_back(vbs::Value::long_(x));
    return out;
}

// Stores values on a line as a run would: value k with index path paths[k], all closed.
inline void store(mondrel_doc& doc, int i, const std::vector<vbs::Value>& values,
                  const std::vector<si_array>& paths = {}) {
    line_results& r = doc.line(i).results;
    r.count = static_cast<int32_t>(values.size());
    r.capacity = r.count + 10;
    r.values.resize(values.size());
    for (size_t k = 0; k < values.size(); ++k)
        r.values[k] = values[k];
    r.formats.assign(values.size(), doc.line(i).format.get());
    r.indexes.assign(values.size(), {});
    r.opens.assign(values.size(), {});
    for (size_t k = 0; k < paths.size(); ++k) {
        r.indexes[k] = paths[k];
        r.opens[k].assign(paths[k].size(), 0);
    }
}

} // namespace mondrel::test
