// The file-backed diagnostic log: creating and emptying the file, appending lines, turning
// itself off with one report when the file cannot be written, and the default file name.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/test_file_helpers.h"
#include "platform/diagnostic_log.h"

namespace mondrel {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& p) {
    return test::read_bytes(p.string());
}

// Each test writes inside a fresh folder of its own.
struct FileLog : ::testing::Test {
    test::scratch_folder scratch;
    const fs::path dir = scratch.path;
};

TEST_F(FileLog, StartCreatesFolderAndEmptiesAnOldFile) {
    const fs::path file = dir / "state" / "mondrel" / "m.log";
    file_log log;
    ASSERT_TRUE(log.start(file.string()));
    log.write("ERROR in a.mcs: line 3");
    log.write("second");
    EXPECT_EQ(read_all(file), "Log file start\nERROR in a.mcs: line 3\nsecond\n");

    file_log again;
    ASSERT_TRUE(again.start(file.string()));
    EXPECT_EQ(read_all(file), "Log file start\n");
    again.stop();
    again.write("not written");
    EXPECT_EQ(read_all(file), "Log file start\n");
}

TEST_F(FileLog, UnwritableFileTurnsLoggingOffAndReportsOnce) {
    fs::create_directories(dir);
    std::ofstream(dir / "plain") << "x"; // a file where a folder is needed
    const std::string bad = (dir / "plain" / "m.log").string();
    std::vector<std::string> reports;
    file_log log;
    log.on_failure = [&](const std::string& f) { reports.push_back(f); };
    EXPECT_FALSE(log.start(bad));
    EXPECT_FALSE(log.active());
    log.write("lost?");
    log.write("lost?");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], bad);
    EXPECT_EQ(log_failure_text(reports[0]), "Could not write the log file: " + bad);

    EXPECT_FALSE(log.start(""));
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(FileLog, FileRemovedWhileLoggingIsCreatedAgain) {
    const fs::path file = dir / "m.log";
    file_log log;
    ASSERT_TRUE(log.start(file.string()));
    fs::remove(file);
    log.write("after");
    EXPECT_TRUE(log.active());
    EXPECT_EQ(read_all(file), "after\n");
}

TEST_F(FileLog, FolderRemovedWhileLoggingTurnsItOff) {
    const fs::path file = dir / "sub" / "m.log";
    int reports = 0;
    file_log log;
    log.on_failure = [&](const std::string&) { ++reports; };
    ASSERT_TRUE(log.start(file.string()));
    fs::remove_all(dir / "sub");
    log.write("line");
    EXPECT_FALSE(log.active());
    EXPECT_EQ(reports, 1);
}

#ifndef _WIN32
class env_guard {
public:
    explicit env_guard(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) saved_ = v, had_ = true;
    }
    ~env_guard() {
        if (had_) setenv(name_, saved_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::string saved_;
    bool had_ = false;
};

TEST(DefaultLogFile, FollowsXdgStateHomeElseHome) {
    env_guard state("XDG_STATE_HOME"), home("HOME");
    setenv("HOME", "/home/u", 1);
    setenv("XDG_STATE_HOME", "/var/st", 1);
    EXPECT_EQ(default_log_file(), "/var/st/mondrel/mondrel.log");
    setenv("XDG_STATE_HOME", "relative", 1);
    EXPECT_EQ(default_log_file(), "/home/u/.local/state/mondrel/mondrel.log");
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(default_log_file(), "/home/u/.local/state/mondrel/mondrel.log");
}
#endif

} // namespace
} // namespace mondrel
