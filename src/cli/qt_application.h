#pragma once
// The runner paints and prints without a window, but fonts and the printer need an
// application object: one is made on first use, on the offscreen platform unless the
// environment names another, and lives as long as the process.

namespace mondrel {

// Only in builds with Qt (MONDREL_WITH_QT).
void ensure_gui_application();

} // namespace mondrel
