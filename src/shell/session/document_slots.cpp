#include "shell/session/document_slots.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "document/codesheet_file.h"
#include "document/mondrel_doc.h"
#include "execution/globals.h"
#include "execution/run_engine.h"
#include "pages/xml_ifile.h"

namespace mondrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view window_caption = "Quastel Mondrel";
constexpr std::string_view never_saved_name = "Newfile";
constexpr std::string_view welcome_page = "Welcome";

// load_ifile's flag bits.
constexpr int page_own_tab = 1;
constexpr int page_name_on_tab = 2;
constexpr int page_no_history = 4;
constexpr int page_example = 8;

// The extension of the file part of a name, "" when it has none ("notes", ".profile").
bool has_extension(const std::string& name) {
    return !fs::path(name).extension().empty();
}

bool file_exists(const std::string& name) {
    std::error_code ec;
    return fs::exists(fs::path(name), ec);
}

} // namespace

// --- Tfixed_size_StringList ---------------------------------------------------------------

void Tfixed_size_StringList::add(std::string s) {
    if (capacity_ == 0) return;
    if (items_.size() >= capacity_) items_.pop_front();
    items_.push_back(std::move(s));
}

std::string Tfixed_size_StringList::pop() {
    if (items_.empty()) return {};
    std::string last = std::move(items_.back());
    items_.pop_back();
    return last;
}

std::string Tfixed_size_StringList::peek() const {
    return items_.empty() ? std::string() : items_.back();
}

// --- Tdoc_slot ------------------------------------------------------------------------------

Tdoc_slot::Tdoc_slot(const std::array<std::string, sheet_format_count>* formats)
    : formats_(formats) {
    replace_document();
}

Tdoc_slot::~Tdoc_slot() {
    // The engine refers to the document, so it goes first.
    engine.reset();
}

void Tdoc_slot::replace_document() {
    engine.reset();
    if (formats_) {
        std::array<std::string_view, sheet_format_count> texts;
        for (int i = 0; i < sheet_format_count; ++i) texts[i] = (*formats_)[i];
        doc = std::make_unique<mondrel_doc>(texts);
    } else {
        doc = std::make_unique<mondrel_doc>();
    }
    engine = std::make_unique<run_engine>(*doc, make_vbs_engine(), process_globals());
}

// --- document_slots ---------------------------------------------------------------------------

document_slots::document_slots(slot_view& view, prompts& ask) : view_(view), ask_(ask) {
    for (int i = 0; i < sheet_format_count; ++i)
        new_doc_formats_[i] = std::string(default_sheet_formats[i]);
}

document_slots::~document_slots() = default;

mondrel_doc& document_slots::cur_doc() {
    return *current().doc;
}

Tdoc_slot& document_slots::current() {
    return *slots_[static_cast<size_t>(cur_slot_)];
}

void document_slots::add_slot() {
    slots_.push_back(std::make_unique<Tdoc_slot>(&new_doc_formats_));
    cur_slot_ = static_cast<int>(slots_.size()) - 1;
}

void document_slots::remove_slot(size_t i) {
    slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(i));
}

void document_slots::set_working_directory() {
    const std::string& folder = cur_doc().directory();
    if (folder.empty()) return;
    std::error_code ec;
    fs::current_path(fs::path(folder), ec);
}

void document_slots::show_current() {
    set_working_directory();
    view_.show_document(cur_doc());
    view_.update_actions();
}

void document_slots::stop_closing() {
    if (has_current()) show_current();
}

// Start-up: the Welcome page is a read-only page of its own, outside the tab's history; a
// command-line file that cannot be opened leaves it as the only tab.
void document_slots::start(const std::optional<std::string>& file) {
    add_slot();
    mondrel_doc& doc = cur_doc();
    load_xml(doc, Txml_ifile(recent_).load_res(welcome_page, true), false, read_replace, 0);
    doc.set_display_name(welcome_page);
    doc.read_only = true;
    doc.mark_saved();
    view_.show_document(doc);
    view_.update_actions();
    if (file) load_file(*file);
}

void document_slots::make_current(int i) {
    if (i < 0 || i >= static_cast<int>(slots_.size())) return;
    cur_slot_ = i;
    show_current();
}

void document_slots::point_at(int i) {
    if (i < 0 || i >= static_cast<int>(slots_.size())) return;
    cur_slot_ = i;
}

