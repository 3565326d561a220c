// The QSettings store: values and names read back by a fresh store on the same INI file, the
// recent files in number order, texts with the INI file's special characters, and the user's
// configuration folder.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/qt/qt_settings_store.h"
#include "shell/session/options.h"

namespace mondrel {
namespace {

TEST(QtSettingsStore, RecentFilesReadBackInNumberOrder) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("m.conf"));
    std::vector<std::string> written;
    {
        qt_settings_store store(ini);
        for (int i = 0; i < 12; ++i) {
            written.push_back("/home/u/f" + std::to_string(i) + ".mdr");
            store.set_value("Recent_files/file " + std::to_string(i), written.back());
        }
        store.set_value("Recent_files/other", "x");
        ASSERT_TRUE(store.sync());
    }
    qt_settings_store store(ini);
    std::vector<std::string> names = store.names("Recent_files");
    ASSERT_EQ(names.size(), 13u);
    EXPECT_EQ(names[2], "file 2");
    EXPECT_EQ(names[10], "file 10"); // not after "file 1"
    EXPECT_EQ(names[12], "other");
    EXPECT_EQ(store.value("Recent_files/file 11"), written[11]);
    store.remove_group("Recent_files");
    EXPECT_TRUE(store.names("Recent_files").empty());
}

TEST(QtSettingsStore, TextsWithSeparatorsRoundTrip) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("m.conf"));
    const std::vector<std::pair<std::string, std::string>> values = {
        {"doc_fmt_5", "name:Courier New; size:8; colour:$000080"},
        {"print_head_fmt", "align:centre, size:10; style:bold"},
        {"def_incl_dir", "C:\\incl\\\"quoted\" = [x]"},
        {"err_log_file", "/tmp/\xc3\xa4 log.txt"},
        {"empty", ""},
    };
    {
        qt_settings_store store(ini);
        for (const auto& [k, v] : values) store.set_value(k, v);
        ASSERT_TRUE(store.sync());
    }
    qt_settings_store store(ini);
    for (const auto& [k, v] : values) EXPECT_EQ(store.value(k), v) << k;
    EXPECT_FALSE(store.value("missing"));
}

TEST(QtSettingsStore, HandEditedListValueReadsAsWritten) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("m.conf"));
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[General]\nprint_foot_fmt=align:right, size:12\nfrm_left=abc\nfrm_top=40\n");
    }
    qt_settings_store store(ini);
    EXPECT_EQ(store.value("print_foot_fmt"), "align:right, size:12");
    mondrel_options o;
    const auto problems = load_options(store, o);
    EXPECT_EQ(o.frm_left, 399);
    EXPECT_EQ(o.frm_top, 40);
    EXPECT_EQ(problems.size(), 1u);
}

TEST(QtSettingsStore, OptionsRoundTripThroughTheFile) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("m.conf"));
    mondrel_options o;
    o.recent_files = {"/b.mdr", "/A.mdr", "/c d.txt"};
    o.globals = {"Total", "rate"};
    o.toolbars = "AAAA/w+==";
    o.max_loop_count = 77;
    {
        qt_settings_store store(ini);
        save_options(store, o);
        ASSERT_TRUE(store.sync());
    }
    qt_settings_store store(ini);
    mondrel_options back;
    EXPECT_TRUE(load_options(store, back).empty());
    EXPECT_EQ(back.recent_files, o.recent_files);
    EXPECT_EQ(back.globals, o.globals);
    EXPECT_EQ(back.toolbars, o.toolbars);
    EXPECT_EQ(back.max_loop_count, 77);
}

#ifndef _WIN32
TEST(QtSettingsStore, ProgramStoreIsInTheUsersConfigFolder) {
    QTemporaryDir dir;
    const std::string config = dir.path().toStdString();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    qt_settings_store store;
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(store.file_name().toStdString(), config + "/Mondrel/Mondrel.conf");
}
#endif

} // namespace
} // namespace mondrel
