// The Report command in process: each page's list written as shown (sorted,
// message rows, multi-column History sections), the shared save dialog, the
// About page, a cancelled dialog and files that cannot be created.
#include "history/HistorySectionIds.h"
#include "platform/Files.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"
#include "startup/StartUpFunctions.h"
#include "MozillaSeeds.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace gui;
using namespace testing_support;
using platform::dialogs::BoxKind;
using platform::dialogs::FileDialogRequest;
namespace files = platform::files;

namespace {

constexpr int kClsidSection = 1, kHelpSection = 2;

class ReportTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        PumpMessages();
    }
    std::string PathOf(const std::string& name) const { return folder_.Path() + "\\" + name; }
    // Runs Report (F4) with the save dialog answered by path; counts the
    // dialogs and checks each is the plain save dialog.
    void Report(const std::string& path) {
        ScopedDialogAnswers answers({}, [&](FileDialogRequest& request) {
            ++dialogs_;
            EXPECT_TRUE(request.save);
            EXPECT_TRUE(request.filter.empty());
            EXPECT_TRUE(request.defaultExt.empty());
            offered_ = request.fileName;
            request.fileName = path;
            return true;
        });
        Main().ExecuteShortcut(VK_F4, 0);
    }
    std::string FileText(const std::string& path) {
        std::string text;
        EXPECT_TRUE(files::ReadFileBytes(path, text)) << path;
        return text;
    }
    bool Enabled(int action) { return Main().Actions().Enabled(action); }
    // One row listed on the StartUp page, so that Report is enabled.
    void ListOneStartUpRow() {
        const std::string path = startup::RunKeyPath("HKEY_CURRENT_USER", "RunServiceOnce");
        seeded_.Add(HKEY_CURRENT_USER, path);
        SetRegString(HKEY_CURRENT_USER, path, "OrvR one", "C:\\one.exe");
        Main().StartUpPage().SelectSuSection(startup::kSuRunServiceOnce);
    }

    ScopedRegKeys seeded_;
    ScopedFolder folder_{"report files"};
    int dialogs_ = 0;
    std::string offered_;
};

TEST_F(ReportTest, StartUpRowsInTheOrderShownAndASecondReportReplacesTheFirst) {
    const std::string path = startup::RunKeyPath("HKEY_CURRENT_USER", "RunServiceOnce");
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, path);
    keys.Add(HKEY_CURRENT_USER, path + "-");
    SetRegString(HKEY_CURRENT_USER, path, "OrvR on", "C:\\missing.exe /q");
    SetRegString(HKEY_CURRENT_USER, path + "-", "OrvR off", "C:\\gone;too.exe");
    StartUpPageWindow& page = Main().StartUpPage();
    page.SelectSuSection(startup::kSuRunServiceOnce);
    ASSERT_EQ(page.lvSuValues.Count(), 2);
    // Sorted by name, descending at the first click: the report follows the list.
    Main().SortListByColumn(page.lvSuValues.Handle(), 0);
    ASSERT_EQ(page.lvSuValues.Text(0, 0), "OrvR on");
    ASSERT_TRUE(Enabled(aReport));
    const std::string report = PathOf("startup.txt");
    Report(report);
    EXPECT_EQ(dialogs_, 1);
    EXPECT_EQ(FileText(report),
              "ORVTools Report. StartUp Section: RunServiceOnce\r\n"
              "Name;   Location;   Root Key;   Section;   Active;\r\n"
              "OrvR on;   C:\\missing.exe /q;   HKEY_CURRENT_USER;   RunServiceOnce;   N/A\r\n"
              "OrvR off;   C:\\gone;too.exe;   HKEY_CURRENT_USER;   RunServiceOnce;   N/A\r\n");
    // The dialog offers the name it last held; the shorter report replaces the file.
    SetRegString(HKEY_CURRENT_USER, path, "OrvR on", "C:\\x.exe");
    { ScopedRegValue gone(HKEY_CURRENT_USER, path + "-", "OrvR off"); }
    Main().ExecuteAction(aSuUpdate);
    ASSERT_EQ(page.lvSuValues.Count(), 1);
    Report(report);
    EXPECT_EQ(offered_, report);
    EXPECT_EQ(FileText(report),
              "ORVTools Report. StartUp Section: RunServiceOnce\r\n"
              "Name;   Location;   Root Key;   Section;   Active;\r\n"
              "OrvR on;   C:\\x.exe;   HKEY_CURRENT_USER;   RunServiceOnce;   N/A\r\n");
}

class RegistryReportTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        Main().TitleButtonClick(kPageRegistry);
        PumpMessages();
    }
    RegistryPageWindow& Page() { return Main().RegistryPage(); }
    void AddRecord(int section, const std::string& path, const std::string& file, const std::string& guess) {
        Page().Nut().RecordProblem(section, path, file, guess);
        Page().Nut().SetState(section, registry_scan::ssScanned);
    }
};

TEST_F(RegistryReportTest, SevenRecordsUnderTheNodeCaptionWithItsCount) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + std::string temporary.
    const auto path = [](int i) { return std::string("HKEY_CLASSES_ROOT\\CLSID|{x").append(std::to_string(i)).append("}"); };
    const auto file = [](int i) { return i == 3 ? std::string("C:\\a;b.dll") : std::string("f").append(std::to_string(i)); };
    const auto guess = [](int i) { return std::string(i == 5 ? "" : "g"); };
    for (int i = 0; i < 7; ++i) AddRecord(kClsidSection, path(i), file(i), guess(i));
    Page().SelectRgPosition(kClsidSection + 1);
    PumpMessages();
    ASSERT_EQ(Page().lvRgValues.Count(), 7);
    const std::string report = PathOf("registry.txt");
    Report(report);
    std::string expected =
        "ORVTools Report. Registry Section: (7)      CLSID\r\n"
        "Section;   Registry Path;   File Name;   Guess Path;\r\n";
    for (int i = 0; i < 7; ++i)
        expected.append("CLSID;   ").append(path(i)).append(";   ").append(file(i)).append(";   ").append(guess(i)).append("\r\n");
    EXPECT_EQ(FileText(report), expected);
}

TEST_F(RegistryReportTest, MessageRowsHaveTheirOtherCellsEmpty) {
    struct MessageCase {
        const char* name;
        bool scanned;
        const char* row;
    };
    const MessageCase cases[] = {{"not scanned", false, RegistryPageWindow::kNotScannedRow},
                                 {"scanned, clean", true, RegistryPageWindow::kNoErrorsRow}};
    for (const MessageCase& test : cases) {
        Page().Nut().SetState(kHelpSection, test.scanned ? registry_scan::ssScanned : registry_scan::ssNotScanned);
        Page().SelectRgPosition(0);
        Page().SelectRgPosition(kHelpSection + 1);
        PumpMessages();
        ASSERT_EQ(Page().lvRgValues.Count(), 1) << test.name;
        const std::string report = PathOf("message.txt");
        Report(report);
        EXPECT_EQ(FileText(report), "ORVTools Report. Registry Section: (0)      " +
                                        std::string(registry_scan::kRegistrySectionCaptions[kHelpSection]) +
                                        "\r\nSection;   Registry Path;   File Name;   Guess Path;\r\n" + test.row +
                                        ";   ;   ;   \r\n")
            << test.name;
    }
}

TEST_F(RegistryReportTest, WithNoNodeSelectedTheHeadingIsTheFixedTextAlone) {
    AddRecord(kClsidSection, "HKEY_CLASSES_ROOT\\CLSID|{n}", "f", "g");
    TreeView_SelectItem(Page().tvRgSections.Handle(), nullptr);
    PumpMessages();
    ASSERT_EQ(Page().SelectedRgPosition(), -1);
    Page().ShowScanResults(kClsidSection + 1);
    Main().RefreshView();
    const std::string report = PathOf("none.txt");
    Report(report);
    EXPECT_EQ(FileText(report),
              "ORVTools Report. Registry Section: \r\n"
              "Section;   Registry Path;   File Name;   Guess Path;\r\n"
              "CLSID;   HKEY_CLASSES_ROOT\\CLSID|{n};   f;   g\r\n");
}

