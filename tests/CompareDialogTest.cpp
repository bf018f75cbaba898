// The snapshot comparison dialog of the StartUp page (F10): what a loaded
// snapshot shows, how the rows live with the dialog's activation, bad files,
// the repairs behind a box that takes the activation as a real one does, the
// table's sort switch and Create BackUp through the shared save dialog.
#include "gui/snapshots/SnapshotCompareDialog.h"

#include "backup/BackupRun.h"
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "gui/StartUpPage.h"
#include "snapshots/StartupSnapshot.h"
#include "startup/StartUpFunctions.h"
#include "ui/CellTips.h"
#include "ui/RowData.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gui;
using namespace testing_support;
using snapshots::CompareRegistryRow;

namespace {

const std::string kUser = "HKEY_CURRENT_USER";
std::string Key(const std::string& section) { return startup::RunKeyPath(kUser, section); }
CompareRegistryRow Row(const std::string& name, const std::string& location) {
    return {name, location, kUser, "RunOnce", "True"};
}

bool Has(const std::vector<std::string>& lines, const std::vector<std::string>& record) {
    return std::search(lines.begin(), lines.end(), record.begin(), record.end()) != lines.end();
}
bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}
bool Enabled(HWND control) { return IsWindowEnabled(control) != FALSE; }
std::vector<bool> Repairs(const SnapshotCompareDialog& d) {
    return {Enabled(d.btnLoadXML), Enabled(d.btnUpdate), Enabled(d.btnDel)};
}
const std::vector<bool> kNoRepairs{false, false, false};

// Answers boxes in turn, and does to the dialog what a real box does: it goes
// inactive while the box shows and active again once the box is answered.
class BoxesOver {
public:
    BoxesOver(SnapshotCompareDialog& dialog, std::vector<int> answers, std::function<void()> whileShown = {}) {
        platform::dialogs::SetBoxHandler([&dialog, answers, whileShown, this](const std::string& text,
                                                                             const std::string&,
                                                                             platform::dialogs::BoxKind) {
            texts.push_back(text);
            const int answer = answers[std::min(texts.size(), answers.size()) - 1];
            if (texts.size() > 4) return answer;  // a loop: the test fails on the count
            dialog.Deactivated();
            if (whileShown && texts.size() == 1) whileShown();
            dialog.Activated();
            return answer;
        });
    }
    ~BoxesOver() { InstallUnscriptedBoxAnswer(); }
    std::vector<std::string> texts;
};

class CompareDialog : public FrameTest {
protected:
    void SetUp() override {
        Clean();
        // The snapshot holds three entries; since, one went, one came, one moved.
        SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD kept", "kept.exe");
        SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD gone", "gone.exe");
        SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD moved", "old.exe");
        Save(snapshot_);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD gone");
        SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD new", "new.exe");
        SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD moved", "new place.exe");
        FrameTest::SetUp();
        Main().SetBackupFolder(backups_.Path() + "\\");
        ui::Action* update = Main().Actions().Find(aHsUpdate);
        update->onExecute = [this, original = update->onExecute] {
            ++hsUpdates_;
            if (original) original();
        };
        Main().Actions().SetEnabled(aHsUpdate, true);
    }
    void TearDown() override {
        FrameTest::TearDown();
        Clean();
    }
    static void Clean() { DeleteUserRunKeys({"RunOnce", "RunService"}); }
    static void Save(const std::string& path) {
        std::string error;
        ASSERT_TRUE(snapshots::SaveStartupSnapshot(path, error)) << error;
    }

    // F10 on the StartUp page; body runs while the dialog shows. The open
    // dialog is answered with fileAnswer_ ("": cancelled), the save dialog
    // with saveAnswer_.
    void ShowWith(const std::function<void(SnapshotCompareDialog&)>& body) {
        ScopedDialogAnswers answers(
            [&](ui::ModalDialog& dialog) {
                // A load's or a repair's progress window, left up until the work ends.
                if (auto* progress = dynamic_cast<WorkProgressDialog*>(&dialog)) {
                    ++progressShows_;
                    if (onProgress_) onProgress_(*progress);
                    EXPECT_TRUE(PumpUntil([&] { return !progress->Showing(); }));
                    return IDOK;
                }
                body(dynamic_cast<SnapshotCompareDialog&>(dialog));
                return IDCANCEL;
            },
            [&](platform::dialogs::FileDialogRequest& request) {
                requests_.push_back(request);
                sharedSaveDialog_ = &request == &Main().dlgSave();
                request.fileName = request.save ? saveAnswer_ : fileAnswer_;
                return !request.fileName.empty();
            });
        ASSERT_TRUE(Main().ExecuteAction(aBackUp));
    }
    void Load(SnapshotCompareDialog& d, const std::string& path) {
        fileAnswer_ = path;
        d.LoadBackUpClick();
    }

