// TextStream: a text file opened by FileSystemObject.OpenTextFile / CreateTextFile or
// File.OpenAsTextStream.
//
// A stream for reading holds the whole file in memory (UTF-8; a UTF-8 or UTF-16 byte-order
// mark is honoured and dropped) and walks it by character, counting Line and Column as the
// scripting runtime does. A stream for writing writes UTF-8 straight to the file; WriteLine
// ends lines with CR LF.
#include "vbscript/lib_filesystem.h"
#include "vbscript/textstream_members.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace vbs {
namespace {

using namespace textstream;

// Text of a file's bytes as UTF-8: a UTF-8 mark is dropped, UTF-16 (either order) converted;
// without a mark the bytes are UTF-8, or UTF-16LE when `utf16` says so.
std::string decode_file_text(std::string bytes, bool utf16) {
    auto starts = [&](std::string_view mark) { return bytes.compare(0, mark.size(), mark) == 0; };
    if (starts("\xEF\xBB\xBF")) return bytes.substr(3);
    bool le = starts("\xFF\xFE"), be = starts("\xFE\xFF");
    if (!le && !be && !utf16) return bytes;
    size_t first = (le || be) ? 2 : 0;
    le = le || !be;
    std::string out;
    uint32_t high = 0;
    for (size_t i = first; i + 1 < bytes.size(); i += 2) {
        uint32_t a = static_cast<unsigned char>(bytes[i]),
                 b = static_cast<unsigned char>(bytes[i + 1]);
        uint32_t unit = le ? (a | (b << 8)) : ((a << 8) | b);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && high) {
            utf8_append(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
        } else {
            utf8_append(out, (unit >= 0xD800 && unit <= 0xDFFF) ? 0xFFFD : unit);
        }
        high = 0;
    }
    return out;
}

class TextStream final : public Object {
public:
    // Reading: the whole text. Writing: an open file.
    explicit TextStream(std::string text) : reading_(true), text_(std::move(text)) {}
    TextStream(std::FILE* file, bool utf16) : reading_(false), utf16_(utf16), file_(file) {}
    ~TextStream() override { close(); }

    std::string type_name() const override { return "TextStream"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

private:
    void close() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
        closed_ = true;
    }
    void need_reading() {
        if (!reading_ || closed_) raise_error(kErrBadFileMode);
    }
    void need_writing() {
        if (reading_ || closed_ || !file_) raise_error(kErrBadFileMode);
    }
    bool at_end() const { return pos_ >= text_.size(); }
    // Moves past one character, keeping Line and Column; CR LF counts as one line end.
    void advance() {
        char c = text_[pos_];
        if (c == '\r' || c == '\n') {
            ++pos_;
            if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
            ++line_;
            column_ = 1;
            return;
        }
        utf8_next(text_, pos_);
        ++column_;
    }
    std::string read_chars(int64_t n);
    std::string read_line();
    void write(std::string_view s);

