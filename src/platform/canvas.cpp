#include "platform/canvas.h"

namespace mondrel {

colour_value resolve_colour(colour_value c) {
    // The one system colour the formats name is the button face: a light grey.
    if (c == btnface_colour) return 0xF0F0F0;
    return c & 0xFFFFFF;
}

} // namespace mondrel