void document_slots::new_file() {
    add_slot();
    set_working_directory();
    cur_doc().ensure_trailing_blank();
    view_.show_document(cur_doc());
    view_.select_rows(1, 1);
    view_.update_actions();
}

bool document_slots::load_file(const std::string& name) {
    const int previous = cur_slot_;
    add_slot();
    mondrel_doc& doc = cur_doc();
    bool loaded = false;
    try {
        loaded = !name.empty() && read_file(doc, name, read_replace, 0);
    } catch (const std::bad_alloc&) {
        loaded = false;
    }
    if (!loaded) {
        ask_.information(std::string(open_failed_text) + "\r\n" + name);
        remove_slot(slots_.size() - 1);
        cur_slot_ = std::min(previous, static_cast<int>(slots_.size()) - 1);
        if (has_current()) view_.show_document(cur_doc());
        view_.update_actions();
        return false;
    }
    // The name is kept absolute: the working folder follows the current tab, so a relative
    // name would later be saved into whichever folder another sheet made current.
    std::string full = name;
    std::error_code ec;
    if (const fs::path p(name); p.is_relative()) {
        const fs::path absolute = fs::absolute(p, ec);
        if (!ec) full = absolute.lexically_normal().string();
    }
    doc.set_file_name(full);
    doc.mark_saved();
    set_working_directory();
    view_.update_actions();
    if (doc.auto_running)
        view_.run_all();
    else
        view_.show_document(doc);
    add_recent(full);
    return true;
}

void document_slots::load_ifile(const std::string& page, int flags) {
    const std::string before = has_current() ? cur_doc().display_name() : std::string();
    const bool example = (flags & page_example) != 0;
    bool new_tab = (flags & page_own_tab) != 0;
    if (new_tab && !example) {
        // The page's own tab is reused; with several, the last one.
        for (size_t i = 0; i < slots_.size(); ++i) {
            const mondrel_doc& d = *slots_[i]->doc;
            if (d.read_only && d.display_name() == page) {
                cur_slot_ = static_cast<int>(i);
                new_tab = false;
            }
        }
    }
    if (new_tab || slots_.empty()) {
        add_slot();
    } else {
        // A link in a sheet of the user's own would otherwise replace unsaved work unasked.
        if (!may_discard_current()) {
            show_current();
            return;
        }
        current().replace_document();
    }

    if ((flags & page_no_history) == 0) current().history.add(page);
    mondrel_doc& doc = cur_doc();
    load_xml(doc, Txml_ifile(recent_).load_res(page, !example), false, read_replace, 0);
    doc.set_display_name((flags & page_name_on_tab) != 0 ? page : before);
    if (!example) doc.read_only = true;
    set_working_directory();
    doc.ensure_trailing_blank();
    doc.mark_saved();
    if (example && doc.auto_running)
        view_.run_all();
    else
        view_.show_document(doc);
    view_.select_rows(1, 1);
    view_.update_actions();
}

// The history's last entry is the page now shown: it goes, and the one before is shown again
// without being added a second time.
void document_slots::go_back() {
    if (!has_current()) return;
    Tfixed_size_StringList& history = current().history;
    history.pop();
    const std::string previous = history.peek();
    if (!previous.empty()) load_ifile(previous, page_no_history);
}

void document_slots::file_open() {
    const std::optional<std::string> name = ask_.open_file_name(open_filter);
    if (name && !name->empty()) load_file(*name);
}

bool document_slots::file_save() {
    if (!has_current()) return false;
    mondrel_doc& doc = cur_doc();
    if (doc.read_only) return false;
    if (doc.file_name() == never_saved_name) return file_save_as();
    // Saving happens whether or not the document is modified.
    return store_file(doc.file_name());
}

bool document_slots::file_save_as() {
    if (!has_current()) return false;
    mondrel_doc& doc = cur_doc();
    if (doc.read_only) return false;
    std::optional<std::string> chosen = ask_.save_file_name(save_filter, doc.file_name());
    if (!chosen || chosen->empty()) return false;
    std::string name = std::move(*chosen);
    if (!has_extension(name)) name += ".mdr";
    if (file_exists(name)) {
        const prompt_answer replace =
            ask_.ask(name + " already exists.\r\nDo you want to replace it?", save_as_caption,
                     prompt_buttons::yes_no, prompt_icon::warning);
        if (replace != prompt_answer::yes) return false;
    }
    // A failed write leaves the sheet under its old name.
    if (!store_file(name)) return false;
    doc.set_file_name(name);
    view_.update_actions();
    return true;
}