    ScopedFolder backups_{"compare backups"}, files_{"compare files"};
    const std::string snapshot_ = files_.Path() + "\\StartUp(before).xml";
    std::string fileAnswer_, saveAnswer_;
    std::vector<platform::dialogs::FileDialogRequest> requests_;
    bool sharedSaveDialog_ = false;
    int hsUpdates_ = 0;
    int progressShows_ = 0;
    std::function<void(WorkProgressDialog&)> onProgress_;
};

TEST_F(CompareDialog, F10ShowsItAndItsCloseListsTheSectionAgain) {
    Main().StartUpPage().SelectSuSection(startup::kSuRunOnce);
    const struct {
        WORD command;  // Ok, or Esc
        int hsUpdates;
    } cases[] = {{IDOK, 1}, {IDCANCEL, 0}};
    for (const auto& c : cases) {
        hsUpdates_ = 0;
        ShowWith([&](SnapshotCompareDialog& d) {
            EXPECT_EQ(ui::ControlText(d.Handle()), "Compare Info With XML");
            EXPECT_EQ(ui::ControlText(d.lblName), "Open XMLFile: NONE");
            EXPECT_EQ(d.ReportLines(), std::vector<std::string>{snapshots::kCompareStartText});
            const std::pair<HWND, const char*> buttons[] = {
                {d.btnRun, "Create BackUp"}, {d.btnKill, "Load BackUp"}, {d.btnOk, "Ok"},
                {d.btnLoadXML, "Restore All"}, {d.btnUpdate, "Create Deleted"}, {d.btnDel, "Delete Created"}};
            for (const auto& [button, caption] : buttons) EXPECT_EQ(ui::ControlText(button), caption);
            ASSERT_EQ(d.lvXMLFile.ColumnCount(), 5);
            for (int column = 0; column < 4; ++column)
                EXPECT_EQ(d.lvXMLFile.ColumnWidth(column), (std::vector<int>{150, 289, 137, 95})[column]);
            // Nothing compared, nothing to repair; a click asks nothing (an
            // unscripted box fails the test).
            EXPECT_EQ(Repairs(d), kNoRepairs);
            d.RestoreAllClick();
            d.CreateDeletedClick();
            d.DeleteCreatedClick();
            SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD while open", "open.exe");
            SendMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(c.command, BN_CLICKED), 0);
            EXPECT_FALSE(d.Showing());
        });
        EXPECT_GE(RowOf(Main().StartUpPage().lvSuValues, "OrvD while open"), 0) << c.command;
        EXPECT_EQ(hsUpdates_, c.hsUpdates) << c.command;
        RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD while open");
    }
}

