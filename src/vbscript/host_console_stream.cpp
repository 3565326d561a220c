// Console TextStreams. They count Line and Column as a file TextStream does (a line ends at
// LF, CR or CR LF), read UTF-8 by character, and raise 54 "Bad file mode" for a call in the
// wrong direction and 62 "Input past end of file" for a read at the end of input.
#include "vbscript/host_console_stream.h"

#include "vbscript/lib_support.h"
#include "vbscript/textstream_members.h"

namespace vbs {
namespace {

using namespace textstream;

class ConsoleStream final : public Object {
public:
    ConsoleStream(std::FILE* file, bool reading) : file_(file), reading_(reading) {}

    std::string type_name() const override { return "TextStream"; }
    int find_member(std::string_view name) override { return find_member_in(kMembers, name); }
    const void* member_table() const override { return kMembers; }
    void invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) override;

private:
    void need_reading() {
        if (!reading_ || closed_) raise_error(kErrBadFileMode);
        std::fflush(stdout);
    }
    int peek() {
        int c = std::getc(file_);
        if (c != EOF) std::ungetc(c, file_);
        return c;
    }
    bool at_end() { return peek() == EOF; }
    // Reads one character (all bytes of a UTF-8 sequence) into `out`, counting lines; false
    // at the end of input.
    bool read_char(std::string& out);
    std::string read_line();
    void write(std::string_view s);
    void count(std::string_view s);

    std::FILE* file_;
    bool reading_;
    bool closed_ = false;
    bool after_cr_ = false; // the last character counted was a CR (a following LF ends no line)
    int32_t line_ = 1, column_ = 1;
};

bool ConsoleStream::read_char(std::string& out) {
    int c = std::getc(file_);
    if (c == EOF) return false;
    size_t start = out.size();
    out += char(c);
    if (c >= 0xC0) { // continuation bytes of a UTF-8 sequence
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
        for (int i = 0; i < more; ++i) {
            int n = peek();
            if (n == EOF || (n & 0xC0) != 0x80) break;
            out += char(std::getc(file_));
        }
    }
    count(std::string_view(out).substr(start));
    return true;
}

std::string ConsoleStream::read_line() {
    std::string line;
    int c;
    while ((c = std::getc(file_)) != EOF && c != '\n' && c != '\r')
        line += char(c);
    if (c == '\r' && peek() == '\n') std::getc(file_);
    column_ += int32_t(utf8_length(line));
    if (c != EOF) ++line_, column_ = 1;
    after_cr_ = false;
    return line;
}

// Keeps Line and Column for text that went through the stream.
void ConsoleStream::count(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '\n' || c == '\r') {
            if (!(c == '\n' && after_cr_)) ++line_;
            column_ = 1;
            after_cr_ = c == '\r';
            ++i;
            continue;
        }
        after_cr_ = false;
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++column_;
        ++i;
    }
}

void ConsoleStream::write(std::string_view s) {
    if (reading_ || closed_) raise_error(kErrBadFileMode);
    if (!s.empty() && std::fwrite(s.data(), 1, s.size(), file_) != s.size())
        raise_error(kErrIoError);
    count(s);
}

void ConsoleStream::invoke(int id, CallKind kind, CallArgs& args, Value& result, Context& ctx) {
    if (kind == CallKind::Let || kind == CallKind::Set) raise_error(kErrWrongArgs);
    if (write_member(id, kind, args, "\n", [&](std::string_view s) { write(s); })) return;
    switch (id) {
    case kAtEndOfStream:
        check_arg_count(args, kind, 0, 0);
        need_reading();
        result = Value::boolean(at_end());
        return;
    case kAtEndOfLine: {
        check_arg_count(args, kind, 0, 0);
        need_reading();
        int c = peek();
        result = Value::boolean(c == EOF || c == '\r' || c == '\n');
        return;
    }
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
        if (!reading_) std::fflush(file_);
        closed_ = true; // the process's own file stays open for Echo and the host
        return;
    case kRead:
    case kSkip: {
        check_arg_count(args, kind, 1, 1);
        int32_t n = to_long(args[0]);
        if (n < 0) raise_error(kErrIllegalCall);
        need_reading();
        if (n > 0 && at_end()) raise_error(kErrInputPastEnd);
        std::string out;
        for (int32_t i = 0; i < n; ++i) {
            if (i % 4096 == 0) ctx.check_interrupt();
            if (!read_char(out)) break;
        }
        if (id == kRead) result = Value::string(std::move(out));
        return;
    }
    case kReadAll: {
        check_arg_count(args, kind, 0, 0);
        need_reading();
        // Empty input reads as an empty text: a filter script given nothing has nothing to do.
        std::string all;
        char buf[4096];
        size_t got;
        while ((got = std::fread(buf, 1, sizeof buf, file_)) > 0) {
            all.append(buf, got);
            ctx.check_interrupt();
        }
        count(all);
        result = Value::string(std::move(all));
        return;
    }
    case kReadLine:
    case kSkipLine:
        check_arg_count(args, kind, 0, 0);
        need_reading();
        if (at_end()) raise_error(kErrInputPastEnd);
        if (id == kReadLine)
            result = Value::string(read_line());
        else
            read_line();
        return;
    default:
        raise_error(kErrNoMember);
    }
}

} // namespace

Ptr<Object> make_console_reader(std::FILE* file) {
    return make_object<ConsoleStream>(file, true);
}

Ptr<Object> make_console_writer(std::FILE* file) {
    return make_object<ConsoleStream>(file, false);
}

} // namespace vbs
