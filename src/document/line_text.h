#pragma once
// The line-text format: one text line per codesheet line, carrying the open mark, the count,
// the name, the code word, the code and the format. The clipboard and every file whose
// extension is not ".mdr" use it.
//
//   o 1 ab2:=1+2/4      ''f align:right; style:bold
//   c 3 t:if x > 0
//
// whole form: "o " or "c " and the count; single form: "o 1" whatever the line holds (copy
// uses it for an open head whose children are not all copied).

#include <string>
#include <string_view>

#include "document/line_block.h"
#include "document/source_list_item.h"

namespace mondrel {

class mondrel_doc;
class prop_list;

// The six blanks, two apostrophes, "f" and a blank that put a line's format behind its code.
inline constexpr std::string_view format_marker = "      ''f ";

// The most characters a paste takes from the clipboard.
inline constexpr std::size_t max_paste_chars = 99999;

// The text a format set is stored and exchanged as: the text it was parsed from, so that what
// the user wrote comes back unchanged; the set's full text when its fields were changed after
// parsing; "" for the empty set of a new line.
std::string format_text(const prop_list& format);

// The line-text form of one line; whole form when `whole`, single form otherwise.
//
// The form is always one text line, so no part of a field can ever be read back as a line of
// its own: inside the code, name and format a " _" continuation and the line break after it
// join the two lines into one, and any other line break (CR LF, LF or CR) becomes a blank. A
// line whose name the reader could not take back (see line_text_can_carry_name) is written as
// a `rem` line holding its name, word and code, so it can never read back as another, running
// line. `changed`, when given, is set to true when either happened.
std::string text_form(const source_list_item& line, bool whole, bool* changed = nullptr);

// True when a name survives the line-text form: one name token of the code scanner, no
// keyword, a letter first, then letters, digits and "_". An empty name needs no carrying.
bool line_text_can_carry_name(std::string_view name);

// True when one text line has the shape of the format: "c" or "o", a blank, 1 to 7 digits and
// a blank, so at least 4 characters.
bool is_text_form_line(std::string_view line);
// True when every line of the text has that shape (the empty text too).
bool is_line_text(std::string_view text);

// Reads one text line:
//   text_line -> [mark] count ( "=" | code_word | name ":" ( "=" | code_word ) ) code
// with the tokens of the code scanner. Returns nothing when the line does not have that shape.
line_ptr read_text_form(mondrel_doc& doc, std::string_view text);

// read_text_form, but a line that cannot be read becomes a `rem` line holding the text, so
// nothing the user wrote is lost.
line_ptr read_text_line(mondrel_doc& doc, std::string_view text);

// The lines of a text: each read with read_text_line when `line_text`, each a `rem` line
// holding the text line otherwise. The counts are repaired (see repair_counts); `repaired`, when
// given, receives the number of counts changed.
line_block read_text_block(mondrel_doc& doc, std::string_view text, bool line_text,
                           int* repaired = nullptr);

// The whole form of every stored line (see for_each_stored_line), each ended by CR LF.
// `changed`, when given, receives the number of lines text_form had to change.
std::string lines_text(const mondrel_doc& doc, int* changed = nullptr);

// Writes lines_text to the file, safely (see replace_file). On failure logs
// "ERROR in mondrel_doc.write_lines: " and the reason, puts the reason in `reason` when given,
// and returns false. `changed`, when given, receives the number of lines text_form had to
// change.
bool write_lines(const mondrel_doc& doc, const std::string& file_name, int* changed = nullptr,
                 std::string* reason = nullptr);

// Reads a line-text file (UTF-8 with or without a byte-order mark, or UTF-16 with one; lines
// end in CR LF, LF or CR): mode 1 replaces every line of the document, any other mode inserts
// the file's lines after the line at `position` keeping their lists' shape. On failure (no
// such file, too large, a line too long) logs "ERROR in mondrel_doc.read_lines: " and the
// reason, leaves the document unchanged and returns false.
bool read_lines(mondrel_doc& doc, const std::string& file_name, int mode, int position);

} // namespace mondrel
