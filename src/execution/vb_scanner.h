#pragma once
// The parser of code texts: reads the tokens of one text_source as the line syntax asks for
// them: expressions by their extent, array literals, single tokens. Failures are raised as
// mr_exception with the text the line will show.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "execution/text_source.h"

namespace mondrel {

// Brace lists may nest this deep; deeper nesting is refused ("Too deeply nested {}s") instead
// of being read by unbounded recursion.
inline constexpr int max_literal_depth = 64;

// The display text of one literal may be at most this long (64 MiB); a longer one is refused
// with "Array too large".
inline constexpr size_t max_display_length = size_t{64} << 20;

// An array literal, read into a flat list of parts in reading order: each group is an open
// part (holding the group's element count), its elements, and a close part; an element is a
// leaf (an expression's place in the text, or an empty place for Null) or a nested group. The
// parts refer to the text the literal was read from, which must outlive them.
struct literal_part {
    enum class part_kind : uint8_t { open, leaf, close };
    part_kind kind;
    uint32_t start = 0; // leaf: the expression's characters [start, end); empty for Null
    uint32_t end = 0;
    uint32_t count = 0; // open: the number of elements of the group
};

struct array_literal {
    std::string_view text;
    std::vector<literal_part> parts;
};

class vb_scanner {
public:
    // Reads the tokens of `text` after skipping the first `skip` of them. Tokens are read one
    // at a time as the parser asks, so a long text costs no token list.
    explicit vb_scanner(std::string_view text, size_t skip = 0);

    const token& peek() const { return current_; }
    token_kind kind() const { return current_.kind; }
    void advance() {
        if (kind() != token_kind::end_of_line) current_ = reader_.next();
    }
    // True when nothing but the end of the text is left.
    bool at_end() const { return kind() == token_kind::end_of_line; }
    std::string_view current_text() const { return token_text(text_, current_); }

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
    array_literal literal();

private:
    // The characters an expression takes, as expression() reads them.
    std::pair<size_t, size_t> expression_span();
    void check_balance() const;

    std::string_view text_;
    scanner reader_;
    token current_;
};

// "Array(" elements joined by "," ")" for each group; an empty element is "Null".
std::string array_text(const array_literal& literal);

// One "MR.dspx i,N(path),positions" call per leaf of the literal, each ending in CR LF. The
// first leaf written inside a group carries minus the group's element count at that group's
// level instead of its position.
std::string literal_display_text(const array_literal& literal, std::string_view name);

// A valid name for an expression line: 1 to 254 characters, a letter first, then letters,
// digits and "_".
bool is_valid_name(std::string_view name);

} // namespace mondrel
