#include "document/line_text.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "display/prop_stuff.h"
#include "document/file_io.h"
#include "document/mondrel_doc.h"
#include "execution/text_source.h"
#include "execution/vb_scanner.h"
#include "platform/diagnostic_log.h"

namespace mondrel {

std::string format_text(const prop_list& format) {
    if (format.source_text.empty()) {
        // A new line's placeholder set has no text, and neither has the empty set.
        static const prop_list placeholder{};
        static const prop_list empty_set = prop_list::from_text("");
        if (format == placeholder || format == empty_set) return {};
        return format.full_text();
    }
    if (prop_list::from_text(format.source_text) == format) return format.source_text;
    return format.full_text();
}

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The first CR or LF from `from` on, or npos. (find_first_of looks each character up in the
// set with a call of its own; this runs for every field written.)
std::size_t find_break(std::string_view text, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n') return i;
    return std::string_view::npos;
}

// Appends `field` as part of one text line: a " _" continuation and the break after it join
// the two lines (the blank before the "_" stays as the separator), any other break (CR LF, LF
// or a lone CR) becomes one blank. Returns true when the field held a break.
bool append_one_line(std::string& out, std::string_view field) {
    std::size_t brk = find_break(field);
    if (brk == std::string_view::npos) {
        out += field;
        return false;
    }
    const std::size_t field_start = out.size();
    while (brk != std::string_view::npos) {
        out += field.substr(0, brk);
        const std::size_t after =
            brk + (field[brk] == '\r' && brk + 1 < field.size() && field[brk + 1] == '\n' ? 2 : 1);
        std::size_t end = out.size();
        while (end > field_start && is_blank(out[end - 1]))
            --end;
        const bool continuation = end >= field_start + 2 && out[end - 1] == '_' &&
                                  is_blank(out[end - 2]);
        if (continuation)
            out.resize(end - 1);
        else
            out += ' ';
        field.remove_prefix(after);
        brk = find_break(field);
    }
    out += field;
    return true;
}

bool append_text_form(std::string& out, const source_list_item& line, bool whole, int32_t count) {
    if (whole) {
        out += line.is_open() ? "o " : "c ";
        // A count of 0 or less acts as a leaf and is written as one, so the text stays
        // recognisable.
        out += std::to_string(count < 1 ? 1 : count);
    } else {
        out += "o 1";
    }
    out += ' ';
    const std::string_view word = code_word_text(line.code_word);
    // Read back, a name the reader cannot take would end early, and what follows it could read
    // as another word ("x:vb ..."): such a line goes as a comment holding its own text, which
    // never runs.
    const bool as_comment = !line_text_can_carry_name(line.name);
    bool changed = as_comment;
    if (as_comment) out += "rem ";
    // The marker check below looks from here on: a carried name and the word cannot hold the
    // marker's letters, and a comment's code holds the name and word too.
    const std::size_t code_start = out.size();
    if (as_comment) {
        append_one_line(out, line.name);
        out += ':';
    } else if (!line.name.empty()) {
        out += line.name;
        out += ':';
    }
    if (word.empty()) {
        out += '=';
    } else {
        out += word;
        out += ' ';
    }
    changed |= append_one_line(out, line.code);
    const std::string fmt = format_text(*line.format);
    // A code that holds the marker's letters is always followed by the marker, so the reader,
    // which takes the last marker, never cuts the code.
    if (!fmt.empty() || out.find("''f", code_start) != std::string::npos) {
        out += format_marker;
        changed |= append_one_line(out, fmt);
    }
    return changed;
}

// The code word a token names in a text line: the code words' own keywords, and the word
// "incl" that the writer writes for include lines.
code_word code_word_of(const text_source& src, const token& t) {
    if (t.kind == token_kind::name) {
        const std::string_view text = src.token_text(t);
        if (text.size() == 4 && (text[0] | 0x20) == 'i' && (text[1] | 0x20) == 'n' &&
            (text[2] | 0x20) == 'c' && (text[3] | 0x20) == 'l')
            return cw_incl;
        return cw_expression;
    }
    return typed_code_word(t.kind);
}

// Splits the format off a code: the text after the last "''f" is the format, without the one
// blank the writer puts after the marker. The writer's six blanks before the marker go with it;
// a marker written by hand takes one blank in front of it, and any further blanks stay with the
// code. A character in front of the marker that is not a blank stays with the code.
void split_format(std::string& code, std::string& format) {
    const std::size_t at = code.rfind("''f");
    if (at == std::string::npos) return;
    std::string_view rest = std::string_view(code).substr(at + 3);
    if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    format = std::string(rest);
    std::size_t cut = at;
    if (at >= 6 && code.compare(at - 6, 6, "      ") == 0)
        cut = at - 6;
    else if (at > 0 && code[at - 1] == ' ')
        cut = at - 1;
    code.resize(cut);
}

} // namespace

std::string text_form(const source_list_item& line, bool whole, bool* changed) {
    std::string out;
    const bool c = append_text_form(out, line, whole, line.count);
    if (changed) *changed = c;
    return out;
}

bool line_text_can_carry_name(std::string_view name) {
    if (name.empty()) return true;
    if (!is_valid_name(name)) return false;
    // A valid name is one word of the scanner; the reader takes it as the line's name unless
    // the word is a keyword ("if", "to", "rem"), which reads as that keyword instead. Keywords
    // are letters only, so a name with a digit or "_" (most of them) needs no look-up.
    const bool letters_only = std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
    return !letters_only || keyword_kind(name) == token_kind::name;
}

bool is_text_form_line(std::string_view line) {
    if (line.size() < 4 || (line[0] != 'c' && line[0] != 'o') || line[1] != ' ') return false;
    std::size_t i = 2;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    const std::size_t digits = i - 2;
    return digits >= 1 && digits <= 7 && i < line.size() && line[i] == ' ';
}

bool is_line_text(std::string_view text) {
    for (std::string_view line : split_lines(text))
        if (!is_text_form_line(line)) return false;
    return true;
}

namespace {

// One text line read, before it is made into a line: a block's lines are made only once the
// names of all of them are known.
struct text_form_fields {
    bool open = false;
    int32_t count = 0;
    int32_t word = cw_expression;
    std::string name, code, format;
};

std::optional<text_form_fields> parse_text_form(std::string_view text) {
    const text_source src{std::string(text)};
    std::size_t k = 0;
    bool open = false;
    // mark -> name token; "o" in any case is open, every other mark closed.
    if (src.at(k).kind == token_kind::name) {
        const std::string_view mark = src.token_text(src.at(k));
        open = mark == "o" || mark == "O";
        ++k;
    }
    if (src.at(k).kind != token_kind::integer) return std::nullopt;
    const int32_t count = read_loose_integer(src.token_text(src.at(k)));
    ++k;

    // word -> "=" | code_word ; the code starts right after "=", or after the blank that
    // follows a code word.
    auto read_word = [&](const token& t, int32_t& word, std::size_t& code_start) {
        if (t.kind == token_kind::equal) {
            word = cw_expression;
            code_start = t.end;
            return true;
        }
        word = code_word_of(src, t);
        // The blank the writer puts after the word is skipped; anything else belongs to the
        // code ("if(x)").
        code_start = t.end;
        if (code_start < text.size() && (text[code_start] == ' ' || text[code_start] == '\t'))
            ++code_start;
        return word != cw_expression;
    };
    std::string name;
    int32_t word = cw_expression;
    std::size_t code_start = 0;
    // A name followed at once by ":" is the line's name, even the name "incl"; a code word
    // followed by a blank and ":" is the word with a code that starts with ":", as the writer
    // puts it.
    const bool named = src.at(k).kind == token_kind::name &&
                       src.at(k + 1).kind == token_kind::colon &&
                       src.at(k + 1).start == src.at(k).end;
    if (named || !read_word(src.at(k), word, code_start)) {
        if (src.at(k).kind != token_kind::name || src.at(k + 1).kind != token_kind::colon)
            return std::nullopt;
        name = std::string(src.token_text(src.at(k)));
        if (!read_word(src.at(k + 2), word, code_start)) return std::nullopt;
    }

    text_form_fields f;
    f.open = open;
    f.count = count;
    f.word = word;
    f.name = std::move(name);
    f.code = code_start < text.size() ? std::string(text.substr(code_start)) : "";
    split_format(f.code, f.format);
    return f;
}

line_ptr make_text_form(mondrel_doc& doc, text_form_fields f) {
    line_ptr line = make_line(doc, f.count, f.word, std::move(f.name), std::move(f.code));
    line->format = format_from_text(f.format);
    if (f.open) line->flags |= flag_open;
    return line;
}

line_ptr rem_line(mondrel_doc& doc, std::string_view text) {
    line_ptr line = make_line(doc, 1, cw_rem, "", std::string(text));
    line->format = empty_text_format();
    return line;
}

} // namespace

line_ptr read_text_form(mondrel_doc& doc, std::string_view text) {
    std::optional<text_form_fields> f = parse_text_form(text);
    return f ? make_text_form(doc, std::move(*f)) : nullptr;
}

line_ptr read_text_line(mondrel_doc& doc, std::string_view text) {
    if (line_ptr line = read_text_form(doc, text)) return line;
    return rem_line(doc, text);
}

line_block read_text_block(mondrel_doc& doc, std::string_view text, bool line_text, int* repaired) {
    const std::vector<std::string_view> lines = split_lines(text);
    std::vector<std::optional<text_form_fields>> forms(lines.size());
    if (line_text) {
        // Every line's name is known before any line is translated, so a loop line read
        // before a line named temp_N does not take that name for its own temporaries.
        for (std::size_t k = 0; k < lines.size(); ++k) {
            forms[k] = parse_text_form(lines[k]);
            if (forms[k]) doc.reserve_temp_name(forms[k]->name);
        }
    }
    line_block block;
    block.reserve(lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k)
        block.push_back(forms[k] ? make_text_form(doc, std::move(*forms[k]))
                                 : rem_line(doc, lines[k]));
    const int changed = repair_counts(block);
    if (repaired) *repaired = changed;
    return block;
}

std::string lines_text(const mondrel_doc& doc, int* changed) {
    std::string out;
    out.reserve(static_cast<std::size_t>(doc.line_count()) * 32);
    int n = 0;
    for_each_stored_line(doc, [&](const source_list_item& line, int32_t count) {
        n += append_text_form(out, line, true, count);
        out += "\r\n";
    });
    if (changed) *changed = n;
    return out;
}

bool write_lines(const mondrel_doc& doc, const std::string& file_name, int* changed,
                 std::string* reason) {
    std::string error;
    try {
        if (replace_file(file_name, lines_text(doc, changed), error)) return true;
    } catch (const std::exception& e) {
        error = e.what();
    }
    log_error("mondrel_doc.write_lines", error);
    if (reason) *reason = error;
    return false;
}

bool read_lines(mondrel_doc& doc, const std::string& file_name, int mode, int position) {
    std::string text, error;
    if (!read_whole_file(file_name, text, error)) {
        log_error("mondrel_doc.read_lines", error);
        return false;
    }
    // A byte-order mark read as text would make the first line unreadable.
    decode_text_file(text);
    if (repair_utf8(text))
        log_write("WARNING in mondrel_doc.read_lines: " + file_name +
                  " is not valid UTF-8; the bad bytes were replaced");
    const std::vector<std::string_view> lines = split_lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > max_field_chars) {
            log_error("mondrel_doc.read_lines",
                      "line " + std::to_string(i + 1) + " of " + file_name + " is longer than " +
                          std::to_string(max_field_chars) + " characters");
            return false;
        }
    }
    int repaired = 0;
    line_block block = read_text_block(doc, text, true, &repaired);
    if (repaired > 0)
        log_write("WARNING in mondrel_doc.read_lines: " + std::to_string(repaired) +
                  " line counts of " + file_name +
                  " did not fit the lines that follow and were repaired");
    if (mode == 1)
        replace_lines(doc, std::move(block));
    else
        insert_lines_after(doc, std::move(block), position);
    return true;
}

} // namespace mondrel