TEST_F(CompareDialog, LoadShowsTheDifferencesAndActivationComparesAfresh) {
    const std::string startupFolder = platform::shell::SpecialFolderPath(kCsidlStartup);
    ASSERT_TRUE(platform::files::CreateFolderPath(startupFolder));
    ScopedFile startupFile(startupFolder + "\\OrvD file.txt", "");
    ShowWith([&](SnapshotCompareDialog& d) {
        Load(d, snapshot_);
        ASSERT_EQ(requests_.size(), 1u);
        EXPECT_FALSE(requests_[0].save);  // an open dialog: the file must exist
        EXPECT_EQ(requests_[0].title, "Compare With");
        EXPECT_EQ(requests_[0].defaultExt, "xml");
        EXPECT_EQ(requests_[0].filter, "XML File (*.xml)|*.xml|All File (*.*)");
        EXPECT_EQ(ui::ControlText(d.lblName), "Open XMLFile: " + snapshot_);
        EXPECT_EQ(ui::ControlText(d.lblData), "date: " + platform::text::ShortDateToday());
        const int gone = RowOf(d.lvXMLFile, "OrvD gone");
        ASSERT_GE(gone, 0);
        for (int k = 1; k < 5; ++k)
            EXPECT_EQ(d.lvXMLFile.Text(gone, k), (std::vector<std::string>{"gone.exe", kUser, "RunOnce", "True"})[k - 1]);
        EXPECT_EQ(RowOf(d.lvXMLFile, "OrvD new"), -1);  // the table is the snapshot's
        std::vector<std::string> report = d.ReportLines();
        EXPECT_TRUE(Has(report, snapshots::DeletedRecord(Row("OrvD gone", "gone.exe"))));
        EXPECT_TRUE(Has(report, snapshots::CreatedRecord(Row("OrvD new", "new.exe"))));
        EXPECT_TRUE(HasLineStarting(report, "CHENGED LOCATION:  Parametr:  OrvD moved"));
        EXPECT_EQ(Repairs(d), (std::vector<bool>{true, true, true}));

        // Inactive, it holds only the snapshot; active again, it shows the
        // machine now, the file not read again (it is gone meanwhile).
        EXPECT_EQ(progressShows_, 1);  // the load ran behind the progress window
        d.Deactivated();
        EXPECT_GE(RowOf(d.lvXMLFile, "OrvD gone"), 0);
        EXPECT_TRUE(d.ReportLines().empty());
        EXPECT_EQ(Repairs(d), kNoRepairs);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD new");
        const std::string kept = files_.Path() + "\\kept.xml";
        ASSERT_TRUE(MoveFileA(snapshot_.c_str(), kept.c_str()));
        d.Activated();
        ASSERT_TRUE(MoveFileA(kept.c_str(), snapshot_.c_str()));
        EXPECT_EQ(progressShows_, 1);
        EXPECT_EQ(ui::ControlText(d.lblName), "Open XMLFile: " + snapshot_);
        report = d.ReportLines();
        EXPECT_TRUE(Has(report, snapshots::DeletedRecord(Row("OrvD gone", "gone.exe"))));
        EXPECT_FALSE(Has(report, snapshots::CreatedRecord(Row("OrvD new", "new.exe"))));
        EXPECT_EQ(Repairs(d), (std::vector<bool>{true, true, false}));

        // A snapshot of the machine as it is: nothing differs.
        const std::string now = files_.Path() + "\\now.xml";
        Save(now);
        Load(d, now);
        EXPECT_EQ(d.ReportLines(),
                  (std::vector<std::string>{"IN REGISTRY:", "CHENGE NOT FOUND.", "IN AUTOSTART:", "CHENGE NOT FOUND."}));
        EXPECT_EQ(Repairs(d), kNoRepairs);
        const int file = RowOf(d.lvXMLFile, "OrvD file");
        ASSERT_GE(file, 0);
        EXPECT_EQ(d.lvXMLFile.Text(file, 1), startupFolder + "\\");
        EXPECT_EQ(ui::RowSubItemCount(d.lvXMLFile.Data(file)), 1u);  // it lacks the registry columns

        // A cancelled choice leaves nothing loaded, now or at the next activation.
        Load(d, "");
        for (bool reactivated : {false, true}) {
            if (reactivated) d.Activated();
            EXPECT_EQ(ui::ControlText(d.lblName), "Open XMLFile: NONE");
            EXPECT_EQ(d.lvXMLFile.Count(), 0);
            EXPECT_EQ(d.ReportLines(), std::vector<std::string>{snapshots::kCompareStartText});
            EXPECT_EQ(Repairs(d), kNoRepairs);
            EXPECT_FALSE(d.Compared());
        }
    });
}

TEST_F(CompareDialog, BadFilesLoadNothingAndAreToldOnce) {
    std::string good;
    ASSERT_TRUE(platform::files::ReadFileBytes(snapshot_, good));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string bytes = good;
        for (size_t at; (at = bytes.find(from)) != std::string::npos;) bytes.replace(at, from.size(), to);
        return bytes;
    };
    const struct {
        const char* name;
        std::string bytes;
        bool told;  // false: not a snapshot at all, passed over without a word
    } cases[] = {
        {"cut.xml", good.substr(0, good.size() / 2), true},
        {"doctype.xml", "<?xml version=\"1.0\"?>\r\n<!DOCTYPE a [<!ENTITY b \"c\">]>\r\n<a>&b;</a>\r\n", true},
        {"winini.xml", replaced("<WIN.INI>\r\n</WIN.INI>", "<WIN.INI>\r\nx\r\n</WIN.INI>"), true},
        {"section.xml", replaced("RunOnce>", "Evil>"), true},
        {"notes.xml", "some notes, no XML\r\n", true},
        {"other.xml", "<?xml version=\"1.0\"?>\r\n<!--someone else's-->\r\n<ALL>\r\n</ALL>\r\n", false},
    };
    ShowWith([&](SnapshotCompareDialog& d) {
        for (const auto& c : cases) {
            ScopedFile file(files_.Path() + "\\" + c.name, c.bytes);
            Load(d, snapshot_);
            ASSERT_TRUE(d.Compared());
            BoxesOver boxes(d, {IDCANCEL});
            Load(d, file.Path());
            EXPECT_EQ(d.ReportLines(), std::vector<std::string>{snapshots::kCompareStartText}) << c.name;
            d.Activated();
            ASSERT_EQ(boxes.texts.size(), c.told ? 1u : 0u) << c.name;
            if (c.told) {
                EXPECT_NE(boxes.texts[0].find(file.Path()), std::string::npos) << boxes.texts[0];
            }
            EXPECT_EQ(d.ChosenFile(), c.told ? "" : file.Path()) << c.name;
            EXPECT_EQ(ui::ControlText(d.lblName), c.told ? "Open XMLFile: NONE" : "Open XMLFile: " + file.Path());
            EXPECT_FALSE(d.Compared()) << c.name;
            EXPECT_EQ(d.lvXMLFile.Count(), 0) << c.name;
            EXPECT_EQ(Repairs(d), kNoRepairs) << c.name;
        }
    });
}

