// mondrel-describe: translates a small sample codesheet and prints, line by line, what the
// line maker made of it: the code word, code and name, the script, display and auxiliary
// texts, the temporaries and any syntax error. The sample is prepared as a run would prepare
// it (vb blocks and "{}" lists rewritten), so the texts shown are the ones a run executes.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "display/prop_stuff.h"
#include "document/code_words.h"
#include "document/mondrel_doc.h"
#include "execution/make_line.h"
#include "execution/run_rewrites.h"
#include "execution/text_source.h"

namespace {

using namespace mondrel;

struct sample_line {
    int32_t count;
    int32_t word;
    const char* name;
    const char* code;
};

// The sample sheet in document order; counts give the tree (one plus the direct children).
const std::vector<sample_line> sample_sheet = {
    {1, cw_rem, "", "A sample sheet: every code word once, and a few mistakes"},
    {1, cw_expression, "", "1+2"},
    {1, cw_expression, "price", "120"},
    {1, cw_let, "", "rate = 0.19"},
    {1, cw_expression, "gross", "price * (1 + rate)"},
    {1, cw_fmt, "", "gross,0,\"number:0.00\""},
    {3, cw_for, "cnt", "1 to 10 step 2"},
    {1, cw_expression, "sq", "cnt^2"},
    {2, cw_if, "", "cnt > 5"},
    {1, cw_rem, "", "only for the larger ones"},
    {1, cw_expression, "x", "{1.1,{-1,-2,-3},2.2}"},
    {1, cw_expression, "m", "{{1,2},{3,4}}"},
    {1, cw_expression, "xs", "{\"x\":3}"},
    {1, cw_arr, "grid", "2,3"},
    {4, cw_vb, "", "res=0"},
    {1, cw_vb, "", "for cnt=0 to 1000"},
    {1, cw_vb, "", "res=res+2"},
    {1, cw_vb, "", "next"},
    {4, cw_expression, "ar2", "{}"},
    {1, cw_expression, "", "\"this\""},
    {3, cw_expression, "", "\"is\""},
    {1, cw_expression, "", "\"a\""},
    {1, cw_expression, "", "\"nested\""},
    {1, cw_expression, "", "\"array\""},
    {1, cw_dir, "files", "\".\""},
    {1, cw_expression, "", "include \"lib.mdr\""},
    {1, cw_while, "", "exit"},
    {1, cw_for, "i", "12"},
    {1, cw_expression, "bad", "{1,{2}"},
    {1, cw_expression, "", "{0:999999999}"},
    {1, cw_expression, "9lives", "1"},
    {1, cw_cmd, "", "stop"},
};

// Prints one translation text, one script line per printed line. Texts that do not end in
// CR LF (an fmt index, "stop") are marked so.
void print_text(const char* label, const std::string& text) {
    if (text.empty()) return;
    std::string_view rest = text;
    bool first = true;
    while (!rest.empty()) {
        const size_t end = rest.find("\r\n");
        const std::string_view piece = rest.substr(0, end);
        std::printf("      %-9s %.*s%s\n", first ? label : "", static_cast<int>(piece.size()),
                    piece.data(), end == std::string_view::npos ? "   (no line end)" : "");
        first = false;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 2);
    }
}

void print_line(const mondrel_doc& doc, int i) {
    const source_list_item& line = doc.line(i);
    const std::string_view word =
        line.code_word == cw_expression ? "=" : code_word_text(line.code_word);
    const int depth = doc.tree().depth(i);
    std::printf("%3d %*s%-6.*s %s", i + 1, 2 * depth, "", static_cast<int>(word.size()),
                word.data(), line.code.c_str());
    if (!line.name.empty()) std::printf("   [name %s]", line.name.c_str());
    if (line.has_flag(flag_block_head)) std::printf("   [vb block head]");
    std::printf("\n");
    if (line.status != status_ok)
        std::printf("      %-9s %s\n", line.status == status_syntax_error ? "syntax" : "error",
                    line.error_text.c_str());
    print_text("script", line.script);
    print_text("display", line.display_text);
    print_text("aux", line.aux_text);
    if (!line.temp1.empty())
        std::printf("      %-9s %s%s%s\n", "temps", line.temp1.c_str(),
                    line.temp2.empty() ? "" : ", ", line.temp2.c_str());
}

// The name of a token kind as the dump shows it.
std::string kind_name(token_kind kind) {
    static const char* const names[] = {
        "end_of_line", "integer", "real", "string", "name", "member", "other", "&",
        "'",           "(",       ")",    "*",      "+",    ",",      "-",     "/",
        ":",           "<",       "=",    ">",      "[",    "]",      "{",     "}"};
    // ORDER TOKEN: one name per kind before the keywords.
    static_assert(std::size(names) == static_cast<size_t>(first_keyword));
    const int k = static_cast<int>(kind);
    if (k < static_cast<int>(std::size(names))) return names[k];
    return "keyword " + std::string(keyword_text(kind));
}

// --tokens TEXT: the tokens of one code text, each with its place and text.
void dump_tokens(const std::string& text) {
    const text_source source(text);
    for (const token& t : source.tokens()) {
        const std::string_view shown = source.token_text(t);
        std::printf("%5u..%-5u %-16s %.*s\n", t.start, t.end, kind_name(t.kind).c_str(),
                    static_cast<int>(shown.size()), shown.data());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--tokens") {
        dump_tokens(argv[2]);
        return 0;
    }
    if (argc > 1) {
        std::fprintf(stderr,
                     "usage: %s [--tokens TEXT]\nPrints the translation of a built-in sample "
                     "sheet, or the tokens of one code text.\n",
                     argv[0]);
        return std::string_view(argv[1]) == "--help" ? 0 : 2;
    }
    mondrel_doc doc;
    doc.clear();
    for (const sample_line& l : sample_sheet)
        doc.add_sli(make_line(doc, l.count, l.word, l.name, l.code));
    doc.ensure_trailing_blank();
    rewrite_for_run(doc);

    int errors = 0;
    for (int i = 0; i < doc.line_count(); ++i)
        errors += doc.line(i).status != status_ok;
    std::printf("Mondrel: a calculator sheet whose lines are translated, one by one, into short\n"
                "VBScript texts. A sample sheet of %d lines, prepared for a run (%d with errors).\n"
                "Each line: number, code word, code, name; then the script it runs, the MR.dspx\n"
                "calls that report its values, its auxiliary text and temporaries.\n\n",
                doc.line_count(), errors);
    for (int i = 0; i < doc.line_count(); ++i)
        print_line(doc, i);
    return 0;
}
