#pragma once
// The page library: the built-in pages (help, examples, Welcome, About, the help index and
// outline) handed out as codesheet XML text, which the caller loads with load_xml from text.
//
// Four pages are generated when asked for (Welcome, About, Help_index, Help_outline); every
// other page is stored whole in the numbered page table (page_table.h) and reassembled. A
// Txml_ifile builds one page for one request. Nothing here raises: a stored page that is not
// valid XML is logged as "ERROR in Txml_ifile.load_res: " and the reason, and the page keeps
// what was read before the failure.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "display/links.h"
#include "pages/page_table.h"

namespace mondrel {

inline constexpr std::string_view product_title = "Mondrel";

// One entry of the page index.
struct page_entry {
    std::string name;
    std::string title;
    int first = 0; // id of the first content string
    int last = 0;  // id of the last
};

// Looks a numbered string up; the program's own table is page_string. Tests pass tables of
// their own (a page that is not XML, pages that link in a circle).
using page_lookup = std::optional<std::string_view> (*)(int id);

// The index in table order, up to its end mark.
std::vector<page_entry> page_index(page_lookup lookup = page_string);

// True for the pages meant to be opened as editable, runnable sheets.
bool is_example_page(std::string_view name);

class Txml_ifile {
public:
    // `recent_files` is the recent-file list the Welcome page offers, newest first.
    explicit Txml_ifile(std::vector<std::string> recent_files = {},
                        page_lookup lookup = page_string);

    // The page's XML text. `read_only` marks every stored line read-only; it is false only for
    // an example opened as an editable sheet. A name that matches nothing gives a page with no
    // lines.
    std::string load_res(std::string_view page_name, bool read_only);

    // Adds one comment line with the current colour and x position put in front of the text
    // (unless the text begins with a link, "\a").
    void add_comment(std::string_view text, int count, bool open);
    void add_text_line(std::string_view text = {}) { add_comment(text, 1, false); }

    // The standard head of a generated help page: a way back, the title, two empty lines; the
    // lines after it are black and start 20 pixels in.
    void help_header(std::string_view title);

    // The page built so far as XML text (declaration, root, fragments, lines; CR LF line ends).
    std::string xml_text() const;

    // The outline stops at a page already on the path that leads to it and below this depth,
    // so pages that link to each other in a circle still give an outline that ends.
    static constexpr int max_outline_depth = 8;

private:
    bool read_stored_page(std::string_view name, bool read_only);
    void make_welcome();
    void make_about();
    void make_help_index();
    void make_help_outline();
    struct outline_link {
        std::string code;
        link_at link;
    };
    // The links of a stored page that the outline follows; null for a page that cannot be read.
    // Stored pages never change while the program runs, so each page of a table is parsed once
    // for the life of the process, however many paths reach it and however often the outline
    // is opened.
    using outline_pages =
        std::map<std::string, std::optional<std::vector<outline_link>>, std::less<>>;
    const std::vector<outline_link>* outline_links(outline_pages& pages, std::string_view name);
    void load_res_outline(outline_pages& pages, std::string_view name, int depth,
                          std::vector<std::string>& path);

    std::vector<std::string> recent_files_;
    page_lookup lookup_;
    std::string properties_;
    std::string display_;
    std::string lines_; // the `line` elements so far, each ending in CR LF
    std::string colour_;
    int x_position_ = 0;
};

} // namespace mondrel
