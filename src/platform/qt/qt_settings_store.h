#pragma once
// The settings store on QSettings: an INI file in the user's configuration folder on Linux
// (~/.config/Mondrel/Mondrel.conf, or under $XDG_CONFIG_HOME), the registry on Windows.

#include <QSettings>
#include <QString>
#include <memory>

#include "shell/session/options.h"

namespace mondrel {

class qt_settings_store : public settings_store {
public:
    // The program's own store.
    qt_settings_store();
    // A store in the INI file at path (tests, and a settings file named on the command line).
    explicit qt_settings_store(const QString& ini_file);

    std::optional<std::string> value(std::string_view key) const override;
    void set_value(std::string_view key, std::string_view value) override;
    void remove_group(std::string_view group) override;
    // The names in number order when they end in a number ("file 2" before "file 10"), as
    // the recent-file list is written; the others after them in the store's order.
    std::vector<std::string> names(std::string_view group) const override;
    bool sync() override;

    QString file_name() const { return settings_->fileName(); }

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace mondrel
