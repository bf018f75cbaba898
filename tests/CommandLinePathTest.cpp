// Taking the started file out of a command line, against a fake file system.
#include "common/FileVersionInfo.h"
#include "formats/CommandLinePath.h"

#include <gtest/gtest.h>

#include <set>

namespace {

PathEnvironment FakeMachine(std::set<std::string> existing) {
    return PathEnvironment{[existing](const std::string& path) { return existing.count(path) > 0; },
                           "C:\\windows", "C:\\windows\\system32", "C:\\Program Files"};
}

struct ParsCase {
    const char* text;
    const char* expected;
};

TEST(CommandLinePath, TakesTheStartedFileOutOfTheCommandLine) {
    const auto machine = FakeMachine({"C:\\windows\\system32\\ctfmon.exe", "C:\\windows\\regedit.exe",
                                      "C:\\Program Files\\My App\\app.exe", "C:\\tools\\run me.exe"});
    const ParsCase cases[] = {
        {"", ""},
        {"\"C:\\Program Files\\My App\\app.exe\" /background", "C:\\Program Files\\My App\\app.exe"},
        {"\"C:\\Program Files\\My App\\app.exe\"", "C:\\Program Files\\My App\\app.exe"},
        {"C:\\tools\\app.exe -minimized", "C:\\tools\\app.exe"},
        {"C:\\tools\\app.exe /s /q", "C:\\tools\\app.exe"},
        // A folder holding " -" is cut there too when the whole text names no file.
        {"C:\\My -Tools\\app.exe", "C:\\My"},
        {"%SystemRoot%\\system32\\ctfmon.exe", "C:\\windows\\system32\\ctfmon.exe"},
        {"\\SystemRoot\\system32\\ctfmon.exe", "C:\\windows\\system32\\ctfmon.exe"},
        {"%systemroot%\\system32\\ctfmon.exe", "%systemroot%\\system32\\ctfmon.exe"},
        {"%ProgramFiles%\\My App\\app.exe", "C:\\Program Files\\My App\\app.exe"},
        {"\\??\\C:\\windows\\regedit.exe", "C:\\windows\\regedit.exe"},
        {"ctfmon.exe", "C:\\windows\\system32\\ctfmon.exe"},
        {"regedit.exe", "C:\\windows\\regedit.exe"},
        {"C:\\tools\\app.exe C:\\data\\file.txt", "C:\\tools\\app.exe C:\\data\\file.txt"},
        {"  C:\\tools\\run me.exe\t", "C:\\tools\\run me.exe"},
        {"C:\\tools\\run me.exe", "C:\\tools\\run me.exe"},
        {"\"C:\\unterminated\\app.exe /x", ""},
        {"\"C:\\Program Files\\My App\\app.exe\" -tray \"%1\"", "C:\\Program Files\\My App\\app.exe"},
        {"C:\\Ünïcode ordner\\prog.exe /x", "C:\\Ünïcode ordner\\prog.exe"},
    };
    for (const ParsCase& c : cases) EXPECT_EQ(ExtractCommandLinePath(c.text, machine), c.expected) << c.text;
}

TEST(CommandLinePath, ATextNamingAnExistingFileIsOnlyTrimmed) {
    // A file whose name holds a switch-like part is taken whole when it exists.
    const auto machine = FakeMachine({"C:\\odd -name\\x.exe"});
    EXPECT_EQ(ExtractCommandLinePath("C:\\odd -name\\x.exe", machine), "C:\\odd -name\\x.exe");
}

TEST(CommandLinePath, TrimRemovesBlanksAndControlCharactersOnly) {
    EXPECT_EQ(TrimBlanks(" \t\r\nabc \x01"), "abc");
    EXPECT_EQ(TrimBlanks("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");  // UTF-8 bytes are not blanks
    EXPECT_EQ(TrimBlanks("   "), "");
}

struct VersionCase {
    const char* version;
    const char* major;
    const char* minor;
    const char* release;
    const char* build;
};

TEST(FileVersionSplit, SplitsOnDotsOrCommas) {
    const std::string na = FileVersionInfo::kNotAvailable;
    const VersionCase cases[] = {
        {"1.2.3.4", "1", "2", "3", "4"},
        {"5.6", "5", "", "", "6"},
        {"1, 2, 3, 4", "1", " 2", " 3", " 4"},
        {"1.2.3.4 test build", "1", "2", "3", "4 test build"},
        {"1.2,3", "1", "", "", "2,3"},
        {"7", na.c_str(), na.c_str(), na.c_str(), na.c_str()},
        {"", na.c_str(), na.c_str(), na.c_str(), na.c_str()},
        {"1.2.3.4.5", "1", "2", "3", "4.5"},
    };
    for (const VersionCase& c : cases) {
        const FileVersionParts parts = SplitFileVersionText(c.version);
        EXPECT_EQ(parts.major, c.major) << c.version;
        EXPECT_EQ(parts.minor, c.minor) << c.version;
        EXPECT_EQ(parts.release, c.release) << c.version;
        EXPECT_EQ(parts.build, c.build) << c.version;
    }
}

}  // namespace
