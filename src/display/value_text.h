#pragma once
// The text of a value in its cell. Every value a run delivers is turned into text once per
// refresh: numbers through the format's number, zero and negative formats, dates through its
// date format, everything else by the fixed texts of the type-code table. Alignment, font and
// colours are applied when the cell is drawn, not here.
//
// Nothing here throws: a format that cannot show a value gives the general number form
// (numbers) or the "c" form (dates). Separators and names come from the locale, by default
// the current one.

#include <string>
#include <string_view>

#include "display/prop_stuff.h"
#include "vbscript/locale.h"
#include "vbscript/variant.h"

namespace mondrel {

// How a kind of value becomes text.
enum class text_rule { fixed, number, date, string, boolean };

// The rule for an OLE variant type code, and for fixed rules the text ("Empty", "Null",
// "IDispatch", "error", "variant", "unknown", "any"; "???" for unknown codes and arrays).
text_rule rule_for_type_code(int code, std::string_view& fixed_text);

// The OLE variant type code of a script value (arrays carry the array bit, 8192).
int type_code_of(const vbs::Value& v);

std::string value_text(const vbs::Value& v, const prop_list& format);
void append_value_text(const vbs::Value& v, const prop_list& format, const vbs::locale_info& loc,
                       std::string& out);

// The rules for plain values, as the format editor's examples use them.
std::string number_text(double v, const prop_list& format);
std::string date_text(double ole_date, const prop_list& format);

// The format editor's examples: the number rule or the date format applied to v, or false
// (and out unchanged) when the format cannot show v.
bool number_example(double v, const prop_list& format, const vbs::locale_info& loc,
                    std::string& out);
bool date_example(double ole_date, const prop_list& format, const vbs::locale_info& loc,
                  std::string& out);

} // namespace mondrel
