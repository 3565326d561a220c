#include "display/display_stuff.h"

#include <cctype>

#include "document/code_words.h"

namespace mondrel {

std::string box_text(const index_box& box) {
    switch (box.value) {
    case box_closed:
        return "*";
    case box_opened:
        return "0";
    case box_blank:
        return "";
    default:
        return box.value >= 0 ? std::to_string(box.value) : std::string();
    }
}

std::string word_column_text(int32_t code_word) {
    if (code_word == cw_rem) return "";
    if (code_word == cw_expression) return "=";
    std::string word(code_word_text(code_word));
    for (char& c : word)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word;
}

} // namespace mondrel
