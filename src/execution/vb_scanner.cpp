#include "execution/vb_scanner.h"

#include "execution/mr_exception.h"

namespace mondrel {

namespace {

// Every leaf writes at least "MR.dspx 0,(0),0" and a line end into the display text; a literal
// with more leaves than fit is refused while it is read, before its parts pile up.
constexpr size_t min_leaf_display = 17;

using part_kind = literal_part::part_kind;

} // namespace

vb_scanner::vb_scanner(std::string_view text, size_t skip)
    : text_(text), reader_(text), current_(reader_.next()) {
    for (size_t k = 0; k < skip; ++k)
        advance();
}

bool vb_scanner::contains(token_kind k) const {
    scanner ahead = reader_;
    for (token t = current_;; t = ahead.next()) {
        if (t.kind == k) return true;
        if (t.kind == token_kind::end_of_line) return false;
    }
}

std::string vb_scanner::rest_of_text() const {
    return std::string(text_.substr(std::min<size_t>(current_.start, text_.size())));
}

std::pair<size_t, size_t> vb_scanner::expression_span() {
    const size_t start = current_.start;
    int depth = 0;
    for (;; advance()) {
        const token_kind k = kind();
        if (k == token_kind::end_of_line) return {start, text_.size()};
        if (k == token_kind::kw_to || k == token_kind::kw_step || k == token_kind::rbrace) break;
        if (depth == 0 && (k == token_kind::comma || k == token_kind::rparen)) break;
        if (k == token_kind::lparen) ++depth;
        if (k == token_kind::rparen) --depth;
    }
    return {start, current_.start};
}

std::string vb_scanner::expression() {
    const auto [start, end] = expression_span();
    return std::string(text_.substr(start, end - start));
}

// Every group of the literal must find its closing brace before the text ends. One pass from
// the opening brace answers that for all groups at once: when the outermost group closes, every
// group inside it has closed too.
void vb_scanner::check_balance() const {
    scanner ahead = reader_;
    int depth = 0;
    for (token t = current_; t.kind != token_kind::end_of_line; t = ahead.next()) {
        if (t.kind == token_kind::lbrace) {
            if (++depth > max_literal_depth) throw mr_exception("Too deeply nested {}s");
        } else if (t.kind == token_kind::rbrace) {
            if (--depth == 0) return;
        }
    }
    throw mr_exception("Unequal {}s");
}

// Reads without recursion: `open` holds the part index of each group not yet closed, and each
// group's count grows as its elements are read.
array_literal vb_scanner::literal() {
    check_balance();
    array_literal literal{text_, {}};
    std::vector<size_t> open;
    size_t leaves = 0;
    auto open_group = [&] {
        if (!open.empty()) ++literal.parts[open.back()].count;
        open.push_back(literal.parts.size());
        literal.parts.push_back({part_kind::open});
        advance(); // the "{"
    };
    open_group();
    for (;;) {
        // element -> literal | expression | nothing
        if (kind() == token_kind::lbrace) {
            open_group();
            continue;
        }
        literal_part leaf{part_kind::leaf};
        if (kind() != token_kind::comma && kind() != token_kind::rbrace) {
            const auto [start, end] = expression_span();
            leaf.start = static_cast<uint32_t>(start);
            leaf.end = static_cast<uint32_t>(end);
        }
        literal.parts.push_back(leaf);
        ++literal.parts[open.back()].count;
        if (++leaves > max_display_length / min_leaf_display) throw mr_exception("Array too large");
        // After an element: "," reads the next one, "}" closes groups.
        for (;;) {
            if (kind() == token_kind::comma) {
                advance();
                break;
            }
            if (kind() == token_kind::rbrace) {
                advance();
                literal.parts.push_back({part_kind::close});
                open.pop_back();
                if (open.empty()) return literal;
                continue;
            }
            if (kind() == token_kind::end_of_line) throw mr_exception("Unequal {}s");
            // Only the start of a long token goes into the message.
            throw mr_exception("Unexpected \"" + std::string(utf8_prefix(current_text(), 20)) +
                               "\" in {}");
        }
    }
}

std::string array_text(const array_literal& literal) {
    std::string out;
    part_kind previous = part_kind::open;
    for (const literal_part& part : literal.parts) {
        // An element that follows another element of its group is preceded by a comma.
        if (part.kind != part_kind::close && previous != part_kind::open) out += ',';
        switch (part.kind) {
        case part_kind::open:
            out += "Array(";
            break;
        case part_kind::close:
            out += ')';
            break;
        case part_kind::leaf:
            if (part.start == part.end)
                out += "Null";
            else
                out += literal.text.substr(part.start, part.end - part.start);
            break;
        }
        previous = part.kind;
    }
    return out;
}

namespace {

// One open group while the display text is written: the position of its current element,
// how many elements it has, and whether it has written its first leaf yet.
struct display_level {
    long long position = -1;
    long long count = 0;
    bool started = false;
};

void write_leaf(std::string& out, long long index, std::string_view name,
                std::vector<display_level>& levels) {
    out += "MR.dspx ";
    out += std::to_string(index);
    out += ',';
    out += name;
    for (const display_level& level : levels) {
        out += '(';
        out += std::to_string(level.position);
        out += ')';
    }
    for (display_level& level : levels) {
        out += ',';
        if (!level.started) {
            level.started = true;
            out += std::to_string(-level.count);
        } else {
            out += std::to_string(level.position);
        }
    }
    out += "\r\n";
}

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string literal_display_text(const array_literal& literal, std::string_view name) {
    std::string out;
    std::vector<display_level> levels;
    long long leaf = 0;
    for (const literal_part& part : literal.parts) {
        if (part.kind == part_kind::close) {
            levels.pop_back();
            continue;
        }
        if (!levels.empty()) ++levels.back().position;
        if (part.kind == part_kind::open) {
            levels.push_back({-1, part.count, false});
            continue;
        }
        write_leaf(out, leaf++, name, levels);
        if (out.size() > max_display_length) throw mr_exception("Array too large");
    }
    return out;
}

bool is_valid_name(std::string_view name) {
    if (name.empty() || name.size() > 254 || !is_letter(name[0])) return false;
    for (char c : name)
        if (!is_letter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    return true;
}

} // namespace mondrel
