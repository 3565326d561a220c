#pragma once
// Small pieces shared by the codesheet file and line-text readers and writers: reading a whole
// file under a size limit, replacing a file safely, cutting text into lines, reading the
// integers that files hold, and keeping text valid UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mondrel {

// The largest file either reader accepts. A codesheet of 100,000 lines takes about 15 MB; a
// larger file is refused with a clear error instead of filling the machine.
inline constexpr std::size_t max_file_bytes = 64u << 20;
// The longest code, name or format text a line may get from a file or the clipboard.
inline constexpr std::size_t max_field_chars = 1u << 20;

// Reads the whole file into `out`. On failure returns false with a message in `error` ("file
// not found", "file too large", ...); `out` is then empty.
bool read_whole_file(const std::string& path, std::string& out, std::string& error);

// Writes `text` to `path` without ever destroying the previous file: the text goes to a new
// file in the same folder, which is flushed and then renamed over the old one. On failure the
// old file is untouched, the temporary file is removed, and `error` says why.
// A symbolic link is followed: the file it points to is replaced (beside itself) and the link
// stays. A path that names a folder, a device, a FIFO or a socket is refused ("not a regular
// file"), and so is an existing file without write permission ("the file is read-only"), judged
// by its permission bits so that a process allowed to write anything still keeps it.
bool replace_file(const std::string& path, std::string_view text, std::string& error);

// The lines of a text, split at CR LF, LF or a lone CR, so texts from any system read alike. A
// line end that closes the text does not start another (empty) line.
std::vector<std::string_view> split_lines(std::string_view text);

// The encodings a text file may come in. A UTF-8 byte-order mark is dropped; UTF-16 with its
// byte-order mark (little or big endian) is turned into UTF-8, an unpaired surrogate or an odd
// last byte becoming U+FFFD. Text without a mark is taken as it is (UTF-8).
enum class text_encoding { utf8, utf8_bom, utf16le, utf16be };
text_encoding decode_text_file(std::string& text);

// Reads an integer the way count and indent are read: leading blanks skipped, an optional
// sign, then decimal digits, or hexadecimal digits after "$" or "0x", up to the first character
// that does not fit. No digits gives 0. Values beyond 32 bits saturate.
int32_t read_loose_integer(std::string_view text);

// True when the whole text (blanks around it allowed) is one integer that fits 32 bits:
// decimal with an optional sign, or hexadecimal after "$" or "0x".
bool read_strict_integer(std::string_view text, int32_t& value);

// Replaces every byte sequence that is not valid UTF-8, and every NUL character (which no XML
// file can hold), by U+FFFD. Returns true when something was replaced.
bool repair_utf8(std::string& text);

// Writes "ERROR in " + where + ": " + what to the diagnostic log, the one shape every failure
// report of the document takes ("ERROR in mondrel_doc.load_xml: file not found: ...").
void log_error(std::string_view where, std::string_view what);

// The byte length of the first `n` characters (code points) of a UTF-8 text, or the text's
// length when it has fewer.
std::size_t utf8_prefix_bytes(std::string_view text, std::size_t n);

} // namespace mondrel
