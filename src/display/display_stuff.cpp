#include "display/display_stuff.h"

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

std::string upper_ascii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string word_column_text(int32_t code_word) {
    if (code_word == cw_rem) return "";
    if (code_word == cw_expression) return "=";
    return upper_ascii(code_word_text(code_word));
}

} // namespace mondrel
