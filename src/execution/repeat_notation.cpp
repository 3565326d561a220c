#include "execution/repeat_notation.h"

#include <vector>

#include "execution/mr_exception.h"

namespace mondrel {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// One open brace list while copying: where, in the output, the element that a ":" would
// repeat begins. That is after the list's "{" or its last ",", or at the "{" of the last
// nested list written since then (so in {{0,0}:12} the element is the pair).
struct open_list {
    size_t element_start;
};

// The count that follows a ":" at `colon`: the run of blanks and digits after it, which never
// takes the text's last character (that is the closing brace of a well-formed list). Sets
// `run_end` to one past the run. Returns -1 when the run holds no digit. Counts beyond what
// any expansion could hold are capped; they are refused later as too large.
long long read_count(std::string_view text, size_t colon, size_t& run_end) {
    const size_t limit = text.empty() ? 0 : text.size() - 1;
    size_t p = colon + 1;
    while (p < limit && (is_blank(text[p]) || is_digit(text[p])))
        ++p;
    run_end = p;
    size_t first = colon + 1, last = p;
    while (first < last && is_blank(text[first]))
        ++first;
    while (last > first && is_blank(text[last - 1]))
        --last;
    if (first == last) return -1;
    long long value = 0;
    for (size_t i = first; i < last; ++i) {
        if (!is_digit(text[i])) throw mr_exception("Bad repeat count");
        if (value <= static_cast<long long>(max_expanded_length) + 2)
            value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Replaces the output from `from` to its end by `count` copies of that element joined by ",";
// a count below 2 leaves the one copy there is.
void repeat_tail(std::string& out, size_t from, long long count) {
    if (count < 2) return;
    const size_t element = out.size() - from;
    // Each further copy adds the element and a comma; check before building anything.
    const unsigned long long added =
        static_cast<unsigned long long>(count - 1) * (static_cast<unsigned long long>(element) + 1);
    if (added > max_expanded_length || out.size() + added > max_expanded_length)
        throw mr_exception("Repeat count too large");
    out.reserve(out.size() + added);
    for (long long k = 1; k < count; ++k) {
        out.push_back(',');
        out.append(out, from, element);
    }
}

} // namespace

// The text is copied from left to right. Brace lists are tracked on an explicit stack (so any
// depth of nesting costs no recursion), strings are copied whole, and each repeat is expanded
// as soon as its count has been read. A nested list is complete, its own repeats expanded,
// before a ":" after it can repeat it, so inner repeats are expanded first as they must be.
std::string expand_repeats(std::string_view text) {
    if (text.find(':') == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::vector<open_list> lists;
    bool expanded = false;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close + 1;
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        if (c == '{') {
            if (!lists.empty()) lists.back().element_start = out.size();
            out.push_back(c);
            lists.push_back({out.size()});
        } else if (c == '}') {
            out.push_back(c);
            if (!lists.empty()) lists.pop_back();
        } else if (c == ',' && !lists.empty()) {
            out.push_back(c);
            lists.back().element_start = out.size();
        } else if (c == ':' && !lists.empty()) {
            size_t run_end = i + 1;
            const long long count = read_count(text, i, run_end);
            if (count < 0) {
                out.push_back(c);
            } else {
                const size_t from = lists.back().element_start;
                const size_t element = out.size() - from;
                repeat_tail(out, from, count);
                // A further ":" in the same element repeats the last copy.
                lists.back().element_start = out.size() - element;
                expanded = true;
                i = run_end;
                continue;
            }
        } else {
            out.push_back(c);
        }
        ++i;
        if (expanded && out.size() > max_expanded_length)
            throw mr_exception("Repeat count too large");
    }
    if (expanded && out.size() > max_expanded_length) throw mr_exception("Repeat count too large");
    return out;
}

} // namespace mondrel
