#pragma once
// Helpers shared by the file, line-text and clipboard tests: documents built from line text,
// a compact picture of a document's lines, a tree soundness check, a captured diagnostic log
// and a scratch folder.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "display/prop_stuff.h"
#include "document/line_block.h"
#include "document/line_text.h"
#include "document/mondrel_doc.h"
#include "platform/diagnostic_log.h"

namespace mondrel::test {

// Replaces the document's lines with the lines the text lines describe; no trailing blank is
// added, so tests see exactly the lines they wrote.
inline void set_lines(mondrel_doc& doc, std::initializer_list<std::string_view> text_lines) {
    std::string text;
    for (std::string_view l : text_lines) {
        text += l;
        text += "\r\n";
    }
    line_block block = read_text_block(doc, text, true);
    doc.clear();
    for (line_ptr& line : block)
        doc.insert_line(doc.line_count(), std::move(line));
}

// Every line's whole text form, joined by " | ": open mark, count, name, word, code, format.
inline std::string shape(const mondrel_doc& doc) {
    std::string out;
    for (int i = 0; i < doc.line_count(); ++i) {
        if (i) out += " | ";
        out += text_form(doc.line(i), true);
    }
    return out;
}

// True when every count is at least 1 and no list promises more children than follow.
inline bool tree_is_sound(const mondrel_doc& doc) {
    std::vector<int32_t> remaining;
    for (int i = 0; i < doc.line_count(); ++i) {
        if (!remaining.empty()) --remaining.back();
        const int32_t c = doc.line(i).count;
        if (c < 1) return false;
        if (c > 1) remaining.push_back(c - 1);
        while (!remaining.empty() && remaining.back() == 0)
            remaining.pop_back();
    }
    return remaining.empty();
}

// Captures the diagnostic log for the lifetime of the object.
struct log_capture {
    log_capture() : previous(set_diagnostic_log(&log)) {}
    ~log_capture() { set_diagnostic_log(previous); }
    log_capture(const log_capture&) = delete;
    log_capture& operator=(const log_capture&) = delete;
    int count_starting(std::string_view prefix) const {
        int n = 0;
        for (const std::string& l : log.lines)
            n += l.rfind(prefix, 0) == 0;
        return n;
    }
    memory_log log;
    diagnostic_log* previous;
};

// A fresh folder under the system's temporary folder, removed with its contents at the end.
struct scratch_folder {
    scratch_folder() {
        static std::atomic<int> counter{0};
        path = std::filesystem::temp_directory_path() /
               ("mondrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~scratch_folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string file(std::string_view name) const { return (path / std::string(name)).string(); }
    std::filesystem::path path;
};

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_bytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace mondrel::test
