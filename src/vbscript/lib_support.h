// Helpers shared by the library files (lib_*.cpp): UTF-8 text counted in characters, case
// folding for text comparison, argument readers with VBScript's checks, arrays made from
// vectors, dates split into parts, and a member table for library objects.
#pragma once

#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/locale.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vbs {

// --- UTF-8 -----------------------------------------------------------------------------------

// The code point at byte `pos`, advancing pos past it. A malformed byte reads as itself
// (Latin-1) and advances one byte, so no input stops a loop.
uint32_t utf8_next(std::string_view s, size_t& pos);
void utf8_append(std::string& out, uint32_t cp);
// Number of characters (code points) in s.
int64_t utf8_length(std::string_view s);
// Byte offset of character index `chars` (0-based); s.size() when past the end.
size_t utf8_offset(std::string_view s, int64_t chars);
// Character index of byte offset `bytes` (which must start a character).
int64_t utf8_index(std::string_view s, size_t bytes);
// True when every byte is below 0x80, so character and byte positions agree.
bool is_ascii(std::string_view s);

// Lower and upper case of a code point for the scripts VBScript users meet (Latin, Greek,
// Cyrillic). Each mapping keeps the UTF-8 length, so folded text has the same byte offsets.
uint32_t lower_cp(uint32_t cp);
uint32_t upper_cp(uint32_t cp);
std::string lower_text(std::string_view s);
std::string upper_text(std::string_view s);

// Finds `needle` in `hay` at or after byte `from`; text_compare ignores case. Returns a byte
// offset or std::string_view::npos. An empty needle is found at `from`.
size_t find_text(std::string_view hay, std::string_view needle, size_t from, bool text_compare);
// The last occurrence starting at or before byte `last_start`.
size_t rfind_text(std::string_view hay, std::string_view needle, size_t last_start,
                  bool text_compare);
// Equality of two texts under binary or text comparison.
bool equal_text(std::string_view a, std::string_view b, bool text_compare);

// --- arguments ---------------------------------------------------------------------------------

// The argument as text (CStr rules). Raises 94 for Null.
std::string arg_text(ArgList args, size_t i);
// An optional whole-number argument: `fallback` when missing; CLng rules otherwise.
int32_t arg_long(ArgList args, size_t i, int32_t fallback);
// An optional compare argument: 0 binary, 1 text (anything else raises 5).
bool arg_text_compare(ArgList args, size_t i);
// An optional Boolean argument (CBool rules); `fallback` when missing.
bool arg_bool(ArgList args, size_t i, bool fallback);

// --- values ------------------------------------------------------------------------------------

Value make_array(std::vector<Value> items);

// --- dates -------------------------------------------------------------------------------------

// The broken-down form of an OLE date: calendar date and time of day. Negative OLE dates keep
// a positive time fraction (-1.25 is 12/29/1899 6:00), as the date type defines.
struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    int64_t day_number = 0; // the integral OLE day
};
DateParts split_date(double ole);
// A point on a continuous time line (days since the epoch with the time as a positive offset)
// and back; OLE dates below zero are not continuous.
double ole_to_linear(double ole);
double linear_to_ole(double linear);
// Fails with 5 unless ole lies within 1/1/100 .. 12/31/9999.
double checked_date(double ole);
// Day of the week, 1 for Sunday through 7 for Saturday.
int weekday_of(int64_t day_number);
// The first day of the week an argument names: 0 is the locale's, 1..7 vbSunday..vbSaturday.
int arg_first_day(ArgList args, size_t i, int fallback);
// Expands a Windows date picture (d dd ddd dddd M MM MMM MMMM yy yyyy h hh H HH m mm s ss t
// tt, quoted text) for an OLE date in the given locale.
std::string format_date_picture(std::string_view picture, double ole, const locale_info& loc);

// --- library objects ---------------------------------------------------------------------------

// One named member of a library object. Id 0 is the default member.
struct MemberName {
    std::string_view name;
    int id;
};
// Looks a member up without regard to case; "" finds id 0 when the table has one.
int find_member_in(std::span<const MemberName> table, std::string_view name);
// Raises 450 unless the call has between min and max arguments (the assigned value of a
// Let/Set call is not counted).
void check_arg_count(const CallArgs& args, CallKind kind, uint32_t min, uint32_t max);

} // namespace vbs
