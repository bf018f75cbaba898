// The report file without a window: its lines for each page's rows (cells
// missing, cut, holding separators, any characters), and the file written,
// replaced, or refused with the system's code.
#include "formats/ReportFile.h"
#include "platform/Files.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using common::ReportBuilder;
using common::ReportKind;
using testing_support::ScopedFolder;
namespace files = platform::files;

namespace {

struct Row {
    std::string caption;
    std::vector<std::string> subItems;
};

struct ReportCase {
    const char* name;
    ReportKind kind;
    std::string nodeCaption;
    std::vector<Row> rows;
    std::string expected;
};

TEST(ReportFile, LinesOfEachPage) {
    const ReportCase cases[] = {
        {"startup rows, one short of cells, one with more than the columns", ReportKind::StartUp, "Run",
         {{"Tray", {"C:\\Tools\\tray.exe /min", "HKEY_CURRENT_USER", "Run", "Yes"}},
          {"[Rename]", {}},
          {"load", {"C:\\a.exe"}},
          {"Wide", {"l", "r", "s", "a", "beyond the columns"}}},
         "ORVTools Report. StartUp Section: Run\r\n"
         "Name;   Location;   Root Key;   Section;   Active;\r\n"
         "Tray;   C:\\Tools\\tray.exe /min;   HKEY_CURRENT_USER;   Run;   Yes\r\n"
         "[Rename];   ;   ;   ;   \r\n"
         "load;   C:\\a.exe;   ;   ;   \r\n"
         "Wide;   l;   r;   s;   a\r\n"},
        {"registry records and the message row", ReportKind::Registry, "(7)      CLSID",
         {{"CLSID", {"HKEY_CLASSES_ROOT\\CLSID|{1}", "C:\\gone.dll", "C:\\Windows\\gone.dll"}},
          {"Section is not scanned...", {}}},
         "ORVTools Report. Registry Section: (7)      CLSID\r\n"
         "Section;   Registry Path;   File Name;   Guess Path;\r\n"
         "CLSID;   HKEY_CLASSES_ROOT\\CLSID|{1};   C:\\gone.dll;   C:\\Windows\\gone.dll\r\n"
         "Section is not scanned...;   ;   ;   \r\n"},
        {"history rows are their captions alone", ReportKind::History, "Visited Pages",
         {{"www.example.com", {"2          [Hiden]"}}, {"news.example.org", {}}},
         "ORVTools Report. History Section: Visited Pages\r\n"
         "Value;\r\n"
         "www.example.com\r\n"
         "news.example.org\r\n"},
        {"cells are written as they are: separators, quotes, line ends, any characters", ReportKind::Registry,
         "(2)      Help",
         {{"Help", {"HKEY_LOCAL_MACHINE\\a;b|\"q\"", "f\xC3\xA9;   x", "line\r\nbreak"}}},
         "ORVTools Report. Registry Section: (2)      Help\r\n"
         "Section;   Registry Path;   File Name;   Guess Path;\r\n"
         "Help;   HKEY_LOCAL_MACHINE\\a;b|\"q\";   f\xC3\xA9;   x;   line\r\nbreak\r\n"},
        {"no node selected: the fixed text alone, no rows", ReportKind::History, "", {},
         "ORVTools Report. History Section: \r\nValue;\r\n"},
        {"an empty caption and empty cells", ReportKind::StartUp, "All", {{"", {"", ""}}},
         "ORVTools Report. StartUp Section: All\r\n"
         "Name;   Location;   Root Key;   Section;   Active;\r\n"
         ";   ;   ;   ;   \r\n"},
    };
    for (const ReportCase& test : cases) {
        ReportBuilder report(test.kind, test.nodeCaption);
        for (const Row& row : test.rows) report.AddRow(row.caption, row.subItems);
        EXPECT_EQ(report.RowCount(), static_cast<int>(test.rows.size())) << test.name;
        EXPECT_EQ(report.Text(), test.expected) << test.name;
    }
}

TEST(ReportFile, RowLinesMadeBeforehandMatchTheBuildersOwn) {
    const std::vector<Row> rows = {{"a", {"1", "2"}}, {"[b]", {}}, {"c;d", {"x", "y", "z", "w", "beyond"}}};
    for (ReportKind kind : {ReportKind::StartUp, ReportKind::Registry, ReportKind::History}) {
        ReportBuilder joined(kind, "node"), expected(kind, "node");
        common::ReportRows beforehand(kind);
        for (const Row& row : rows) beforehand.Add(row.caption, row.subItems);
        // Rows of the builder's own before and after the lines made beforehand.
        joined.AddRow("first");
        joined.AddRows(beforehand);
        joined.AddRow("last", {"l"});
        expected.AddRow("first");
        for (const Row& row : rows) expected.AddRow(row.caption, row.subItems);
        expected.AddRow("last", {"l"});
        EXPECT_EQ(joined.Text(), expected.Text()) << static_cast<int>(kind);
        EXPECT_EQ(joined.RowCount(), 5);
        EXPECT_EQ(joined.Pieces().size(), 3u);
        beforehand.Clear();
        EXPECT_EQ(beforehand.Count(), 0);
        EXPECT_TRUE(beforehand.Text().empty());
    }
}

TEST(ReportFile, FailureTextsNameTheFileAndTheCode) {
    EXPECT_EQ(common::ReportCreateFailureText("C:\\no\\r.txt", 3, "The system cannot find the path specified."),
              "Cannot create the report file \"C:\\no\\r.txt\" (error 3): The system cannot find the path specified.");
    EXPECT_EQ(common::ReportCreateFailureText("r.txt", 5, ""), "Cannot create the report file \"r.txt\" (error 5).");
    EXPECT_EQ(common::ReportWriteFailureText("D:\\r.txt", 112, "There is not enough space on the disk."),
              "The report file \"D:\\r.txt\" was not written whole: I/O error 112: There is not enough space on the "
              "disk.");
}

// Puts the read-only attribute on for the time it lives.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::string path) : path_(std::move(path)) {
        EXPECT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY)) << path_;
    }
    ~ReadOnlyFile() { SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

private:
    std::string path_;
};

