#pragma once
// Global variables: an ordered list of names, each with one value, shared by every document of
// the process. Every value starts as the integer 0 (when the program starts and whenever the
// options rebuild the list); values live only in memory, so a value set by one run is seen by
// the next run of any document until the program ends.

#include <string>
#include <string_view>
#include <vector>

#include "vbscript/variant.h"

namespace mondrel {

class script_engine;

// A name the global set-up may declare: a letter, then letters, digits and underscores, at most
// 254 characters. Names become script text ("Dim name"), so nothing else is ever accepted.
bool is_valid_global_name(std::string_view name);

class global_list {
public:
    // Appends a global with the value 0. Refuses (false) a name that is not valid or is already
    // in the list (compared without regard to case, as the script compares names).
    bool add(std::string_view name);
    void remove(int i);
    // Rebuilds the list from names (as the options dialog does): every value becomes 0;
    // invalid and repeated names are dropped.
    void set_names(const std::vector<std::string>& names);
    void clear() { entries_.clear(); }

    int size() const { return static_cast<int>(entries_.size()); }
    const std::string& name(int i) const { return entries_[i].name; }
    const vbs::Value& value(int i) const { return entries_[i].value; }
    void set_value(int i, vbs::Value v) { entries_[i].value = std::move(v); }
    int find(std::string_view name) const; // -1 when absent

private:
    struct entry {
        std::string name;
        vbs::Value value;
    };
    std::vector<entry> entries_;
};

// The one list of the process, used by every document's runs.
global_list& process_globals();

// At the start of a run: declares each global as a script variable and fills it through
// `MR.glob`. A failure for one global is logged ("ERROR in mondrel_doc.set_globals: " and the
// engine's message) and the next one is handled.
void set_globals(script_engine& engine, const global_list& globals);

// After a run or step stops: reads each global's script variable back into the list, logging
// failures as "ERROR in mondrel_doc.get_globals: ".
void get_globals(script_engine& engine, global_list& globals);

} // namespace mondrel