TEST_F(ReportTest, HistoryRowsAreTheirCaptionsAloneInAMultiColumnSection) {
    ScopedMozillaAppData appData("moz-report");
    ASSERT_TRUE(files::FileExists(appData.WriteHistory(
        "a", MozillaHistoryText("(91=www.example.com)(94=news.example.org)",
                                {MozillaRow("1", "91", "92", "93", true), MozillaRow("2", "94", "92", "92")}))));
    Main().TitleButtonClick(kPageHistory);
    HistoryPageWindow& page = Main().HistoryPage();
    ASSERT_TRUE(PumpUntil([&] { return !page.Busy(); }));
    {
        RecordedBoxes boxes({IDOK});  // whatever the listing tells is not the report's
        page.SelectHsSection(history::hsMozillaVisitedPages);
        ASSERT_TRUE(PumpUntil([&] { return !page.Busy(); }));
    }
    ASSERT_EQ(page.lvHsValues.Count(), 2);
    ASSERT_EQ(page.lvHsValues.ColumnCount(), 2);
    ASSERT_FALSE(page.lvHsValues.Text(0, 1).empty());
    const std::string report = PathOf("history.txt");
    Report(report);
    EXPECT_EQ(FileText(report),
              "ORVTools Report. History Section: Visited Pages\r\n"
              "Value;\r\n"
              "www.example.com\r\n"
              "news.example.org\r\n");
    // Sorted (descending, then ascending): the report follows the list, not the listing.
    Main().SortListByColumn(page.lvHsValues.Handle(), 0);
    Main().SortListByColumn(page.lvHsValues.Handle(), 0);
    ASSERT_EQ(page.lvHsValues.Text(0, 0), "news.example.org");
    Report(report);
    EXPECT_EQ(FileText(report),
              "ORVTools Report. History Section: Visited Pages\r\n"
              "Value;\r\n"
              "news.example.org\r\n"
              "www.example.com\r\n");
}

TEST_F(ReportTest, OnTheAboutPageF4AsksNothingAndWritesNothing) {
    ListOneStartUpRow();
    Main().TitleButtonClick(kPageAbout);
    // The action keeps the StartUp page's state, so the shortcut reaches it.
    ASSERT_TRUE(Enabled(aReport));
    const std::string report = PathOf("about.txt");
    Report(report);
    EXPECT_EQ(dialogs_, 0);
    EXPECT_FALSE(files::FileExists(report));
}

TEST_F(ReportTest, ACancelledDialogWritesNothing) {
    ListOneStartUpRow();
    ASSERT_TRUE(Enabled(aReport));
    ScopedDialogAnswers answers({}, [&](FileDialogRequest& request) {
        request.fileName = PathOf("cancelled.txt");
        return false;
    });
    RecordedBoxes boxes;
    Main().ExecuteAction(aReport);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(files::FileExists(PathOf("cancelled.txt")));
}

TEST_F(ReportTest, AFileThatCannotBeCreatedIsToldInAnErrorBox) {
    ListOneStartUpRow();
    ASSERT_TRUE(Enabled(aReport));
    const std::string kept = PathOf("kept.txt");
    ASSERT_TRUE(files::WriteFileBytes(kept, "earlier report"));
    ASSERT_TRUE(SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY));
    struct Uncreatable {
        const char* name;
        std::string path;
        const char* code;
    };
    const Uncreatable cases[] = {
        {"a folder that does not exist", PathOf("missing\\report.txt"), "(error 3)"},
        {"a read-only file", kept, "(error 5)"},
    };
    for (const Uncreatable& test : cases) {
        RecordedBoxes boxes({IDCANCEL});
        Report(test.path);
        ASSERT_EQ(boxes.Shown().size(), 1u) << test.name;
        const std::string& text = boxes.Shown()[0].text;
        EXPECT_EQ(text.rfind("Cannot create the report file \"" + test.path + "\" " + test.code, 0), 0u) << text;
        EXPECT_EQ(boxes.Shown()[0].kind, BoxKind::ErrorCancel) << test.name;
    }
    EXPECT_EQ(FileText(kept), "earlier report");
    EXPECT_FALSE(files::DirectoryExists(PathOf("missing")));
    SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
