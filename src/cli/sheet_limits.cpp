#include "cli/sheet_limits.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace mondrel {

namespace {

// Line ends, and a last line without one.
class text_line_counter {
public:
    void feed(std::string_view piece) {
        lines_ += std::count(piece.begin(), piece.end(), '\n');
        if (!piece.empty()) ends_open_ = piece.back() != '\n';
    }
    int64_t lines() const { return lines_ + (ends_open_ ? 1 : 0); }

private:
    int64_t lines_ = 0;
    bool ends_open_ = false;
};

// "<line" followed by ">", "/" or a blank: the start of one line element. "<" cannot stand in
// an XML text or attribute, so every match is a tag. Pieces are seen with the last few
// characters of the one before, so a tag cut between two reads is found once.
class xml_line_counter {
public:
    void feed(std::string_view piece) {
        carry_.append(piece);
        const std::string_view text = carry_;
        size_t p = 0;
        while ((p = text.find("<line", p)) != std::string_view::npos) {
            if (p + tag_ >= text.size()) break; // decided with the next piece
            const char after = text[p + tag_];
            if (after == '>' || after == '/' || after == ' ' || after == '\t' || after == '\r' ||
                after == '\n')
                ++lines_;
            p += tag_;
        }
        // Keep what may be the start of a tag cut by the end of this piece.
        const size_t keep = std::min(carry_.size(), tag_);
        carry_.erase(0, carry_.size() - keep);
    }
    int64_t lines() const { return lines_; }

private:
    static constexpr size_t tag_ = 5; // "<line"
    int64_t lines_ = 0;
    std::string carry_;
};

} // namespace

int64_t count_sheet_lines(const std::string& path, bool xml) {
    // Only a regular file can be read twice: a pipe read here would reach the loader empty.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return -1;
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    std::vector<char> buffer(size_t{1} << 20);
    text_line_counter text;
    xml_line_counter tags;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::string_view piece(buffer.data(), static_cast<size_t>(in.gcount()));
        if (piece.empty()) break;
        if (xml)
            tags.feed(piece);
        else
            text.feed(piece);
    }
    if (in.bad()) return -1;
    return xml ? tags.lines() : text.lines();
}

} // namespace mondrel
