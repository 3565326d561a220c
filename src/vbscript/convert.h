// Coercions between Value subtypes, as VBScript applies them to operands and arguments.
//
// Each function raises the VBScript error the engine would (13 Type mismatch for text that
// is no number, 94 Invalid use of Null, 6 Overflow, 424 Object required for Nothing) through
// raise_error. Objects are read through their default member first.
//
// Number <-> text conversion follows the engine's locale. It is concentrated in
// format_number / parse_number / format_date / parse_date so the locale reaches every path
// through these four functions.
#pragma once

#include "vbscript/variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vbs {

class Context;

// The value itself, or for an object its default member's value (error 438 when it has
// none, 91 for Nothing). Arrays, strings and numbers pass through.
Value to_primitive(const Value& v);

double to_double(const Value& v);        // CDbl rules; Empty is 0, Null raises 94
int32_t to_long(const Value& v);         // CLng rules: round half to even, range check 6
int16_t to_integer(const Value& v);      // CInt rules
uint8_t to_byte(const Value& v);         // CByte rules
int64_t to_currency_raw(const Value& v); // CCur rules, amount * 10000
double to_date(const Value& v);          // CDate rules, OLE date
bool to_bool(const Value& v);            // CBool rules: "True"/"False" and numbers
std::string to_string(const Value& v);   // CStr rules; Null raises 94
Value to_number(const Value& v);         // keeps numeric subtypes; text becomes Double

// Text of a number the way CStr writes it: up to 15 significant digits for Double, 7 for
// Single, exponent form outside 1e-15..1e15 ("1E+16", "1.5E-07").
std::string format_double(double d);
std::string format_single(float f);
std::string format_currency_raw(int64_t scaled);
// Text of an OLE date the way CStr writes it (short date, long time, either part omitted
// when zero).
std::string format_date(double ole_date);

// Reads a number written in script text or typed by a user: optional sign and spaces,
// digits with the locale's decimal separator, exponent, &H/&O prefixes. Returns false when
// the text is not a number.
bool parse_number(std::string_view text, double& out);
// Reads a date/time written as the locale writes them ("1/15/2020", "3:04:05 PM", "2020-01-15",
// "January 15, 2020"). Returns false when the text is not a date.
bool parse_date(std::string_view text, double& out);
// Reads the inside of a date literal (#1/15/2020 10:30#): month first, English names, whatever
// the locale.
bool parse_date_literal(std::string_view text, double& out);

// Date arithmetic on OLE dates.
double date_from_parts(int year, int month, int day); // month/day may overflow and roll on
bool date_to_parts(double ole, int& year, int& month, int& day);
double time_from_parts(int hour, int minute, int second);

// The case-sensitive (binary) or case-insensitive (text) comparison of two strings:
// negative, zero or positive.
int compare_strings(std::string_view a, std::string_view b, bool text_compare);

// VBScript's TypeName text for a value ("Integer", "String", "Variant()", a class name, ...).
std::string type_name(const Value& v);

} // namespace vbs
