// The vb* constants of VBScript: text characters, comparison modes, VarType numbers, days and
// weeks, date formats, MsgBox buttons and answers, tri-states, vbObjectError and the colours.
#include "vbscript/lib_support.h"

namespace vbs {
namespace {

struct NumberConstant {
    const char* name;
    int32_t value;
};

// Small values are Integers, as VBScript's constants of these groups are.
const NumberConstant kIntegerConstants[] = {
    // Comparison.
    {"vbBinaryCompare", 0},
    {"vbTextCompare", 1},
    {"vbDatabaseCompare", 2},
    // VarType.
    {"vbEmpty", 0},
    {"vbNull", 1},
    {"vbInteger", 2},
    {"vbLong", 3},
    {"vbSingle", 4},
    {"vbDouble", 5},
    {"vbCurrency", 6},
    {"vbDate", 7},
    {"vbString", 8},
    {"vbObject", 9},
    {"vbError", 10},
    {"vbBoolean", 11},
    {"vbVariant", 12},
    {"vbDataObject", 13},
    {"vbDecimal", 14},
    {"vbByte", 17},
    {"vbArray", 8192},
    // Days of the week and the first week of the year.
    {"vbUseSystemDayOfWeek", 0},
    {"vbSunday", 1},
    {"vbMonday", 2},
    {"vbTuesday", 3},
    {"vbWednesday", 4},
    {"vbThursday", 5},
    {"vbFriday", 6},
    {"vbSaturday", 7},
    {"vbUseSystem", 0},
    {"vbFirstJan1", 1},
    {"vbFirstFourDays", 2},
    {"vbFirstFullWeek", 3},
    // FormatDateTime.
    {"vbGeneralDate", 0},
    {"vbLongDate", 1},
    {"vbShortDate", 2},
    {"vbLongTime", 3},
    {"vbShortTime", 4},
    // Tri-state arguments of the Format functions.
    {"vbTrue", -1},
    {"vbFalse", 0},
    {"vbUseDefault", -2},
    // MsgBox buttons, icons and answers.
    {"vbOKOnly", 0},
    {"vbOKCancel", 1},
    {"vbAbortRetryIgnore", 2},
    {"vbYesNoCancel", 3},
    {"vbYesNo", 4},
    {"vbRetryCancel", 5},
    {"vbCritical", 16},
    {"vbQuestion", 32},
    {"vbExclamation", 48},
    {"vbInformation", 64},
    {"vbDefaultButton1", 0},
    {"vbDefaultButton2", 256},
    {"vbDefaultButton3", 512},
    {"vbDefaultButton4", 768},
    {"vbApplicationModal", 0},
    {"vbSystemModal", 4096},
    {"vbOK", 1},
    {"vbCancel", 2},
    {"vbAbort", 3},
    {"vbRetry", 4},
    {"vbIgnore", 5},
    {"vbYes", 6},
    {"vbNo", 7},
};

const NumberConstant kLongConstants[] = {
    {"vbMsgBoxHelpButton", 16384},
    {"vbMsgBoxSetForeground", 65536},
    {"vbMsgBoxRight", 524288},
    {"vbMsgBoxRtlReading", 1048576},
    {"vbObjectError", -2147221504},
    // Colours as &HBBGGRR.
    {"vbBlack", 0x000000},
    {"vbRed", 0x0000FF},
    {"vbGreen", 0x00FF00},
    {"vbYellow", 0x00FFFF},
    {"vbBlue", 0xFF0000},
    {"vbMagenta", 0xFF00FF},
    {"vbCyan", 0xFFFF00},
    {"vbWhite", 0xFFFFFF},
};

struct TextConstant {
    const char* name;
    std::string_view value;
};

const TextConstant kTextConstants[] = {
    {"vbCr", "\r"},
    {"vbLf", "\n"},
    {"vbCrLf", "\r\n"},
    {"vbNewLine", "\r\n"},
    {"vbTab", "\t"},
    {"vbNullString", ""},
    {"vbNullChar", std::string_view("\0", 1)},
    {"vbFormFeed", "\f"},
    {"vbVerticalTab", "\v"},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(constants) {
    for (const vbs::NumberConstant& c : vbs::kIntegerConstants)
        reg.add_constant(c.name, vbs::Value::integer(int16_t(c.value)));
    for (const vbs::NumberConstant& c : vbs::kLongConstants)
        reg.add_constant(c.name, vbs::Value::long_(c.value));
    for (const vbs::TextConstant& c : vbs::kTextConstants)
        reg.add_constant(c.name, vbs::Value::string(c.value));
}
