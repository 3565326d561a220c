#pragma once
// The open codesheets of the main window, one slot per tab, and the file commands on them:
// new, open, built-in pages with their history, save, save as, save all, close, close all and
// close others, with every question they put to the user. No widget is needed: the window is
// reached through slot_view and the user through prompts, so the rules are tested without a
// window system.
//
// The window ends any in-place edit before it calls a command here, and calls none while a run
// is in progress.

#include <array>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/mondrel_doc.h"
#include "platform/prompts.h"

namespace mondrel {

class mondrel_doc;
class run_engine;

// A list of strings of fixed capacity: adding to a full list drops the oldest entry first.
class Tfixed_size_StringList {
public:
    explicit Tfixed_size_StringList(size_t capacity) : capacity_(capacity) {}
    void add(std::string s);
    // The last entry, removed; "" when empty.
    std::string pop();
    // The last entry; "" when empty.
    std::string peek() const;
    size_t size() const { return items_.size(); }
    const std::string& at(size_t i) const { return items_[i]; }

private:
    size_t capacity_;
    std::deque<std::string> items_;
};

inline constexpr size_t page_history_capacity = 20;
inline constexpr size_t recent_files_capacity = 9;

// One open codesheet: its document, the run engine that runs it, and the built-in pages
// shown in its tab, oldest first.
struct Tdoc_slot {
    // `formats`: the texts of the eight column formats new documents of this slot start with.
    explicit Tdoc_slot(const std::array<std::string, sheet_format_count>* formats = nullptr);
    ~Tdoc_slot();
    // Gives the slot a fresh document (and engine) in place of the old one.
    void replace_document();
    std::unique_ptr<mondrel_doc> doc;
    std::unique_ptr<run_engine> engine;
    Tfixed_size_StringList history{page_history_capacity};

private:
    const std::array<std::string, sheet_format_count>* formats_;
};

// The window as the slots need it.
class slot_view {
public:
    virtual ~slot_view() = default;
    // Shows a document in the grid (the display's refresh).
    virtual void show_document(mondrel_doc& doc) = 0;
    // Selects grid rows (the display's select_rows).
    virtual void select_rows(int first, int last) = 0;
    // Title, tab labels and command states.
    virtual void update_actions() = 0;
    // Runs the current slot's sheet from the start (do_run_all); the window may finish it
    // later and show the document then.
    virtual void run_all() = 0;
    // The recent files list changed (a file opened or stored, or the list set or cleared).
    virtual void recent_files_changed() {}
};

// The question texts and captions.
inline constexpr std::string_view open_failed_text = "Could not open the file: ";
inline constexpr std::string_view save_failed_text = "Could not save the file: ";
inline constexpr std::string_view save_changes_text = "Save changes to ";
inline constexpr std::string_view save_changes_caption = "Save Changes";
inline constexpr std::string_view save_as_caption = "Save As";
inline constexpr std::string_view open_filter = "Mondrel files (*.mdr)|*.MDR|All files (*.*)|*.*";
inline constexpr std::string_view save_filter = "Mondrel file (*mdr)|*.MDR";

// close_file and the others: when the last slot closes, open no fresh "Newfile" slot.
inline constexpr int close_keep_none = 1;

class document_slots {
public:
    document_slots(slot_view& view, prompts& ask);
    ~document_slots();

    // Start-up: the Welcome page in the first slot, then the command-line file, if any, in a
    // second one that becomes current.
    void start(const std::optional<std::string>& file);

    size_t slot_count() const { return slots_.size(); }
    Tdoc_slot& slot(size_t i) { return *slots_[i]; }
    int cur_slot() const { return cur_slot_; }
    // False only after close_all_files(close_keep_none) closed every slot (the window is
    // closing); cur_doc and current need a current slot.
    bool has_current() const {
        return cur_slot_ >= 0 && cur_slot_ < static_cast<int>(slots_.size());
    }
    mondrel_doc& cur_doc();
    Tdoc_slot& current();

    // The user chose tab i: it becomes current, the working folder becomes its sheet's
    // folder, the grid shows it.
    void make_current(int i);
    // The right button on tab i: current without anything else (for the tab pop-up).
    void point_at(int i);

    void new_file();
    // False when the file could not be opened (the user was told).
    bool load_file(const std::string& name);
    // Shows a built-in page. Flag bits: 1 own tab (the last read-only tab of the same name is
    // reused unless bit 8), 2 the page name on the tab, 4 not added to the tab's history,
    // 8 an editable example, run at once when it has auto run on. A page that would replace a
    // modified sheet of the user's asks to save it first; Cancel leaves everything as it was.
    void load_ifile(const std::string& page, int flags);
    // The "__back" link.
    void go_back();

    // The commands. Save and Save As answer true when a file was written.
    void file_new() { new_file(); }
    void file_open();
    bool file_save();
    bool file_save_as();
    // False when a save was needed and did not happen (the others are still tried).
    bool file_save_all();
    bool close_file(int flags = 0);
    bool close_all_files(int flags = 0);
    bool close_all_other_files(int flags = 0);
    // Writes the current document; false (and the user told why) when it failed.
    bool store_file(const std::string& name);

    // "Quastel Mondrel", with " - " and the display name of the current document.
    std::string window_title() const;
    // The label of each tab: the display name, "*" after a modified editable sheet.
    std::vector<std::string> tab_labels() const;

    // Most recent first, at most recent_files_capacity; a name already there moves to the top.
    const std::vector<std::string>& recent_files() const { return recent_; }
    void add_recent(const std::string& name);
    void set_recent(std::vector<std::string> names);

    // The column formats (font-part texts) that new documents start with; the sheet
    // defaults until set.
    void set_new_document_formats(const std::array<std::string, sheet_format_count>& formats) {
        new_doc_formats_ = formats;
    }

private:
    // Appends a slot with a fresh document and makes it current (nothing shown yet).
    void add_slot();
    void remove_slot(size_t i);
    // The process's working folder becomes the current document's folder; left alone when the
    // document has none or it cannot be entered.
    void set_working_directory();
    // Before the current sheet goes (closed, or replaced by a page): a modified sheet of the
    // user's asks "Save changes to"; false when the user cancelled or the save failed.
    bool may_discard_current();
    // Working folder, grid and command states brought to the current slot.
    void show_current();
    // After a close was cancelled in the middle of Close All or Close Others: the grid shows
    // the sheet that was asked about.
    void stop_closing();

    slot_view& view_;
    prompts& ask_;
    std::vector<std::unique_ptr<Tdoc_slot>> slots_;
    int cur_slot_ = -1;
    std::vector<std::string> recent_;
    std::array<std::string, sheet_format_count> new_doc_formats_;
};

} // namespace mondrel