TEST(ReportFile, WrittenWholeAndReplacingAnEarlierFile) {
    ScopedFolder folder("report-write");
    const std::string path = folder.Path() + "\\report.txt";
    const std::string first(300000, 'x');
    files::FileWriteOutcome outcome = files::WriteNewFile(path, first);
    EXPECT_TRUE(outcome.created);
    EXPECT_EQ(outcome.error, 0u);
    std::string read;
    ASSERT_TRUE(files::ReadFileBytes(path, read));
    EXPECT_EQ(read, first);
    // A shorter text replaces the file: nothing of the first stays behind it.
    outcome = files::WriteNewFile(path, "short\r\n");
    EXPECT_EQ(outcome.error, 0u);
    ASSERT_TRUE(files::ReadFileBytes(path, read));
    EXPECT_EQ(read, "short\r\n");
    // An empty text makes an empty file.
    outcome = files::WriteNewFile(path, "");
    EXPECT_TRUE(outcome.created);
    EXPECT_EQ(outcome.error, 0u);
    ASSERT_TRUE(files::ReadFileBytes(path, read));
    EXPECT_TRUE(read.empty());
}

TEST(ReportFile, FilesThatCannotBeCreatedAreRefusedWithTheSystemsCode) {
    ScopedFolder folder("report-refused");
    const std::string kept = folder.Path() + "\\kept.txt";
    ASSERT_TRUE(files::WriteFileBytes(kept, "earlier report"));
    const ReadOnlyFile readOnly(kept);
    struct Refused {
        const char* name;
        std::string path;
        DWORD error;
    };
    const Refused cases[] = {
        {"a folder that does not exist", folder.Path() + "\\missing\\report.txt", ERROR_PATH_NOT_FOUND},
        {"a read-only file", kept, ERROR_ACCESS_DENIED},
        {"a folder's own name", folder.Path(), ERROR_ACCESS_DENIED},
        {"a name holding a NUL", folder.Path() + std::string("\\a\0b.txt", 8), ERROR_INVALID_NAME},
    };
    for (const Refused& test : cases) {
        const files::FileWriteOutcome outcome = files::WriteNewFile(test.path, "new report");
        EXPECT_FALSE(outcome.created) << test.name;
        EXPECT_EQ(outcome.error, test.error) << test.name;
    }
    std::string read;
    ASSERT_TRUE(files::ReadFileBytes(kept, read));
    EXPECT_EQ(read, "earlier report");
    EXPECT_FALSE(files::DirectoryExists(folder.Path() + "\\missing"));
    EXPECT_FALSE(files::FileExists(folder.Path() + "\\a"));
}

}  // namespace
