#include "execution/make_line.h"

#include <string_view>

#include "display/prop_stuff.h"
#include "document/mondrel_doc.h"
#include "execution/mr_exception.h"
#include "execution/repeat_notation.h"
#include "execution/text_source.h"
#include "execution/vb_scanner.h"

namespace mondrel {

namespace {

constexpr std::string_view crlf = "\r\n";

// The name column of these code words is emptied before the line is read.
bool clears_name(int32_t word) {
    switch (word) {
    case cw_rem:
    case cw_vb:
    case cw_let:
    case cw_if:
    case cw_while:
    case cw_cmd:
        return true;
    default:
        return false;
    }
}

std::string trim_blanks(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return std::string(text.substr(first, last - first));
}

// "Dim N" and "N=E", each ending in CR LF: how every value the line computes is declared.
std::string dim_and_assign(std::string_view n, std::string_view e) {
    std::string s;
    s.reserve(2 * n.size() + e.size() + 10);
    s.append("Dim ").append(n).append(crlf).append(n).append("=").append(e).append(crlf);
    return s;
}

std::string dspx_0(std::string_view n) {
    return std::string("MR.dspx 0,").append(n).append(crlf);
}

// One line being translated: the document that lends temporary names, the line whose fields
// are filled, and the parser over the line's tokens.
struct translation {
    mondrel_doc& doc;
    source_list_item& line;
    vb_scanner& in;

    // A name the line keeps must be a name: it becomes script text ("Dim " + name), and a file
    // may hold any text in it.
    void check_name() const {
        if (!line.name.empty() && !is_valid_name(line.name))
            throw mr_exception("Bad characters in name");
    }

    // expression_line -> nothing | literal | expression
    void expression_line() {
        if (in.at_end()) return; // an empty line does nothing
        std::string e;
        array_literal literal;
        const bool is_literal = in.kind() == token_kind::lbrace;
        if (is_literal) {
            literal = in.literal();
            e = array_text(literal);
        } else {
            e = in.expression();
        }
        if (line.name.empty()) line.name = doc.next_temp_name();
        if (!is_valid_name(line.name)) throw mr_exception("Bad characters in name");
        line.script = dim_and_assign(line.name, e);
        line.display_text =
            is_literal ? literal_display_text(literal, line.name) : dspx_0(line.name);
    }

    // fmt_line -> name "," index "," format
    void fmt_line() {
        if (in.kind() != token_kind::name) throw mr_exception("<name> expected");
        line.name = std::string(utf8_prefix(in.current_text(), 25));
        in.advance();
        expect_comma();
        if (in.at_end()) throw mr_exception("<index> expected");
        line.script = in.expression();
        expect_comma();
        if (in.at_end()) throw mr_exception("<format> expected");
        line.aux_text = in.expression();
    }

    void expect_comma() {
        if (in.kind() != token_kind::comma) throw mr_exception("comma expected");
        in.advance();
    }

    // dir_line -> path
    void dir_line() {
        check_name();
        if (in.at_end()) throw mr_exception("<path> expected");
        line.script = "REM " + in.expression() + std::string(crlf);
    }

    // let_line -> statement holding "="
    void let_line() {
        if (!in.contains(token_kind::equal)) throw mr_exception("Missing =");
        line.script = in.rest_of_text() + std::string(crlf);
    }

    // incl_line -> string
    void incl_line() {
        check_name();
        if (in.kind() != token_kind::string) throw mr_exception("\"<file>\" expected");
        line.aux_text = std::string(utf8_prefix(in.current_text(), 250));
    }

    // if_line -> condition ; while_line -> "exit" | condition
    void condition_line(bool exit_allowed) {
        if (exit_allowed && in.kind() == token_kind::kw_exit) {
            line.script = "exit";
            return;
        }
        if (in.at_end()) throw mr_exception("<expr> expected");
        const std::string e = in.expression();
        line.temp1 = doc.next_temp_name();
        line.script = dim_and_assign(line.temp1, e);
        line.display_text = dspx_0(line.temp1);
    }