    bool reading_;
    bool utf16_ = false; // writing UTF-16LE
    bool closed_ = false;
    std::string text_;
    size_t pos_ = 0;
    std::FILE* file_ = nullptr;
    int32_t line_ = 1, column_ = 1;
};

std::string TextStream::read_chars(int64_t n) {
    std::string out;
    for (int64_t i = 0; i < n && !at_end(); ++i) {
        size_t before = pos_;
        char c = text_[pos_];
        if (c == '\r' || c == '\n') { // a line end read by Read is two characters of CR LF
            out += c;
            ++pos_;
            if (c == '\n' || pos_ >= text_.size() || text_[pos_] != '\n') ++line_, column_ = 1;
            continue;
        }
        advance();
        out.append(text_, before, pos_ - before);
    }
    return out;
}

std::string TextStream::read_line() {
    size_t start = pos_;
    while (!at_end() && text_[pos_] != '\r' && text_[pos_] != '\n')
        ++pos_;
    std::string line = text_.substr(start, pos_ - start);
    column_ += int32_t(utf8_length(line));
    if (!at_end()) advance();
    return line;
}

void TextStream::write(std::string_view s) {
    need_writing();
    std::string wide;
    std::string_view bytes = s;
    if (utf16_) {
        for (size_t i = 0; i < s.size();) {
            uint32_t c = utf8_next(s, i);
            auto unit = [&](uint32_t u) {
                wide += char(u & 0xFF);
                wide += char(u >> 8);
            };
            if (c > 0xFFFF) {
                unit(0xD800 + ((c - 0x10000) >> 10));
                unit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                unit(c);
            }
        }
        bytes = wide;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        raise_error(kErrIoError);
    for (size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n'))) {
            ++line_;
            column_ = 1;
            ++i;
        } else if (c == '\r') {
            ++i;
        } else {
            utf8_next(s, i);
            ++column_;
        }
    }
}

void TextStream::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context&) {
    if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
    if (write_member(id, kind, args, "\r\n", [&](std::string_view s) { write(s); })) return;
    switch (id) {
    case kAtEndOfStream:
        check_arg_count(args, kind, 0, 0);
        need_reading();
        result = Value::boolean(at_end());
        return;
    case kAtEndOfLine:
        check_arg_count(args, kind, 0, 0);
        need_reading();
        result = Value::boolean(at_end() || text_[pos_] == '\r' || text_[pos_] == '\n');
        return;
    case kLine:
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(line_);
        return;
    case kColumn:
        check_arg_count(args, kind, 0, 0);
        result = Value::long_(column_);
        return;
    case kClose:
        check_arg_count(args, kind, 0, 0);
        close();
        return;
    case kRead: {
        check_arg_count(args, kind, 1, 1);
        need_reading();
        int32_t n = to_long(args[0]);
        if (n < 0) raise_error(kErrIllegalCall);
        if (at_end() && n > 0) raise_error(kErrInputPastEnd);
        result = Value::string(read_chars(n));
        return;
    }
    case kReadAll: {
        check_arg_count(args, kind, 0, 0);
        need_reading();
        if (at_end()) raise_error(kErrInputPastEnd);
        std::string rest = text_.substr(pos_);
        while (!at_end())
            advance();
        result = Value::string(rest);
        return;
    }
    case kReadLine:
        check_arg_count(args, kind, 0, 0);
        need_reading();
        if (at_end()) raise_error(kErrInputPastEnd);
        result = Value::string(read_line());
        return;
    case kSkip: {
        check_arg_count(args, kind, 1, 1);
        need_reading();
        int32_t n = to_long(args[0]);
        if (n < 0) raise_error(kErrIllegalCall);
        if (at_end() && n > 0) raise_error(kErrInputPastEnd);
        read_chars(n);
        return;
    }
    case kSkipLine:
        check_arg_count(args, kind, 0, 0);
        need_reading();
        if (at_end()) raise_error(kErrInputPastEnd);
        read_line();
        return;
    default:
        raise_error(kErrNoMember);
    }
}

std::string read_whole_file(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) raise_file_error(std::error_code(errno, std::generic_category()), kErrFileNotFound);
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) raise_error(kErrIoError);
    return bytes;
}

// The byte-order mark a file starts with: 8 UTF-8, 16 UTF-16, 0 none.
int file_mark(const std::string& path) {
    unsigned char b[3] = {0, 0, 0};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    size_t n = std::fread(b, 1, 3, f);
    std::fclose(f);
    if (n >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) return 16;
    if (n == 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return 8;
    return 0;
}

} // namespace

Ptr<Object> open_text_stream(const std::string& path, IoMode mode, bool create, int format) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    if (fs::is_directory(st)) raise_error(70);
    bool exists = fs::exists(st);
    if (mode == IoMode::reading) {
        if (!exists) raise_error(kErrFileNotFound);
        return make_object<TextStream>(decode_file_text(read_whole_file(path), format == -1));
    }
    if (!exists && !create) raise_error(kErrFileNotFound);
    bool utf16 = format == -1;
    bool fresh = mode == IoMode::writing || !exists || fs::file_size(path, ec) == 0;
    if (!fresh) utf16 = file_mark(path) == 16; // appending keeps the file's encoding
    std::FILE* f = std::fopen(path.c_str(), mode == IoMode::writing ? "wb" : "ab");
    if (!f) raise_file_error(std::error_code(errno, std::generic_category()), 76);
    if (utf16 && fresh && std::fwrite("\xFF\xFE", 1, 2, f) != 2) {
        std::fclose(f);
        raise_error(kErrIoError);
    }
    return make_object<TextStream>(f, utf16);
}
} // namespace vbs

VBS_LIBRARY(textstream) {
    // TextStream objects are made only through FileSystemObject; nothing is registered.
    (void)reg;
}
