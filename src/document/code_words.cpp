#include "document/code_words.h"

namespace mondrel {

std::string_view syntax_bar_text(int32_t word) {
    if (!is_valid_code_word(word)) return "<syntax>";
    return code_word_table[word].syntax_bar;
}

code_word code_word_from_text(std::string_view text) {
    for (int i = 1; i < code_word_count; ++i)
        if (code_word_table[i].word == text) return code_word_table[i].index;
    return cw_expression;
}

std::string_view code_word_text(int32_t word) {
    return is_valid_code_word(word) ? code_word_table[word].word : std::string_view{};
}

bool is_full_width_word(int32_t word) {
    return is_valid_code_word(word) && code_word_table[word].full_width;
}

} // namespace mondrel
