// Fuzz target for the comment markup: any text, with markup on or off and in a cell of any
// width, is walked without fault; measuring and drawing give the same extent; no drawn
// character crosses the cell's right edge; with markup off the characters drawn are the text's
// own, in order, up to the clip. The row-height scan reads the same text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "display/markup.h"
#include "display/mrdisplay_rows.h"
#include "display/picture_library.h"
#include "platform/diagnostic_log.h"
#include "platform/fake_canvas.h"

using namespace mondrel;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool markup = (data[0] & 1) != 0;
    const int cell_width = (data[1] & 0x7F) * 4; // 0 to 508 pixels
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    memory_log log;
    diagnostic_log* previous = set_diagnostic_log(&log);
    fake_picture_source source;
    source.files = {"pic.png"};
    picture_library pictures(source);

    fake_canvas cv(600, 40);
    markup_request req;
    req.cell = {10, 0, 10 + cell_width, 40};
    req.font = {"Arial", 8, 0, (data[0] & 2) ? unsigned(style_bold) : 0u};
    req.markup = markup;
    req.x = 10;
    req.baseline = 30;
    req.draw = false;
    const text_extent measured = render_markup(cv, &pictures, req, text);
    check(cv.items.empty());
    req.draw = true;
    const text_extent drawn = render_markup(cv, &pictures, req, text);
    check(measured == drawn);
    check(drawn.height >= 0);

    std::string all;
    for (const drawn_item& d : cv.items) {
        if (d.kind != drawn_kind::text) continue;
        int width = 0;
        for (char c : d.text)
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
                width += fake_canvas::char_width(d.font);
        check(d.x + width <= req.cell.right);
        check(d.y == req.baseline - fake_canvas::char_height(d.font));
        all += d.text;
    }
    if (!markup) check(text.substr(0, all.size()) == all);

    const int h = markup_row_height(text);
    check(h >= -1 && h <= 99);
    set_diagnostic_log(previous);
    return 0;
}
