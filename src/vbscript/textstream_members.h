#pragma once
// The members of a TextStream, shared by the file streams of FileSystemObject and the console
// streams of the script host: one table, so a call site's member id holds for both.

#include <cstdint>

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

} // namespace vbs::textstream
