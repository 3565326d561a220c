// Fuzz target for the codesheet reader: any text handed to load_xml either fails, leaving the
// document as it was, or gives a sound document; a document that loaded is written and read
// again to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../document/test_file_helpers.h"
#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "execution/incl_dir_cmd.h"

using namespace mondrel;

namespace {

bool sound(const mondrel_doc& doc) {
    return test::tree_is_sound(doc) && doc.data_cols() >= min_data_cols &&
           doc.data_cols() <= max_data_cols &&
           doc.col_widths().size() == static_cast<size_t>(doc.data_cols() + 5);
}

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    mondrel_doc doc;
    const std::string before = xml_text(doc);
    if (!load_xml(doc, text, false, read_replace, 0)) {
        check(xml_text(doc) == before);
        return 0;
    }
    check(sound(doc));
    // As write_file does: the included lines leave the sheet before it is stored.
    remove_included_lines(doc);
    doc.ensure_trailing_blank();
    check(sound(doc));
    const std::string first = xml_text(doc);
    mondrel_doc again;
    check(load_xml(again, first, false, read_replace, 0));
    check(xml_text(again) == first);

    // The same lines inserted into a small sheet, in front of an open list's children.
    mondrel_doc target;
    target.add_sli(make_line(target, 2, cw_if, "", "a"));
    target.line(0).flags |= flag_open;
    target.add_sli(make_line(target, 1, cw_rem, "", "b"));
    if (load_xml(target, text, false, read_insert, static_cast<int>(size % 3) - 1))
        check(sound(target));
    return 0;
}
