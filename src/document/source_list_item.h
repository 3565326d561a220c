#pragma once
// One codesheet line. The document keeps its lines in one array in tree pre-order; `count`
// is the only thing that encodes the shape of the tree (see line_tree.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "document/rare_vector.h"
#include "document/value_list.h"
#include "vbscript/variant.h"

namespace mondrel {

class prop_list;

// Owns a format set, unless the set is one of the shared ones below, which are never freed.
// Most lines have no format of their own; they all point at one shared set instead of
// holding a copy each (a set is a few hundred bytes, a long sheet has millions of lines).
// A line's format is never changed in place, only replaced, so sharing is safe.
struct format_release {
    format_release() = default;
    format_release(std::default_delete<prop_list>) {} // takes over a std::unique_ptr's set
    void operator()(prop_list* format) const noexcept;
};
using format_ptr = std::unique_ptr<prop_list, format_release>;

// The empty placeholder a new line starts with (prop_list()), and the set parsed from the
// empty text (prop_list::from_text("")), each shared.
format_ptr placeholder_format();
format_ptr empty_text_format();
// The set parsed from `text`; the shared one for the empty text.
format_ptr format_from_text(std::string_view text);
// A set equal to `format` for another line: the same shared set, or a copy of an own one.
format_ptr format_copy(const format_ptr& format);

// Index path of a value inside nested arrays, and per-level open states of a value.
using si_array = std::vector<int16_t>;
using bo_array = std::vector<uint8_t>;

enum line_flag : int32_t {
    flag_open = 1,       // the children are shown
    flag_readonly = 2,   // a click follows the line's link instead of editing it
    flag_breakpoint = 4, // a run stops before the line
    flag_block_head = 8, // head of a vb block; recomputed when a run starts
};

enum line_status : int32_t {
    status_ok = 0,
    status_runtime_error = 1,
    status_syntax_error = 2,
};

// Values a run stored on the line. The host object fills them. `capacity` is the number of
// value slots a line has (grown to an index plus 10); values are kept up to the highest one
// stored. Index paths and open flags are grown to the capacity once a value comes with a
// path, and formats once a FMT result gives a value a format of its own; until then they are
// empty (most lines never have either). A value without a format (null, or none) shows in the
// line's own format.
struct line_results {
    int32_t count = 0;     // 0 until the run reports the line
    int32_t capacity = 10; // the value slots: grown to an index plus 10
    // Some value came with an index path (an array spread over rows). Only then can there be
    // open flags to keep from run to run; the walk skips them for every other line.
    bool has_paths = false;
    // Some value may be an object or an array, which must be let go before the script engine
    // is reset; other values are simply overwritten by the next run.
    bool has_objects = false;
    bool has_formats = false; // a FMT result gave some value a format (see value_format)
    value_list values;
    // Empty for most lines, so each is one pointer until it is filled (see rare_vector).
    rare_vector<const prop_list*> formats;
    rare_vector<si_array> indexes;
    rare_vector<bo_array> opens;
    rare_vector<bo_array> saved_opens;
};

// Each line starts a cache line, and what the end of a run writes for every line (the result
// count, flags, and where the values are) comes first: one memory access per line.
struct alignas(64) source_list_item {
    // Lines are made by make_line, which fills the translation fields; this constructor only
    // sets the given fields and the defaults of a new line.
    source_list_item(int32_t count, std::string name, std::string code);
    ~source_list_item();
    source_list_item(const source_list_item&) = delete;
    source_list_item& operator=(const source_list_item&) = delete;
    // Records come from the line pool (line_pool.h), next to the lines made before them.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, std::align_val_t);
    static void operator delete(void* room) noexcept;
    static void operator delete(void* room, std::align_val_t) noexcept;

    line_results results;
    // The fields the walk reads for a line.
    int32_t count = 1; // one plus the number of direct children; 0 or less acts as a leaf
    int32_t flags = 0; // breakpoints change through mondrel_doc::set_breakpoint
    int32_t code_word = 0;
    int32_t status = status_ok;
    // Changes whenever `script` or `display_text` of this line change (a new line has a stamp
    // no other line ever had): compiled forms of the texts are checked against it, which does
    // not read the texts. Code that changes the texts of a line in a document uses the setters.
    // (`name`, `temp1` and `temp2` never change once make_line has made the line.)
    uint64_t stamp;
    // The run engine's compiled form of this line's texts. It stays with the line when lines
    // around it are added, removed or moved; the run engine checks it against the stamp.
    std::shared_ptr<void> run_code;
    format_ptr format; // never null once the line is in a document

    // Translation, filled by make_line.
    std::string script;
    std::string display_text; // MR.dspx calls, each ending in CR LF
    std::string aux_text;     // fmt format, incl file, cmd path, or the vb line's own script
    std::string temp1;        // for stop / arr dimensions
    std::string temp2;        // for step

    std::string code; // leading blanks are the line's indentation and belong to the code
    std::string name;
    std::string error_text;

    // Set a translation text; the stamp changes when the text does.
    void set_script(std::string_view text);
    void set_display_text(std::string_view text);

    bool has_flag(int32_t f) const { return (flags & f) != 0; }
    bool is_open() const { return has_flag(flag_open); }
    // A list head: a line with at least one child. Counts of 0 or less behave as leaves.
    bool has_children() const { return count > 1; }
};

using line_ptr = std::unique_ptr<source_list_item>;

// The format value k of a line shows in: one a FMT result gave it, else the line's own.
inline const prop_list* value_format(const source_list_item& line, size_t k) {
    const rare_vector<const prop_list*>& formats = line.results.formats;
    const prop_list* own = k < formats.size() ? formats[k] : nullptr;
    return own ? own : line.format.get();
}

// The newest stamp any line has had: while it stays the same, no line's texts have changed and
// no line was made.
uint64_t latest_stamp();

} // namespace mondrel
