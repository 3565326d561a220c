#include "execution/make_line.h"

#include "document/mondrel_doc.h"

namespace mondrel {

// First version: the record only; the translation joins in the next commit.
line_ptr make_line(mondrel_doc&, int32_t count, int32_t code_word, std::string name,
                   std::string code) {
    auto line = std::make_unique<source_list_item>(count, std::move(name), std::move(code));
    line->code_word = code_word;
    return line;
}

} // namespace mondrel