TEST_F(CompareDialog, RepairsActOnTheRowsShownThroughTheBoxesActivation) {
    // The first snapshot and one entry more, which will not come back: a
    // number takes its name.
    const std::string blockedSnapshot = files_.Path() + "\\blocked.xml";
    RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD new");
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD gone", "gone.exe");
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD moved", "old.exe");
    SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD blocked", "blocked.exe");
    Save(blockedSnapshot);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD blocked");
    const std::string unwritable = files_.Path() + "\\a file";
    ScopedFile plainFile(unwritable, "");

    using Click = void (SnapshotCompareDialog::*)();
    const struct {
        const char* name;
        Click click;
        const char* question;
        int answer;
        bool blocked, backupFails;
        const char *gone, *created, *moved;  // the values afterwards; nullptr: none
        std::vector<bool> repairs;           // the buttons afterwards
        bool restoredLine, pointLine;
    } cases[] = {
        {"restore", &SnapshotCompareDialog::RestoreAllClick, "Replace registry?", IDYES, false, false, "gone.exe", nullptr,
         "old.exe", {true, true, true}, true, true},
        {"restore no", &SnapshotCompareDialog::RestoreAllClick, "Replace registry?", IDNO, false, false, nullptr, "new.exe",
         "new place.exe", {true, true, true}, false, false},
        {"restore blocked", &SnapshotCompareDialog::RestoreAllClick, "Replace registry?", IDYES, true, false, "gone.exe",
         nullptr, "old.exe", {true, true, true}, false, true},
        {"create", &SnapshotCompareDialog::CreateDeletedClick, "Update registry?", IDYES, false, false, "gone.exe", "new.exe",
         "new place.exe", {true, false, true}, false, false},
        {"create blocked", &SnapshotCompareDialog::CreateDeletedClick, "Update registry?", IDYES, true, false, "gone.exe",
         "new.exe", "new place.exe", {true, true, true}, false, false},
        {"delete", &SnapshotCompareDialog::DeleteCreatedClick, "Delete new paremetrs?", IDYES, false, false, nullptr, nullptr,
         "new place.exe", {true, true, false}, false, true},
        {"delete no backup", &SnapshotCompareDialog::DeleteCreatedClick, "Delete new paremetrs?", IDYES, false, true, nullptr,
         "new.exe", "new place.exe", {true, true, true}, false, false},
    };
    auto value = [](const char* name) {
        return RegValueExists(HKEY_CURRENT_USER, Key("RunOnce"), name) ? RegString(HKEY_CURRENT_USER, Key("RunOnce"), name)
                                                                        : std::string("(none)");
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD gone");
        SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD new", "new.exe");
        SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD moved", "new place.exe");
        if (c.blocked) SetRegDword(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD blocked", 7);
        RemoveFolderTree(backups_.Path() + "\\Backup");
        Main().SetBackupFolder(c.backupFails ? unwritable + "\\Backup\\" : backups_.Path() + "\\Backup\\");
        ShowWith([&](SnapshotCompareDialog& d) {
            Load(d, c.blocked ? blockedSnapshot : snapshot_);
            // An entry that appears while the question is open was not shown:
            // no repair may touch it.
            BoxesOver boxes(d, {c.answer, IDCANCEL}, [] {
                SetRegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD unseen", "unseen.exe");
            });
            (d.*c.click)();
            ASSERT_GE(boxes.texts.size(), 1u);
            EXPECT_EQ(boxes.texts[0], c.question);
            EXPECT_EQ(boxes.texts.size(), c.backupFails ? 2u : 1u);
            if (c.backupFails) {
                EXPECT_EQ(boxes.texts[1].rfind("Nothing was changed", 0), 0u) << boxes.texts[1];
            }
            const std::vector<std::string> report = d.ReportLines();
            if (c.answer == IDNO || c.backupFails) {  // the records stay
                EXPECT_TRUE(Has(report, snapshots::DeletedRecord(Row("OrvD gone", "gone.exe"))));
                EXPECT_TRUE(Has(report, snapshots::CreatedRecord(Row("OrvD new", "new.exe"))));
            }
            EXPECT_EQ(Repairs(d), c.repairs);
            EXPECT_EQ(!report.empty() && report[0] == snapshots::kRestoredText, c.restoredLine);
            EXPECT_EQ(HasLineStarting(report, "What was deleted or overwritten is saved in the backup point "),
                      c.pointLine);
            EXPECT_EQ(HasLineStarting(report, "NOT DONE:  Parametr:  OrvD blocked"), c.blocked && c.answer == IDYES);
            // Create Deleted takes out the records of the rows it did, and only those.
            if (c.click == &SnapshotCompareDialog::CreateDeletedClick) {
                EXPECT_FALSE(Has(report, snapshots::DeletedRecord(Row("OrvD gone", "gone.exe"))));
                EXPECT_EQ(Has(report, snapshots::DeletedRecord(Row("OrvD blocked", "blocked.exe"))), c.blocked);
                EXPECT_TRUE(Has(report, snapshots::CreatedRecord(Row("OrvD new", "new.exe"))));
            }
            if (c.click == &SnapshotCompareDialog::DeleteCreatedClick && !c.backupFails) {
                EXPECT_FALSE(Has(report, snapshots::CreatedRecord(Row("OrvD new", "new.exe"))));
                EXPECT_TRUE(Has(report, snapshots::DeletedRecord(Row("OrvD gone", "gone.exe"))));
            }
        });
        EXPECT_EQ(value("OrvD gone"), c.gone ? c.gone : "(none)");
        EXPECT_EQ(value("OrvD new"), c.created ? c.created : "(none)");
        EXPECT_EQ(value("OrvD moved"), c.moved);
        EXPECT_EQ(value("OrvD kept"), "kept.exe");
        EXPECT_EQ(value("OrvD unseen"), "unseen.exe");
        EXPECT_EQ(backup::ListBackupPoints(backups_.Path() + "\\Backup\\").size(), c.pointLine ? 1u : 0u);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD unseen");
        RegDeleteKeyValueA(HKEY_CURRENT_USER, Key("RunOnce").c_str(), "OrvD blocked");
    }
}

TEST_F(CompareDialog, RepairsInTurnActOnTheMachineAsTheLastLeftIt) {
    ShowWith([&](SnapshotCompareDialog& d) {
        Load(d, snapshot_);
        BoxesOver boxes(d, {IDYES});
        d.CreateDeletedClick();
        d.DeleteCreatedClick();
        d.RestoreAllClick();
        EXPECT_EQ(boxes.texts.size(), 3u);
        // Nothing was left undone by the last repair: every row was as expected.
        EXPECT_EQ(d.ReportLines().at(0), snapshots::kRestoredText);
        EXPECT_FALSE(HasLineStarting(d.ReportLines(), "NOT DONE:"));
    });
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key("RunOnce"), "OrvD moved"), "old.exe");
}

