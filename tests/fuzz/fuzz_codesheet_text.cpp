// Fuzz target for the line-text reader: any text read line by line gives sound lines, a line
// that cannot be read is kept as a comment, the text written from them reads back to the same
// text, a codesheet file written from them reads back to the same lines, and a paste of the
// text leaves a sound document.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../document/test_file_helpers.h"
#include "display/prop_stuff.h"
#include "document/clipboard.h"
#include "document/codesheet_file.h"
#include "document/file_io.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"
#include "execution/incl_dir_cmd.h"

using namespace mondrel;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool sound(const mondrel_doc& doc) {
    return test::tree_is_sound(doc);
}

std::string read_and_write(mondrel_doc& doc, std::string_view text) {
    line_block block = read_text_block(doc, text, true);
    doc.clear();
    for (line_ptr& line : block)
        doc.insert_line(doc.line_count(), std::move(line));
    check(sound(doc));
    // As the writers store it: without the lines include files brought in.
    remove_included_lines(doc);
    return lines_text(doc);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    repair_utf8(text); // every way in repairs the text first

    mondrel_doc doc;
    for (std::string_view line : split_lines(text))
        check(read_text_line(doc, line) != nullptr);

    const std::string first = read_and_write(doc, text);
    mondrel_doc again;
    check(read_and_write(again, first) == first);

    // Whatever the text made of the lines, a codesheet file holds it.
    const std::string xml = xml_text(again);
    mondrel_doc stored;
    check(load_xml(stored, xml, false, read_replace, 0));
    stored.ensure_trailing_blank();
    again.ensure_trailing_blank();
    check(lines_text(stored) == lines_text(again));

    mondrel_doc target;
    target.add_sli(make_line(target, 2, cw_if, "", "a"));
    target.line(0).flags |= flag_open;
    target.add_sli(make_line(target, 1, cw_rem, "", "b"));
    target.ensure_trailing_blank();
    memory_clipboard clip;
    clip.set_text(text);
    paste_lines(target, static_cast<int>(size % 3), static_cast<int>(size % 3), clip);
    check(sound(target));
    return 0;
}
