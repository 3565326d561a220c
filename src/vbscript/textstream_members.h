#pragma once
// The members of a TextStream, shared by the file streams of FileSystemObject and the console
// streams of the script host: one table, so a call site's member id holds for both.

#include <cstdint>
#include <string>
#include <string_view>

#include "vbscript/convert.h"
#include "vbscript/error.h"
#include "vbscript/lib_support.h"

namespace vbs::textstream {

constexpr int32_t kErrBadFileMode = 54;
constexpr int32_t kErrIoError = 57;

enum Member {
    kAtEndOfLine = 1,
    kAtEndOfStream,
    kColumn,
    kLine,
    kClose,
    kRead,
    kReadAll,
    kReadLine,
    kSkip,
    kSkipLine,
    kWrite,
    kWriteLine,
    kWriteBlankLines,
};

inline constexpr MemberName kMembers[] = {
    {"AtEndOfLine", kAtEndOfLine},
    {"AtEndOfStream", kAtEndOfStream},
    {"Column", kColumn},
    {"Line", kLine},
    {"Close", kClose},
    {"Read", kRead},
    {"ReadAll", kReadAll},
    {"ReadLine", kReadLine},
    {"Skip", kSkip},
    {"SkipLine", kSkipLine},
    {"Write", kWrite},
    {"WriteLine", kWriteLine},
    {"WriteBlankLines", kWriteBlankLines},
};

// Write, WriteLine and WriteBlankLines, the same for every stream but for its line end: runs
// member `id` through `write` and says true, or says false for any other member.
template <class Write>
bool write_member(int id, CallKind kind, CallArgs& args, std::string_view line_end,
                  Write&& write) {
    switch (id) {
    case kWrite:
        check_arg_count(args, kind, 1, 1);
        write(to_string(args[0]));
        return true;
    case kWriteLine:
        check_arg_count(args, kind, 0, 1);
        write(args.is_missing(0) ? std::string(line_end)
                                 : to_string(args[0]).append(line_end));
        return true;
    case kWriteBlankLines: {
        check_arg_count(args, kind, 1, 1);
        const int32_t n = to_long(args[0]);
        if (n < 0) raise_error(kErrIllegalCall);
        std::string lines;
        for (int32_t i = 0; i < n; ++i)
            lines += line_end;
        write(lines);
        return true;
    }
    default:
        return false;
    }
}

} // namespace vbs::textstream
