#pragma once
// The parser of code texts: reads the tokens of one text_source as the line syntax asks for
// them: expressions by their extent, array literals, single tokens. Failures are raised as
// mr_exception with the text the line will show.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "execution/text_source.h"

namespace mondrel {

// Brace lists may nest this deep; deeper nesting is refused ("Too deeply nested {}s") instead
// of being read by unbounded recursion.
inline constexpr int max_literal_depth = 64;

// The display text of one literal may be at most this long (64 MiB); a longer one is refused
// with "Array too large".
inline constexpr size_t max_display_length = size_t{64} << 20;

// One element of an array literal: a nested group, an expression, or nothing (Null).
struct literal_node {
    bool group = false;
    std::string text;                   // the expression as written; empty for Null
    std::vector<literal_node> elements; // of a group; a group always has at least one
};

class vb_scanner {
public:
    // Reads the tokens of `source` from token number `first` on.
    explicit vb_scanner(const text_source& source, size_t first = 0);

    const token& peek() const { return source_.at(pos_); }
    token_kind kind() const { return peek().kind; }
    void advance() {
        if (kind() != token_kind::end_of_line) ++pos_;
    }
    // True when nothing but the end of the text is left.
    bool at_end() const { return kind() == token_kind::end_of_line; }
    std::string_view current_text() const { return source_.token_text(peek()); }

    // True when a token of this kind stands anywhere from the current token on.
    bool contains(token_kind k) const;

    // The text from the current token to the end of the code (past any semicolon too).
    std::string rest_of_text() const;

    // expression -> tokens up to a `to`, `step` or "}" token, or a "," or ")" outside
    // parentheses, or the end of the text.
    // The text is copied as written, blanks included; an expression that runs to the end of
    // the text takes everything up to the end. Stops on the stopping token.
    std::string expression();

    // literal -> "{" element { "," element } "}"
    // element -> literal | expression | nothing (Null)
    // The current token must be "{". Stops after the "}" that closes the outermost group.
    literal_node literal();

private:
    void check_balance() const;
    literal_node group(int depth);

    const text_source& source_;
    size_t pos_;
};

// "Array(" elements joined by "," ")" for each group; an empty element is "Null".
std::string array_text(const literal_node& literal);

// One "MR.dspx i,N(path),positions" call per leaf of the literal, each ending in CR LF. The
// first leaf written inside a group carries minus the group's element count at that group's
// level instead of its position.
std::string literal_display_text(const literal_node& literal, std::string_view name);

// A valid name for an expression line: 1 to 254 characters, a letter first, then letters,
// digits and "_".
bool is_valid_name(std::string_view name);

} // namespace mondrel
