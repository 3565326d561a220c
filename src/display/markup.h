#pragma once
// The comment markup: backslash escapes inside a cell text that change the font, its size,
// colour and style, move the pen to fixed or tab positions, and draw named pictures and link
// icons. render_markup measures or draws one such text inside a cell.
//
//   \\        a backslash          \b \i      toggle bold, italic
//   \sNN      size in points       \c[v]      colour ($BBGGRR after "$", or decimal)
//   \hNN      row height (read when rows are built; nothing here)
//   \xNNN     pen to cell left + N \G         tab origin = pen
//   \gNNN     pen and tab origin to tab origin + N
//   \p[name]  a picture            \f[name]   font name
//   \a[t] \A[t]  the link icon of target t    \t[name]   consumed, draws nothing
//
// Number arguments are exactly as many characters as shown, each a digit or a blank, blanks
// only in front. A bracketed argument starts right after the letter and runs to the first
// "]". Anything that does not form an escape is drawn as it stands.

#include <string>
#include <string_view>

#include "platform/canvas.h"

namespace mondrel {

class picture_library;

struct markup_request {
    rect cell;                          // text is clipped at cell.right; \x counts from cell.left
    font_record font;                   // the starting font, its colour included
    colour_value background = 0xFFFFFF; // behind every drawn character
    bool markup = true;                 // off: every character is drawn as it stands
    bool draw = true;                   // off: measure only
    int x = 0;                          // where the text starts
    int baseline = 0;                   // characters stand on it, pictures end on it
};

// Measures (and when asked draws) the text; returns its width from the start x and the
// greatest height of what it holds. The canvas's font is left as the text ended it. Pictures
// come from `pictures`; without a library they are skipped.
text_extent render_markup(canvas& cv, picture_library* pictures, const markup_request& req,
                          std::string_view text);

// The characters a marked-up text shows, for a screen reader or any other reader of plain
// text: escapes are dropped, "\\" gives one backslash, a pen move that leaves a gap gives one
// blank, and runs of blanks become one. Pictures and link icons give nothing.
std::string markup_plain_text(std::string_view text);

// Reads `n` characters at `p` as a markup number (digits, blanks only in front, at least one
// digit); -1 when they do not form one.
int read_markup_number(std::string_view text, size_t p, int n);

// The length of a bracketed argument at p, "[" to the first "]" included; 0 when none.
size_t bracket_length(std::string_view text, size_t p);

} // namespace mondrel
