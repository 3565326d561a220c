#include "execution/vb_scanner.h"

#include "execution/mr_exception.h"

namespace mondrel {

vb_scanner::vb_scanner(const text_source& source, size_t first) : source_(source), pos_(first) {
    if (pos_ >= source_.tokens().size()) pos_ = source_.tokens().size() - 1;
}

bool vb_scanner::contains(token_kind k) const {
    const auto& tokens = source_.tokens();
    for (size_t i = pos_; i < tokens.size(); ++i)
        if (tokens[i].kind == k) return true;
    return false;
}

std::string vb_scanner::rest_of_text() const {
    return std::string(source_.slice(peek().start, source_.text().size()));
}

std::string vb_scanner::expression() {
    const size_t start = peek().start;
    int depth = 0;
    for (;; advance()) {
        const token_kind k = kind();
        if (k == token_kind::end_of_line)
            return std::string(source_.slice(start, source_.text().size()));
        if (k == token_kind::kw_to || k == token_kind::kw_step || k == token_kind::rbrace) break;
        if (depth == 0 && (k == token_kind::comma || k == token_kind::rparen)) break;
        if (k == token_kind::lparen) ++depth;
        if (k == token_kind::rparen) --depth;
    }
    return std::string(source_.slice(start, peek().start));
}

// Every group of the literal must find its closing brace before the text ends. One pass from
// the opening brace answers that for all groups at once: when the outermost group closes, every
// group inside it has closed too.
void vb_scanner::check_balance() const {
    const auto& tokens = source_.tokens();
    int depth = 0;
    for (size_t i = pos_; i < tokens.size(); ++i) {
        if (tokens[i].kind == token_kind::lbrace) {
            if (++depth > max_literal_depth) throw mr_exception("Too deeply nested {}s");
        } else if (tokens[i].kind == token_kind::rbrace) {
            if (--depth == 0) return;
        }
    }
    throw mr_exception("Unequal {}s");
}

literal_node vb_scanner::literal() {
    check_balance();
    return group(1);
}

literal_node vb_scanner::group(int depth) {
    literal_node node;
    node.group = true;
    advance(); // the "{"
    for (;;) {
        if (kind() == token_kind::lbrace) {
            node.elements.push_back(group(depth + 1));
        } else {
            literal_node leaf;
            if (kind() != token_kind::comma && kind() != token_kind::rbrace)
                leaf.text = expression();
            node.elements.push_back(std::move(leaf));
        }
        switch (kind()) {
        case token_kind::comma:
            advance();
            continue;
        case token_kind::rbrace:
            advance();
            return node;
        case token_kind::end_of_line:
            throw mr_exception("Unequal {}s");
        default:
            throw mr_exception("Unexpected \"" + std::string(current_text()) + "\" in {}");
        }
    }
}

namespace {

void append_array_text(const literal_node& node, std::string& out) {
    if (!node.group) {
        out += node.text.empty() ? std::string_view("Null") : std::string_view(node.text);
        return;
    }
    out += "Array(";
    for (size_t k = 0; k < node.elements.size(); ++k) {
        if (k > 0) out += ',';
        append_array_text(node.elements[k], out);
    }
    out += ')';
}

// The leaves of a literal, written in reading order. Per open level: the element's position,
// the group's element count, and whether the group has written its first leaf yet.
class display_writer {
public:
    explicit display_writer(std::string_view name) : name_(name) {}

    void write_group(const literal_node& group) {
        const size_t level = positions_.size();
        positions_.push_back(0);
        counts_.push_back(static_cast<long long>(group.elements.size()));
        started_.push_back(false);
        for (size_t k = 0; k < group.elements.size(); ++k) {
            positions_[level] = static_cast<long long>(k);
            if (group.elements[k].group)
                write_group(group.elements[k]);
            else
                write_leaf();
        }
        positions_.pop_back();
        counts_.pop_back();
        started_.pop_back();
    }

    std::string take() { return std::move(out_); }

private:
    void write_leaf() {
        out_ += "MR.dspx ";
        out_ += std::to_string(leaf_++);
        out_ += ',';
        out_ += name_;
        for (long long p : positions_) {
            out_ += '(';
            out_ += std::to_string(p);
            out_ += ')';
        }
        for (size_t l = 0; l < positions_.size(); ++l) {
            out_ += ',';
            if (!started_[l]) {
                started_[l] = true;
                out_ += std::to_string(-counts_[l]);
            } else {
                out_ += std::to_string(positions_[l]);
            }
        }
        out_ += "\r\n";
        if (out_.size() > max_display_length) throw mr_exception("Array too large");
    }

    std::string_view name_;
    std::string out_;
    long long leaf_ = 0;
    std::vector<long long> positions_;
    std::vector<long long> counts_;
    std::vector<bool> started_;
};

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string array_text(const literal_node& literal) {
    std::string out;
    append_array_text(literal, out);
    return out;
}

std::string literal_display_text(const literal_node& literal, std::string_view name) {
    display_writer writer(name);
    writer.write_group(literal);
    return writer.take();
}

bool is_valid_name(std::string_view name) {
    if (name.empty() || name.size() > 254 || !is_letter(name[0])) return false;
    for (char c : name)
        if (!is_letter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    return true;
}

} // namespace mondrel
