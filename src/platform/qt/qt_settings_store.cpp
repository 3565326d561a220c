#include "platform/qt/qt_settings_store.h"

#include <QStringList>
#include <algorithm>
#include <charconv>

#include "platform/qt/qt_text.h"

namespace mondrel {

namespace {

// The number a name ends in ("file 12" gives 12), or -1.
long long trailing_number(const std::string& name) {
    const auto space = name.find_last_of(' ');
    if (space == std::string::npos || space + 1 == name.size()) return -1;
    long long n = -1;
    const char* begin = name.data() + space + 1;
    const char* end = name.data() + name.size();
    const auto [stop, ec] = std::from_chars(begin, end, n);
    if (ec != std::errc() || stop != end || n < 0) return -1;
    return n;
}

} // namespace

// The native format is the registry on Windows and, on Linux, the INI-style file
// Mondrel/Mondrel.conf in the configuration folder (IniFormat would name it Mondrel.ini).
qt_settings_store::qt_settings_store()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            "Mondrel", "Mondrel")) {}

qt_settings_store::qt_settings_store(const QString& ini_file)
    : settings_(std::make_unique<QSettings>(ini_file, QSettings::IniFormat)) {}

std::optional<std::string> qt_settings_store::value(std::string_view key) const {
    const QVariant v = settings_->value(to_qstring(key));
    if (!v.isValid()) return std::nullopt;
    // A hand-edited INI value with unquoted commas reads as a list: take it back as written.
    if (v.metaType().id() == QMetaType::QStringList)
        return v.toStringList().join(", ").toStdString();
    if (!v.canConvert<QString>()) return std::nullopt;
    return v.toString().toStdString();
}

void qt_settings_store::set_value(std::string_view key, std::string_view value) {
    settings_->setValue(to_qstring(key), to_qstring(value));
}

void qt_settings_store::remove_group(std::string_view group) {
    settings_->remove(to_qstring(group));
}

std::vector<std::string> qt_settings_store::names(std::string_view group) const {
    settings_->beginGroup(to_qstring(group));
    const QStringList keys = settings_->childKeys();
    settings_->endGroup();
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(keys.size()));
    for (const QString& k : keys) out.push_back(k.toStdString());
    std::stable_sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        const long long na = trailing_number(a), nb = trailing_number(b);
        if (na < 0 || nb < 0) return na >= 0 && nb < 0; // numbered names first
        return na < nb;
    });
    return out;
}

bool qt_settings_store::sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace mondrel