bool document_slots::store_file(const std::string& name) {
    if (!has_current()) return false;
    mondrel_doc& doc = cur_doc();
    save_result saved;
    try {
        saved = write_file(doc, name);
    } catch (const std::bad_alloc&) {
        saved.ok = false;
        saved.path = name;
        saved.message = std::string(save_failed_text) + name;
        saved.reason = "not enough memory";
    }
    if (!saved.ok) {
        std::string text =
            saved.message.empty() ? std::string(save_failed_text) + name : saved.message;
        if (!saved.reason.empty()) text += "\r\n" + saved.reason;
        ask_.ask(text, product_title, prompt_buttons::ok, prompt_icon::error);
        view_.update_actions();
        return false;
    }
    view_.update_actions();
    view_.show_document(doc);
    add_recent(name);
    return true;
}

bool document_slots::file_save_all() {
    bool all_saved = true;
    for (size_t i = 0; i < slots_.size(); ++i) {
        make_current(static_cast<int>(i));
        const bool needed = !cur_doc().read_only;
        if (!file_save() && needed) all_saved = false;
    }
    return all_saved;
}

bool document_slots::may_discard_current() {
    mondrel_doc& doc = cur_doc();
    if (!doc.is_modified() || doc.read_only) return true;
    const prompt_answer answer =
        ask_.ask(std::string(save_changes_text) + doc.display_name() + "?", save_changes_caption,
                 prompt_buttons::yes_no_cancel, prompt_icon::warning);
    if (answer == prompt_answer::cancel) return false;
    // A sheet the user wants kept goes only once it is safely on disk: a cancelled Save As or
    // a failed write keeps it.
    return answer == prompt_answer::no || file_save();
}

bool document_slots::close_file(int flags) {
    if (!has_current()) return true;
    if (!may_discard_current()) return false;
    remove_slot(static_cast<size_t>(cur_slot_));
    if (cur_slot_ >= static_cast<int>(slots_.size())) --cur_slot_;
    if (!slots_.empty()) {
        show_current();
    } else if ((flags & close_keep_none) == 0) {
        new_file();
    }
    return true;
}

bool document_slots::close_all_files(int flags) {
    const size_t count = slots_.size();
    for (size_t k = 0; k < count; ++k) {
        cur_slot_ = 0;
        if (!close_file(flags)) {
            stop_closing();
            return false;
        }
    }
    return true;
}

// Slots before the kept one close first, from the front (the kept slot moves down each time);
// then the ones after it, each of which is slot 1 by then.
bool document_slots::close_all_other_files(int flags) {
    if (slots_.size() < 2) return true;
    int kept = cur_slot_;
    const size_t closes = slots_.size() - 1;
    for (size_t k = 0; k < closes; ++k) {
        int target = 1;
        if (kept > 0) {
            target = 0;
            --kept;
        }
        cur_slot_ = target;
        if (!close_file(flags)) {
            stop_closing();
            return false;
        }
    }
    return true;
}

std::string document_slots::window_title() const {
    std::string title(window_caption);
    if (has_current()) {
        const std::string& name = slots_[static_cast<size_t>(cur_slot_)]->doc->display_name();
        if (!name.empty()) title += " - " + name;
    }
    return title;
}

std::vector<std::string> document_slots::tab_labels() const {
    std::vector<std::string> labels;
    labels.reserve(slots_.size());
    for (const auto& s : slots_) {
        std::string label = s->doc->display_name();
        if (s->doc->is_modified() && !s->doc->read_only) label += "*";
        labels.push_back(std::move(label));
    }
    return labels;
}

// Names are compared exactly: on this system "a.mdr" and "A.mdr" are two files.
void document_slots::add_recent(const std::string& name) {
    if (name.empty()) return;
    std::erase(recent_, name);
    recent_.insert(recent_.begin(), name);
    if (recent_.size() > recent_files_capacity) recent_.resize(recent_files_capacity);
    view_.recent_files_changed();
}

void document_slots::set_recent(std::vector<std::string> names) {
    recent_.clear();
    for (std::string& n : names) {
        if (n.empty() || std::find(recent_.begin(), recent_.end(), n) != recent_.end()) continue;
        recent_.push_back(std::move(n));
        if (recent_.size() == recent_files_capacity) break;
    }
    view_.recent_files_changed();
}

} // namespace mondrel