TEST_F(CompareDialog, HeadingClicksSortAscendingFirstThenFlipWhateverTheColumn) {
    const std::pair<const char*, const char*> entries[] = {{"OrvD b", "3.exe"}, {"orvd A", "1.exe"}, {"OrvD c", "2.exe"}};
    for (const auto& [name, location] : entries) SetRegString(HKEY_CURRENT_USER, Key("RunService"), name, location);
    const std::string path = files_.Path() + "\\sort.xml";
    Save(path);
    const struct {
        int column;
        std::vector<std::string> order;
    } clicks[] = {
        {0, {"orvd A", "OrvD b", "OrvD c"}},  // case ignored
        {1, {"OrvD b", "OrvD c", "orvd A"}},
        {1, {"orvd A", "OrvD c", "OrvD b"}},
        {0, {"OrvD c", "OrvD b", "orvd A"}},
    };
    ShowWith([&](SnapshotCompareDialog& d) {
        Load(d, path);
        for (const auto& click : clicks) {
            NMLISTVIEW notice{};
            notice.hdr = {d.lvXMLFile.Handle(), SnapshotCompareDialog::kIdTable, static_cast<UINT>(LVN_COLUMNCLICK)};
            notice.iItem = -1;
            notice.iSubItem = click.column;
            SendMessageA(d.Handle(), WM_NOTIFY, SnapshotCompareDialog::kIdTable, reinterpret_cast<LPARAM>(&notice));
            std::vector<std::string> order;
            for (int row = 0; row < d.lvXMLFile.Count(); ++row) {
                const std::string name = d.lvXMLFile.Text(row, 0);
                if (name == "OrvD b" || name == "orvd A" || name == "OrvD c") order.push_back(name);
            }
            EXPECT_EQ(order, click.order) << "column " << click.column;
            EXPECT_EQ(d.lvXMLFile.Text(RowOf(d.lvXMLFile, "OrvD b"), 1), "3.exe");  // a row's cells move together
        }
    });
}

