#include "execution/repeat_notation.h"

#include <algorithm>
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

// Sizes beyond any limit are held at this ceiling, so that sums and products of them never
// overflow: a product of two held values stays far below 2^64.
constexpr unsigned long long size_ceiling = 1ULL << 40;

unsigned long long held(unsigned long long n) {
    return std::min(n, size_ceiling);
}

// Where the output stands: its length in characters and the list items it holds (every "{"
// and every "," inside a list begins one more item).
struct extent {
    unsigned long long chars = 0;
    unsigned long long items = 0;
};

// The count that follows a ":" at `colon`: the run of blanks and digits after it, which never
// takes the text's last character (that is the closing brace of a well-formed list). Sets
// `run_end` to one past the run. Returns -1 when the run holds no digit. Counts beyond what
// any expansion could hold are held at the ceiling; they are refused as too large.
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
        value = static_cast<long long>(held(static_cast<unsigned long long>(value) * 10 +
                                            static_cast<unsigned long long>(text[i] - '0')));
    }
    return value;
}

// The output of the expansion when it is only measured: nothing is written, the length and
// the items are counted. Element starts are positions in this count.
class measured_output {
public:
    using position = extent;
    position here() const { return now_; }
    void put(char, bool item) {
        now_.chars = held(now_.chars + 1);
        if (item) now_.items = held(now_.items + 1);
    }
    void put_text(std::string_view s) { now_.chars = held(now_.chars + s.size()); }
    // The element from `from` to the end repeated: count - 1 more copies, each after a ",".
    void repeat_tail(position from, long long count) {
        if (count < 2) return;
        const auto more = static_cast<unsigned long long>(count - 1);
        now_.chars = held(now_.chars + more * (now_.chars - from.chars + 1));
        now_.items = held(now_.items + more * (now_.items - from.items + 1));
    }
    // The start of the last copy of an element that began at `from`.
    position last_copy(position from, position before) const {
        return {now_.chars - (before.chars - from.chars), now_.items - (before.items - from.items)};
    }

private:
    extent now_;
};

// The output written: the expanded text itself. The measuring pass has made sure it fits.
class text_output {
public:
    using position = size_t;
    explicit text_output(size_t room) { out_.reserve(room); }
    position here() const { return out_.size(); }
    void put(char c, bool) { out_.push_back(c); }
    void put_text(std::string_view s) { out_.append(s); }
    void repeat_tail(position from, long long count) {
        const size_t element = out_.size() - from;
        for (long long k = 1; k < count; ++k) {
            out_.push_back(',');
            out_.append(out_, from, element);
        }
    }
    position last_copy(position from, position before) const {
        return out_.size() - (before - from);
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// The text is copied from left to right. Brace lists are tracked on an explicit stack (so any
// depth of nesting costs no recursion), strings are copied whole, and each repeat is expanded
// as soon as its count has been read. A nested list is complete, its own repeats expanded,
// before a ":" after it can repeat it, so inner repeats are expanded first as they must be.
// Returns whether any repeat was found.
template <class Output> bool expand_into(std::string_view text, Output& out) {
    using position = typename Output::position;
    // Per open brace list: where the element that a ":" would repeat begins. That is after
    // the list's "{" or its last ",", or at the "{" of the last nested list written since then
    // (so in {{0,0}:12} the element is the pair).
    std::vector<position> lists;
    bool expanded = false;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close + 1;
            out.put_text(text.substr(i, end - i));
            i = end;
            continue;
        }
        if (c == '{') {
            if (!lists.empty()) lists.back() = out.here();
            out.put(c, true);
            lists.push_back(out.here());
        } else if (c == '}') {
            out.put(c, false);
            if (!lists.empty()) lists.pop_back();
        } else if (c == ',' && !lists.empty()) {
            out.put(c, true);
            lists.back() = out.here();
        } else if (c == ':' && !lists.empty()) {
            size_t run_end = i + 1;
            const long long count = read_count(text, i, run_end);
            if (count >= 0) {
                const position from = lists.back();
                const position before = out.here();
                out.repeat_tail(from, count);
                // A further ":" in the same element repeats the last copy.
                lists.back() = out.last_copy(from, before);
                expanded = true;
                i = run_end;
                continue;
            }
            out.put(c, false);
        } else {
            out.put(c, false);
        }
        ++i;
    }
    return expanded;
}

} // namespace

// The whole expansion is measured first, with nothing built; only when it fits is the text
// written. So nested repeats, each small, cannot together build a huge text or list.
std::string expand_repeats(std::string_view text) {
    if (text.find(':') == std::string_view::npos) return std::string(text);
    measured_output measure;
    if (!expand_into(text, measure)) return std::string(text);
    const extent size = measure.here();
    if (size.chars > max_expanded_length || size.items > max_expanded_items)
        throw mr_exception("Repeat count too large");
    text_output out(static_cast<size_t>(size.chars));
    expand_into(text, out);
    return out.take();
}

} // namespace mondrel
