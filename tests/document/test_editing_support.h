#pragma once
// Shared by the editing and undo tests: building documents of a given shape, a text picture of
// a whole document for comparisons, the records of the latest step, and plain stand-ins for
// what the window supplies to the editing commands.

#include <memory>
#include <string>
#include <vector>

#include "display/prop_stuff.h"
#include "document/editing_commands.h"
#include "document/mondrel_doc.h"

namespace mondrel::test {

struct shape_line {
    int32_t count = 1;
    int32_t flags = 0;
    const char* code = nullptr; // nullptr: "L" and the line's index
};

// Replaces the document's lines by lines of the given counts, flags and codes (each line's
// code is "L" and its index unless given), without recording.
inline void build(mondrel_doc& doc, const std::vector<shape_line>& shape) {
    doc.clear();
    for (size_t k = 0; k < shape.size(); ++k) {
        const shape_line& s = shape[k];
        auto line = std::make_unique<source_list_item>(
            s.count, "", s.code ? std::string(s.code) : "L" + std::to_string(k));
        line->flags = s.flags;
        doc.add_sli(std::move(line));
    }
}

inline std::vector<int32_t> counts(const mondrel_doc& doc) {
    std::vector<int32_t> c;
    for (int i = 0; i < doc.line_count(); ++i)
        c.push_back(doc.line(i).count);
    return c;
}

inline std::vector<std::string> codes(const mondrel_doc& doc) {
    std::vector<std::string> c;
    for (int i = 0; i < doc.line_count(); ++i)
        c.push_back(doc.line(i).code);
    return c;
}

// Everything a user could see or save: lines (count, flags, code word, code, name, format),
// sheet settings, widths, the eight sheet formats and the properties.
inline std::string picture(const mondrel_doc& doc) {
    std::string out;
    for (int i = 0; i < doc.line_count(); ++i) {
        const source_list_item& l = doc.line(i);
        out += std::to_string(i) + ": " + std::to_string(l.count) + " f" + std::to_string(l.flags) +
               " w" + std::to_string(l.code_word) + " [" + l.code + "] [" + l.name + "] {" +
               l.format->source_text + "|" + l.format->full_text() + "}\n";
    }
    out += "grid " + std::to_string(doc.data_cols()) + " " + std::to_string(doc.row_height());
    for (int w : doc.col_widths())
        out += " " + std::to_string(w);
    out += "\n";
    for (int k = 0; k < sheet_format_count; ++k)
        out += "format_" + std::to_string(k) + " " + doc.sheet_format(k).source_text + "\n";
    out += "created_by [" + doc.created_by + "] description [" + doc.description +
           "] auto_running " + std::to_string(doc.auto_running) + "\n";
    return out;
}

// The records of the latest undo step, as "kind index second".
inline std::vector<std::string> last_step_records(const mondrel_doc& doc) {
    std::vector<std::string> out;
    const auto& steps = doc.history().steps();
    if (steps.empty()) return out;
    for (int j = steps.back().first; j <= steps.back().last; ++j) {
        const change_item& r = doc.history().changes()[j];
        out.push_back(std::string(change_kind_name(r.kind)) + " " + std::to_string(r.index) + " " +
                      std::to_string(r.second));
    }
    return out;
}

struct fake_ui : user_interface {
    std::vector<std::string> messages;
    int refreshes = 0;
    void information(std::string_view message) override { messages.emplace_back(message); }
    void refresh() override { ++refreshes; }
};

struct fake_formats : format_editor {
    bool confirm = true;
    std::string shown;  // the text the editor was shown
    std::string answer; // the text the user leaves
    bool edit(std::string& text) override {
        shown = text;
        if (confirm) text = answer;
        return confirm;
    }
};

struct fake_copier : line_copier {
    std::vector<int> copied;
    void copy_lines(const mondrel_doc&, line_selection selected) override {
        copied.assign(selected.begin(), selected.end());
    }
};

struct fake_editor : line_editor {
    const mondrel_doc* doc = nullptr;
    bool on = false;
    int at = -1;
    std::string code, name;
    int32_t word = 0;
    int text_deletes = 0;

    bool active() const override { return on; }
    int line() const override { return at; }
    std::string code_text() const override { return code; }
    std::string name_text() const override { return name; }
    int32_t pending_word() const override { return word; }
    void set_pending_word(int32_t w) override { word = w; }
    void delete_selected_text() override { ++text_deletes; }
    void cut_selected_text() override { ++text_deletes; }
    void start(int line, edit_kind, int32_t w) override {
        on = true;
        at = line;
        code = doc->line(line).code;
        name = doc->line(line).name;
        word = w;
    }
    void close() override { on = false; }
};

// A document with every port connected to a stand-in; `runs` counts auto runs.
struct command_bench {
    mondrel_doc doc;
    fake_ui ui;
    fake_formats formats;
    fake_copier copier;
    fake_editor editor;
    int runs = 0;
    editing_commands commands;

    command_bench()
        : commands(doc, command_ports{&ui, &formats, &copier, &editor,
                                      [this](mondrel_doc&) { ++runs; }}) {
        editor.doc = &doc;
    }
};

} // namespace mondrel::test
