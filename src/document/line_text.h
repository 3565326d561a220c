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
std::string text_form(const source_list_item& line, bool whole);

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
std::string lines_text(const mondrel_doc& doc);

// Writes lines_text to the file, safely (see replace_file). On failure logs
// "ERROR in mondrel_doc.write_lines: " and the reason, and returns false.
bool write_lines(const mondrel_doc& doc, const std::string& file_name);

// Reads a line-text file: mode 1 replaces every line of the document, any other mode inserts
// the file's lines after the line at `position` keeping their lists' shape. On failure (no
// such file, too large, a line too long) logs "ERROR in mondrel_doc.read_lines: " and the
// reason, leaves the document unchanged and returns false.
bool read_lines(mondrel_doc& doc, const std::string& file_name, int mode, int position);

} // namespace mondrel
