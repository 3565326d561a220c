#pragma once
// What the run engine's source files share about lines: which code words report values, the
// open flags of expanded arrays, the exit forms, the one-variable value report, and how many
// lines one joined call runs at most.

#include <cstdint>
#include <string_view>

#include "document/mondrel_doc.h"
#include "document/source_list_item.h"
#include "execution/run_engine.h"

namespace mondrel {

// Code words whose display text reports values.
bool fetches_values(int32_t word);

// Expanded arrays stay expanded across runs: after a fetch the open flags are those of the
// snapshot again.
void restore_opens(line_results& r);

// A WHILE or FOR line that ends its loop instead of starting one.
bool is_exit_form(const source_list_item& line);

// The variable a value report hands to row 0 of its line, when that is all it does
// (`MR.dspx 0,name` and a line break); empty otherwise.
std::string_view reported_variable(std::string_view report);

// Plain lines run as one call at most this many at a time: an edit of one of them compiles
// this many lines again, and a failing line's error position is found among this many.
inline constexpr int max_plain_run = 256;

// The compiled forms kept on line i, made when missing; those of its own texts are dropped when
// the line's stamp has changed. (Here so that both files of the run engine can inline it.)
inline run_engine::line_code& run_engine::code_of(int i) {
    source_list_item& line = doc_.line(i);
    std::shared_ptr<void>& code = line.run_code;
    if (!code) code = std::make_shared<line_code>();
    line_code& c = *static_cast<line_code*>(code.get());
    if (c.stamp != line.stamp) {
        c.stamp = line.stamp;
        c.script = {};
        c.display = {};
        c.loop.reset();
        c.report_engine = 0;
    }
    return c;
}

} // namespace mondrel