    // for_line -> "exit" | start "to" stop [ "step" step ]
    void for_line() {
        if (in.kind() == token_kind::kw_exit) {
            line.script = "exit";
            return;
        }
        if (in.at_end()) throw mr_exception("<estart> expected");
        const std::string start = in.expression();
        // Both temporaries are taken here, so a line that fails further on still uses them.
        line.temp1 = doc.next_temp_name();
        line.temp2 = doc.next_temp_name();
        if (in.kind() != token_kind::kw_to) throw mr_exception("to expected");
        in.advance();
        if (in.at_end()) throw mr_exception("<estop> expected");
        const std::string stop = in.expression();
        std::string step = "1";
        if (in.kind() == token_kind::kw_step) {
            in.advance();
            step = in.expression();
        }
        if (line.name.empty()) throw mr_exception("name expected");
        check_name();
        line.script = dim_and_assign(line.name, start) + dim_and_assign(line.temp1, stop) +
                      dim_and_assign(line.temp2, step);
        line.display_text = dspx_0(line.name);
    }

    // arr_line -> dimension { "," dimension }, read from the unexpanded code as "{" code "}"
    void arr_line() {
        if (in.at_end()) throw mr_exception("<dim> expected");
        const std::string wrapped = "{" + line.code + "}";
        vb_scanner dims(wrapped);
        const std::string dims_text = array_text(dims.literal());
        line.temp1 = doc.next_temp_name();
        if (line.name.empty()) throw mr_exception("name expected");
        check_name();
        line.script =
            "Dim " + line.name + std::string(crlf) + dim_and_assign(line.temp1, dims_text);
    }

    // cmd_line -> "stop" | "run" path
    void cmd_line() {
        if (in.kind() == token_kind::kw_stop) {
            line.script = "stop";
        } else if (in.kind() == token_kind::kw_run) {
            in.advance();
            line.script = "run";
            line.aux_text = in.expression();
        } else {
            throw mr_exception("unknown <command>");
        }
    }
};

// The typed code word of an expression line: an apostrophe gives rem, a typed word its code
// word; the word leaves the code, which is trimmed. `ex` is skipped and changes nothing.
// Returns how many tokens the reading skips.
size_t apply_typed_word(source_list_item& line) {
    const token first = first_token(line.code);
    code_word word = first.kind == token_kind::apostrophe ? cw_rem : typed_code_word(first.kind);
    if (word != cw_expression) {
        const std::string_view code = line.code;
        line.code = trim_blanks(std::string(code.substr(0, first.start)) +
                                std::string(code.substr(first.end)));
        line.code_word = word;
        return 1;
    }
    return first.kind == token_kind::kw_ex ? 1 : 0;
}

void translate(mondrel_doc& doc, source_list_item& line) {
    const std::string original_code = line.code;
    const size_t skip = line.code_word == cw_expression ? apply_typed_word(line) : 0;
    const int32_t word = line.code_word;
    if (clears_name(word)) line.name.clear();

    switch (word) {
    case cw_rem:
        return;
    case cw_vb:
        line.script = line.code + std::string(crlf);
        line.aux_text = line.script;
        return;
    case cw_arr: {
        // The dimensions are read from the code as written: no repeats are expanded.
        vb_scanner in(line.code);
        translation{doc, line, in}.arr_line();
        return;
    }
    default:
        break;
    }

    // Every other code word reads the code with its repeats expanded. A typed word stands
    // before any brace, so it is the first token of the expanded text too.
    const std::string expanded = expand_repeats(original_code);
    vb_scanner in(expanded, skip);
    translation t{doc, line, in};
    switch (word) {
    case cw_expression:
        t.expression_line();
        break;
    case cw_fmt:
        t.fmt_line();
        break;
    case cw_dir:
        t.dir_line();
        break;
    case cw_let:
        t.let_line();
        break;
    case cw_incl:
        t.incl_line();
        break;
    case cw_if:
        t.condition_line(false);
        break;
    case cw_while:
        t.condition_line(true);
        break;
    case cw_for:
        t.for_line();
        break;
    case cw_cmd:
        t.cmd_line();
        break;
    default:
        break;
    }
}

} // namespace

line_ptr make_line(mondrel_doc& doc, int32_t count, int32_t code_word, std::string name,
                   std::string code) {
    auto line = std::make_unique<source_list_item>(count, std::move(name), std::move(code));
    // An index outside the table (a damaged record) is read as an expression line, so the
    // code is kept and checked like any other.
    line->code_word = is_valid_code_word(code_word) ? code_word : cw_expression;
    doc.reserve_temp_name(line->name);
    try {
        translate(doc, *line);
    } catch (const mr_exception& e) {
        line->status = status_syntax_error;
        line->error_text = e.what();
    }
    return line;
}

} // namespace mondrel
