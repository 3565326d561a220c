#include "document/file_io.h"

#include "platform/diagnostic_log.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace mondrel {

namespace fs = std::filesystem;

bool read_whole_file(const std::string& path, std::string& out, std::string& error) {
    out.clear();
    std::error_code ec;
    const fs::path p = fs::u8path(path);
    if (!fs::exists(p, ec)) {
        error = "file not found: " + path;
        return false;
    }
    if (!fs::is_regular_file(p, ec)) {
        error = "not a file: " + path;
        return false;
    }
    const auto size = fs::file_size(p, ec);
    if (ec) {
        error = "cannot read " + path + ": " + ec.message();
        return false;
    }
    if (size > max_file_bytes) {
        error = "file too large: " + path + " holds " + std::to_string(size) +
                " bytes, the limit is " + std::to_string(max_file_bytes);
        return false;
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    out.resize(static_cast<std::size_t>(size));
    in.read(out.data(), static_cast<std::streamsize>(out.size()));
    // A file that shrank while it was read keeps what was there.
    out.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        out.clear();
        error = "cannot read " + path;
        return false;
    }
    return true;
}

namespace {

// Opens a new file beside `target` that no one else uses; its name goes to `temp`.
std::FILE* open_temporary(const fs::path& target, fs::path& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path name = target;
        name += ".~tmp" + std::to_string(attempt);
        // "x": fail rather than reuse a file that already exists.
        if (std::FILE* f = std::fopen(name.string().c_str(), "wbx")) {
            temp = name;
            return f;
        }
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

} // namespace

namespace {

// Follows symbolic links from `path` to the name they end at, which need not exist yet (a link
// to a file still to be made). False, with `error`, for a loop or a link that cannot be read.
bool final_target(const fs::path& path, fs::path& out, std::string& error) {
    constexpr int max_links = 40;
    fs::path p = path;
    for (int hop = 0; hop < max_links; ++hop) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(p, ec);
        if (!fs::is_symlink(st)) {
            out = p;
            return true;
        }
        const fs::path link = fs::read_symlink(p, ec);
        if (ec) {
            error = "cannot follow the link " + p.string() + ": " + ec.message();
            return false;
        }
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    error = "too many levels of symbolic links: " + path.string();
    return false;
}

// True when the file may not be written: no write bit at all, or (on POSIX) not writable by
// this process. The bits are looked at even for a process that may write anything, so a file
// made read-only stays as it is.
bool is_read_only(const fs::path& file, fs::perms perms) {
    constexpr fs::perms write_bits =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((perms & write_bits) == fs::perms::none) return true;
#ifndef _WIN32
    if (::access(file.c_str(), W_OK) != 0) return true;
#endif
    return false;
}

} // namespace

bool replace_file(const std::string& path, std::string_view text, std::string& error) {
    const fs::path given = fs::u8path(path);
    if (given.filename().empty() || given.filename() == "." || given.filename() == "..") {
        error = "not a regular file: " + path;
        return false;
    }
    fs::path target;
    if (!final_target(given, target, error)) return false;
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    if (fs::exists(st)) {
        // Renaming over a folder, a device or a FIFO would replace it with a plain file.
        if (!fs::is_regular_file(st)) {
            error = "not a regular file: " + path;
            return false;
        }
        // The rename below needs only the folder's permission; the file's own is asked here.
        if (is_read_only(target, st.permissions())) {
            error = "the file is read-only: " + path;
            return false;
        }
    }
    fs::path temp;
    std::FILE* f = open_temporary(target, temp);
    if (!f) {
        error = "cannot create a file beside " + target.string() + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fflush(f) == 0 && ok;
#ifndef _WIN32
    // The data must be on the disk before the rename makes it the file.
    ok = ::fsync(fileno(f)) == 0 && ok;
#endif
    const int saved_errno = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        error = "cannot write " + path + ": " + std::strerror(saved_errno);
        fs::remove(temp, ec);
        return false;
    }
    // The new file keeps the permissions of the one it replaces.
    if (fs::exists(st)) fs::permissions(temp, st.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        error = "cannot replace " + path + ": " + ec.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        lines.push_back(text.substr(start, end - start));
        std::size_t next = end + 1;
        if (end < text.size() && text[end] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        start = next;
    }
    return lines;
}

namespace {

void append_utf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 code units from byte 2 on (past the mark), in the given byte order, as UTF-8.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
    constexpr uint32_t replacement = 0xFFFD;
    auto unit = [&](std::size_t i) -> uint32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return big_endian ? (a << 8 | b) : (b << 8 | a);
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 2;
    for (; i + 1 < bytes.size(); i += 2) {
        const uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        append_utf8(out, u >= 0xD800 && u <= 0xDFFF ? replacement : u);
    }
    if (i < bytes.size()) append_utf8(out, replacement); // an odd last byte
    return out;
}

} // namespace

text_encoding decode_text_file(std::string& text) {
    const auto starts = [&](std::string_view mark) { return text.rfind(mark, 0) == 0; };
    if (starts("\xEF\xBB\xBF")) {
        text.erase(0, 3);
        return text_encoding::utf8_bom;
    }
    if (starts("\xFF\xFE")) {
        text = utf16_to_utf8(text, false);
        return text_encoding::utf16le;
    }
    if (starts("\xFE\xFF")) {
        text = utf16_to_utf8(text, true);
        return text_encoding::utf16be;
    }
    return text_encoding::utf8;
}

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads sign, base prefix and digits from text[i]; returns the number of digits read and the
// value (saturated to 32 bits) in `value`; `fits` tells whether it needed no saturation.
std::size_t read_digits(std::string_view text, std::size_t& i, int32_t& value,
                        bool* fits = nullptr) {
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    int64_t v = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int d = hex_digit(text[i]);
        if (d < 0 || d >= base) break;
        v = std::min<int64_t>(v * base + d,
                              int64_t{INT32_MAX} + 2); // still "too large" once signed
    }
    if (negative) v = -v;
    if (fits) *fits = v >= INT32_MIN && v <= INT32_MAX;
    value = static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    return digits;
}

} // namespace

int32_t read_loose_integer(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    int32_t value = 0;
    return read_digits(text, i, value) > 0 ? value : 0;
}

bool read_strict_integer(std::string_view text, int32_t& value) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    std::size_t i = 0;
    int32_t v = 0;
    bool fits = false;
    if (read_digits(text, i, v, &fits) == 0 || i != text.size() || !fits) return false;
    value = v;
    return true;
}

namespace {

// Length of the valid UTF-8 sequence that starts at s[i], or 0 when none starts there.
std::size_t utf8_sequence(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c == 0) return 0;
    if (c < 0x80) return 1;
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    if (b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

} // namespace

bool repair_utf8(std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (const auto c = static_cast<unsigned char>(text[i]); c < 0x80 && c != 0) {
            ++i;
            continue;
        }
        const std::size_t n = utf8_sequence(text, i);
        if (n == 0) break;
        i += n;
    }
    if (i == text.size()) return false;
    std::string out(text, 0, i);
    while (i < text.size()) {
        const std::size_t n = utf8_sequence(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    text = std::move(out);
    return true;
}

std::size_t utf8_prefix_bytes(std::string_view text, std::size_t n) {
    std::size_t i = 0;
    for (; i < text.size() && n > 0; --n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

void log_error(std::string_view where, std::string_view what) {
    std::string line = "ERROR in ";
    line += where;
    line += ": ";
    line += what;
    log_write(line);
}

} // namespace mondrel
