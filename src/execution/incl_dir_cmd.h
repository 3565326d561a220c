#pragma once
// The three code words that reach outside the sheet, run-time side.
//
// INCL: when a run starts, an `incl` line with no children gets a `rem` child saying the
// include was loaded automatically, followed by the lines of the named codesheet; before the
// sheet is stored those lines are removed again.
// DIR: a `dir` line lists a folder tree into a nested array of names. The names are data: they
// reach the script as values through the host object, never as script text.
// CMD: `cmd stop` ends the run; `cmd run` ends it and hands over to another codesheet, which the
// window (or the headless runner) opens and runs through a chain_host.

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "document/source_list_item.h"
#include "vbscript/variant.h"

namespace mondrel {

class mondrel_doc;
class run_engine;

// --- INCL ------------------------------------------------------------------------------------

// Where included codesheets come from: the codesheet file reader in the program, a table in
// tests.
class include_source {
public:
    virtual ~include_source() = default;
    // Inserts the lines of the codesheet at `path` into `doc` after line `position`, as the
    // file reader's insert mode does (a leaf at `position` gets them as following siblings).
    // On failure leaves the document as it was, returns false and may say why in `error`.
    virtual bool read(mondrel_doc& doc, const std::string& path, int position,
                      std::string& error) const = 0;
};

// Reads include files with the codesheet file reader (XML for ".mdr", line text otherwise).
class file_include_source final : public include_source {
public:
    bool read(mondrel_doc& doc, const std::string& path, int position,
              std::string& error) const override;
};

// The reader a run uses unless told otherwise.
const include_source& file_includes();

// The default folder for include files of a sheet that has no folder yet (a process-wide
// setting, empty by default).
const std::string& def_incl_dir();
void set_def_incl_dir(std::string folder);

// The file an `incl` line names, resolved for `doc`: a name without a folder part is looked
// for in the sheet's folder (or def_incl_dir for a sheet never stored); a relative path is
// taken from the sheet's folder too; a name without extension gets ".mdr".
std::string include_path(const mondrel_doc& doc, std::string_view file);

// Loads the include files of the sheet: at most 5 passes, each loading every sound `incl` line
// without children; lines loaded in one pass are looked at in the next. Returns the number of
// includes loaded. A file that cannot be read, or that includes itself through the lines above
// it, leaves the `incl` line without children and with a run-time error saying so. Each pass
// costs time in proportion to the sheet and the lines it loads. When `stop` is raised (a run
// interrupted or out of time), no further file is read.
int load_include_files(mondrel_doc& doc, const include_source& source,
                       const std::atomic<bool>* stop = nullptr);

// Removes every included line (the subtrees of `incl` lines), leaving the `incl` lines.
void remove_included_lines(mondrel_doc& doc);

// --- DIR -------------------------------------------------------------------------------------

// A folder tree as the DIR line shows it: the folder's name, its subfolders, then its plain
// entries, each in the order the file system lists them.
struct dir_node {
    std::string name;
    std::vector<dir_node> folders;
    std::vector<std::string> files;
};

// The deepest folder a listing reaches below the listed one: each folder level adds an index
// to its names' paths, and a line reports values with at most max_dir_indexes indexes.
inline constexpr int max_dir_indexes = 10;
inline constexpr int max_dir_depth = max_dir_indexes - 1;

// Lists `path` into `out`. False for an empty path or a listing that fails part-way (a tree
// deeper than max_dir_depth, too many entries); `reason`, when given, then says why for the
// user (empty for an empty path). A folder that does not exist gives a node holding only its
// name. Symbolic links are listed as plain entries and never followed, so a link loop cannot
// recurse.
bool folder_scan(std::string_view path, dir_node& out, std::string* reason = nullptr);

// The listing as an array literal: {"F",{"S","a.txt"},"b.txt"}. Every name is written as a
// string literal with each double quote doubled, so any name reads back exactly.
std::string dir_literal(const dir_node& node);

// The same listing as a nested script array, and the literal of its shape with a 0 for every
// name (what the line maker turns into the display text).
vbs::Value dir_value(const dir_node& node);
std::string dir_shape_literal(const dir_node& node);

// Writes `name` as a script string literal: quotes around it, each quote doubled.
std::string quote_script_string(std::string_view name);

// --- CMD run ---------------------------------------------------------------------------------

// What opens the codesheet a `cmd run` line names: the main window (find or add a tab, load,
// show failures in a message box) or the headless runner (load the file into a new document).
class chain_host {
public:
    virtual ~chain_host() = default;
    // The run engine of the codesheet at `path`, opened or found; nullptr when it cannot be
    // opened (the host reports that itself).
    virtual run_engine* open_for_chain(const std::string& path) = 0;
};

// Follows `cmd run` hand-overs from a finished run: while the last run ended in a chain, opens
// the named codesheet through `host` and runs it (a document found paused resumes). Each
// hand-over is one level deeper; the run engine refuses to chain past max_chain_depth.
// Returns the engine of the last run.
run_engine& follow_chain(run_engine& from, chain_host& host);

} // namespace mondrel
