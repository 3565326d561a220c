#pragma once
// The core's text (UTF-8, often a view into a larger string) as a Qt string.

#include <QString>

#include <string_view>

namespace mondrel {

inline QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace mondrel
