#pragma once
// Copy and paste of lines through the plain-text clipboard, the copying half of cut, copy
// cells, and copy format. Cut itself (copy, then delete) and paste format are commands of
// editing_commands.
//
// The commands take the selection as line indexes: `first` and `last` are the lines of the
// first and last selected grid rows (the display maps rows to lines). The lines in between
// that are shown as rows (every list head above them open) are the selected lines. While an
// in-place edit is active the window copies and pastes the editor's text instead and does not
// call these.

#include <cstddef>
#include <string>
#include <vector>

#include "document/editing_commands.h"
#include "platform/text_clipboard.h"

namespace mondrel {

class mondrel_doc;

// The line-text form of the selection: a leaf, a closed list and an open list whose subtree ends
// inside the selection are copied whole; an open head whose subtree runs past `last` is copied
// in the single form ("o 1") and copying goes on with its first child. Each line ends in CR LF.
// As in a file, no field of a line can become a text line of its own (see text_form);
// `changed`, when given, receives the number of lines that had to be changed for that.
std::string copy_text(const mondrel_doc& doc, int first, int last, int* changed = nullptr);

// Puts copy_text on the clipboard. Changes nothing in the document. Returns the number of lines
// whose text form had to be changed, for the window to mention.
int copy_lines(const mondrel_doc& doc, int first, int last, text_clipboard& clipboard);

// The clipboard side of the cut command (editing_commands): copies the selected lines, given as
// the lines of the selected rows, onto a text clipboard.
class clipboard_copier : public line_copier {
public:
    explicit clipboard_copier(text_clipboard& clipboard) : clipboard_(clipboard) {}
    void copy_lines(const mondrel_doc& doc, line_selection selected) override;
    // The lines the last copy had to change (see copy_text).
    int changed_lines() const { return changed_lines_; }

private:
    text_clipboard& clipboard_;
    int changed_lines_ = 0;
};

// What pasting over the selected lines did to them.
struct delete_outcome {
    int deleted = 0; // selected lines removed
    // Open list heads left in place because their first child is a list, which may not start a
    // list; the window tells the user cannot_delete_list_start_message.
    int refused = 0;
};

struct paste_outcome {
    bool pasted = false;    // false: read-only document or no text on the clipboard
    bool line_text = false; // the text was recognised as line text
    bool truncated = false; // the clipboard held more than max_paste_chars characters
    int lines = 0;          // lines added
    int repaired = 0;       // counts that did not fit the pasted lines and were repaired
    delete_outcome replaced;
};

// Pastes the clipboard's text in place of the selected lines, as one undo step
// "edit_pasteExecute": in the line-text format each text line becomes the line it describes
// (a line that cannot be read becomes a `rem` line holding the text); any other text gives one
// `rem` line per text line. The pasted lines go in front of the first selected line as its
// siblings (in front of an open head too: the head keeps its children), lists keep their
// shape, and then the selected lines are deleted. At most max_paste_chars characters are
// taken, ending with the last whole line within them.
paste_outcome paste_lines(mondrel_doc& doc, int first, int last, const text_clipboard& clipboard);
// The same with the lines of the selected rows (the first and the last count).
paste_outcome paste_lines(mondrel_doc& doc, line_selection selected,
                          const text_clipboard& clipboard);

// The text copy format keeps: the format text of line `first` ("" outside the document). The
// display holds it; paste format is editing_commands::paste_format.
std::string copy_format(const mondrel_doc& doc, int first);

// One grid row as copy cells takes it: the texts its code, name and value cells show (a
// continuation row of a line has empty code and name). The display builds these rows.
struct cell_row {
    std::string code;
    std::string name;
    std::vector<std::string> values;
};

// code TAB name { TAB value } CR LF, for each row in order. A tab or line break inside a cell
// becomes a blank, so every row stays one line and every cell in its column.
std::string cells_text(const std::vector<cell_row>& rows);

// Puts cells_text on the clipboard.
void copy_cells(const std::vector<cell_row>& rows, text_clipboard& clipboard);

} // namespace mondrel
