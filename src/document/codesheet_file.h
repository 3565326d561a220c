#pragma once
// Codesheet files: the XML format of ".mdr" files, and the choice between it and the
// line-text format by a file's extension.
//
// The layout written is fixed to the byte: the declaration, one element per line, a tab per
// level below the root, "<name></name>" for an empty element, CR LF line ends, the `line`
// attributes in the order open, type, indent, and only four characters escaped (" & < >).
// The reader takes any whitespace layout and LF or CR LF line ends.
//
// Loading and storing never raise to their callers: a failure is written to the diagnostic log
// as "ERROR in mondrel_doc.load_xml: " (or store_xml) and the reason, and reported by the
// result.

#include <string>
#include <string_view>

namespace mondrel {

class mondrel_doc;

// Read modes: 1 replaces every line and reads the sheet's settings; any other mode inserts the
// file's lines after a given line and leaves the settings alone (include files use 3).
inline constexpr int read_replace = 1;
inline constexpr int read_insert = 3;

// Reads a codesheet. `source` is a file name when `source_is_file`, otherwise the XML text
// itself (the built-in pages). All or nothing: on failure the document is left as it was.
// Lists keep their stored shape in both modes. Counts that do not fit the lines that follow are
// repaired (one log line says so); data_cols is kept within 1 to 27.
bool load_xml(mondrel_doc& doc, std::string_view source, bool source_is_file, int mode,
              int position);

// The XML text of the document, in the layout above. Lines that include files brought in are
// left out (their `incl` line is stored as a leaf).
std::string xml_text(const mondrel_doc& doc);

// With `to_file`, writes xml_text to the file named by `destination`, safely (the old file is
// replaced only once the new one is complete); otherwise puts the text in `destination`.
// Returns false (and logs) when the file could not be written; `reason`, when given, receives
// why, for the user.
bool store_xml(const mondrel_doc& doc, std::string& destination, bool to_file,
               std::string* reason = nullptr);

// What a file name means: the path to use and whether it is an XML codesheet.
//   no extension      -> ".mdr" is added; XML
//   ends in a lone "." -> the dot is dropped; line text
//   ".mdr" in any case -> XML; any other extension -> line text
// A name without a folder is taken in the document's folder.
struct file_choice {
    std::string path;
    bool xml = false;
};
file_choice resolve_file_name(const mondrel_doc& doc, std::string_view name);

// Reads a file in the format its name chooses (load_xml or read_lines) with the given mode.
bool read_file(mondrel_doc& doc, std::string_view name, int mode, int position);

struct save_result {
    bool ok = false;
    std::string path;    // the file written (or not)
    std::string message; // for the user when not ok: "Could not save the file: " and the path
    std::string reason;  // why not, when not ok ("the file is read-only", ...)
    // Lines the line-text form had to change so that no field could read back as a line of its
    // own (see text_form); always 0 for a codesheet file, which carries every text as it is.
    int changed_lines = 0;
};

// Writes the document in the format its name chooses. The lines that include files brought in
// are first taken out of the sheet (the next run loads them again). Only a write that
// succeeded marks the document saved; after a failure it stays modified and the old file is
// untouched. A name that ends in a folder separator names no file and is refused, as are the
// names replace_file refuses (a folder, a device, a read-only file).
save_result write_file(mondrel_doc& doc, std::string_view name);

} // namespace mondrel