// The arrow of the table's header follows its own switch (ascending first);
// a Location wider than its column is tipped whole.
TEST_F(CompareDialog, TheTableShowsItsSortArrowAndTipsACutLocation) {
    const std::string longLocation =
        "C:\\Program Files\\Orvelin compare\\a folder of a long name\\and one more below it\\tool.exe /run";
    SetRegString(HKEY_CURRENT_USER, Key("RunService"), "OrvD long", longLocation);
    const std::string path = files_.Path() + "\\arrow.xml";
    Save(path);
    ShowWith([&](SnapshotCompareDialog& d) {
        Load(d, path);
        const HWND list = d.lvXMLFile.Handle();
        auto arrows = [&] {
            std::string marks;
            for (int column = 0; column < d.lvXMLFile.ColumnCount(); ++column) {
                HDITEMA item{};
                item.mask = HDI_FORMAT;
                Header_GetItem(ListView_GetHeader(list), column, &item);
                marks += (item.fmt & HDF_SORTUP) ? 'u' : (item.fmt & HDF_SORTDOWN) ? 'd' : ' ';
            }
            return marks;
        };
        EXPECT_EQ(arrows(), "     ");
        for (const auto& [column, marks] : {std::pair{0, "u    "}, {1, " d   "}, {1, " u   "}}) {
            NMLISTVIEW notice{};
            notice.hdr = {list, SnapshotCompareDialog::kIdTable, static_cast<UINT>(LVN_COLUMNCLICK)};
            notice.iItem = -1;
            notice.iSubItem = column;
            SendMessageA(d.Handle(), WM_NOTIFY, SnapshotCompareDialog::kIdTable, reinterpret_cast<LPARAM>(&notice));
            EXPECT_EQ(arrows(), marks) << "column " << column;
        }
        const int row = RowOf(d.lvXMLFile, "OrvD long");
        ASSERT_GE(row, 0);
        EXPECT_EQ(ui::CutCellText(list, row, 1), longLocation);
        EXPECT_EQ(ui::CutCellText(list, row, 0), "");
    });
}

TEST_F(CompareDialog, CreateBackUpSavesThroughTheSharedSaveDialogAndClosesWithOk) {
    const std::string chosen = files_.Path() + "\\chosen.xml";
    for (bool choose : {false, true}) {
        hsUpdates_ = 0;
        requests_.clear();
        saveAnswer_ = choose ? chosen : "";
        ShowWith([&](SnapshotCompareDialog& d) {
            d.CreateBackUpClick();
            EXPECT_FALSE(d.Showing());
        });
        ASSERT_EQ(requests_.size(), 1u);
        EXPECT_TRUE(requests_[0].save);
        EXPECT_TRUE(sharedSaveDialog_);
        EXPECT_EQ(requests_[0].fileName, "StartUp(" + platform::text::ShortDateToday() + ").xml");
        EXPECT_EQ(hsUpdates_, 1) << choose;  // closed with OK either way
        EXPECT_EQ(platform::files::FileExists(chosen), choose);
    }
    EXPECT_EQ(Main().dlgSave().fileName, chosen);  // the report's F4 offers it next
    snapshots::CompareRows rows;
    std::string date, error;
    EXPECT_EQ(snapshots::LoadSnapshot(chosen, rows, date, error), snapshots::SnapshotLoad::Loaded) << error;
}

}  // namespace
