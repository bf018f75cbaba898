// A change refused for want of administrator rights: the offer to restart as
// administrator, the restart's command line, and the new window back on the
// old one's page, node and row.
#include "EngineTestSupport.h"
#include "RestrictedRegKey.h"
#include "TestSupport.h"
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "gui/MainWindow.h"
#include "gui/RestartRequest.h"
#include "gui/StartUpPage.h"
#include "gui/startup/AddEntryDialog.h"
#include "startup/StartUpFunctions.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace testing_support;

namespace {

RestartRequest ReadBack(const std::string& arguments) {
    return ParseRestartArguments(L"\"C:\\Program Files\\Orvelin\\Orvelin.exe\" " + platform::text::Widen(arguments));
}

TEST(RestartRequest, ArgumentsReadBackAsWrittenWhateverTheRowHolds) {
    for (const char* row : {"Tool", "with space", "quote \" inside", "ends in backslash\\", "C:\\a b\\\\\"c\"\\",
                            "Grüße", "\t"}) {
        RestartRequest request;
        request.previousProcess = 4242;
        request.page = kPageStartUp;
        request.hasNode = true;
        request.node = startup::kSuRun;
        request.row = row;
        request.rowIndex = 7;
        const RestartRequest read = ReadBack(RestartArguments(request));
        EXPECT_EQ(read.rowIndex, 7) << row;
        EXPECT_EQ(read.previousProcess, 4242u) << row;
        EXPECT_EQ(read.page, kPageStartUp) << row;
        EXPECT_TRUE(read.hasNode) << row;
        EXPECT_EQ(read.node, startup::kSuRun) << row;
        EXPECT_EQ(read.row, row);
    }
    // A plain start, and command lines that are not a restart's.
    for (const char* other : {"", "--page 1", "--restarted-from x", "--restarted-from 12 --page", "/S",
                              "--restarted-from 12 --colour red", "--restarted-from 12 --row-index -3"})
        EXPECT_EQ(ReadBack(other).previousProcess, 0u) << other;
}

// Records the elevated starts and answers with the error given.
class RecordedElevatedStarts {
public:
    explicit RecordedElevatedStarts(DWORD answer) {
        platform::shell::SetStartElevatedHandler([this, answer](const std::string& program, const std::string& args) {
            started.push_back({program, args});
            return answer;
        });
    }
    ~RecordedElevatedStarts() { platform::shell::SetStartElevatedHandler({}); }
    std::vector<std::pair<std::string, std::string>> started;
};

// The window as a user without administrator rights runs it (Wine runs
// every program elevated), or as an administrator.
class ScopedElevation {
public:
    explicit ScopedElevation(bool elevated) {
        platform::shell::SetElevationQuery([elevated] { return elevated; });
    }
    ~ScopedElevation() { platform::shell::SetElevationQuery({}); }
};

using ElevationTest = FrameTest;

TEST_F(ElevationTest, ARefusalOffersARestartAsAdministratorOnTheSamePageAndRow) {
    const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ScopedRegValue seeded(HKEY_CURRENT_USER, runKey, "Elevation Probe");
    {
        platform::KeyHandle key;
        ASSERT_EQ(platform::reg::CreateKey(HKEY_CURRENT_USER, runKey, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        ASSERT_EQ(platform::reg::SetString(key.Get(), "Elevation Probe", "C:\\probe.exe"), ERROR_SUCCESS);
    }
    Main().StartUpPage().SelectSuSection(startup::kSuRun);
    ui::ListView list = Main().StartUpPage().lvSuValues;
    const int row = RowOf(list, "Elevation Probe");
    ASSERT_GE(row, 0);
    list.Select(row);

    const struct {
        int answer;        // to the offer
        DWORD startError;  // of the elevated start
        bool restarting;
        size_t boxes;
    } cases[] = {
        {IDNO, ERROR_SUCCESS, false, 1},
        {IDYES, ERROR_CANCELLED, false, 1},  // the user declined Windows' own question
        {IDYES, ERROR_FILE_NOT_FOUND, false, 2},
        {IDYES, ERROR_SUCCESS, true, 1},
    };
    {
        // An administrator is only told: there is nothing a restart would add.
        const ScopedElevation administrator(true);
        RecordedBoxes boxes({IDOK});
        RecordedElevatedStarts starts(ERROR_SUCCESS);
        EXPECT_FALSE(Main().OfferElevatedRestart("Tool was not deleted: its key cannot be written."));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Tool was not deleted: its key cannot be written.");
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::Warning);
        EXPECT_TRUE(starts.started.empty());
    }
    const ScopedElevation user(false);
    {
        // Another dialog is open over the frame: the frame may not close
        // under it, so the user is only told.
        EnableWindow(Main().Handle(), FALSE);
        RecordedBoxes boxes({IDYES});
        RecordedElevatedStarts starts(ERROR_SUCCESS);
        EXPECT_FALSE(Main().OfferElevatedRestart("Tool was not deleted: its key cannot be written."));
        EnableWindow(Main().Handle(), TRUE);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::Warning);
        EXPECT_TRUE(starts.started.empty());
    }
    for (const auto& c : cases) {
        RecordedBoxes boxes({c.answer, IDOK});
        RecordedElevatedStarts starts(c.startError);
        EXPECT_EQ(Main().OfferElevatedRestart("Tool was not deleted: its key cannot be written."), c.restarting);
        ASSERT_EQ(boxes.Shown().size(), c.boxes) << c.answer << " " << c.startError;
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ElevationOffer);
        EXPECT_EQ(boxes.Shown()[0].text.rfind("Tool was not deleted: its key cannot be written.\r\n\r\n", 0), 0u);
        EXPECT_EQ(starts.started.size(), c.answer == IDYES ? 1u : 0u);
        EXPECT_EQ(Main().ClosingForRestart(), c.restarting);
        if (!c.restarting || starts.started.empty()) continue;
        EXPECT_TRUE(SameCaption(starts.started[0].first, platform::files::ModuleFileName()));
        const RestartRequest request = ReadBack(starts.started[0].second);
        EXPECT_EQ(request.previousProcess, GetCurrentProcessId());
        EXPECT_EQ(request.page, kPageStartUp);
        EXPECT_EQ(request.node, startup::kSuRun);
        EXPECT_EQ(request.row, "Elevation Probe");
        EXPECT_EQ(request.rowIndex, row);

        // The new window shows them again.
        window_.reset();
        window_ = std::make_unique<MainWindow>();
        Main().ShowAfterRestart(request);
        ShowWindow(Main().Handle(), SW_SHOW);
        Main().FormActivate(true);
        PumpMessages();
        EXPECT_EQ(Main().CurrentPage(), kPageStartUp);
        EXPECT_EQ(Main().StartUpPage().tvSuSections.Data(Main().StartUpPage().tvSuSections.Selected()),
                  startup::kSuRun);
        const ui::ListView shown = Main().StartUpPage().lvSuValues;
        ASSERT_GE(shown.Selected(), 0);
        EXPECT_EQ(shown.Text(shown.Selected(), 0), "Elevation Probe");
    }
}

TEST_F(ElevationTest, AMachineWideSwitchRefusedOffersTheRestartAUserOneStaysSilent) {
    const ScopedElevation user(false);
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
    ScopedRegKeys cleanup;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        platform::KeyHandle handle;
        ASSERT_EQ(platform::reg::CreateKey(root, key, KEY_ALL_ACCESS, handle), ERROR_SUCCESS);
        ASSERT_EQ(platform::reg::SetString(handle.Get(), "OrvE locked", "C:\\locked.exe"), ERROR_SUCCESS);
        cleanup.Add(root, key + "-");
    }
    ScopedRegValue machineValue(HKEY_LOCAL_MACHINE, key, "OrvE locked"), userValue(HKEY_CURRENT_USER, key, "OrvE locked");
    ScopedReadOnlyKey machine(HKEY_LOCAL_MACHINE, key), machineTwin(HKEY_LOCAL_MACHINE, key + "-");
    ScopedReadOnlyKey userKey(HKEY_CURRENT_USER, key), userTwin(HKEY_CURRENT_USER, key + "-");
    Main().StartUpPage().SelectSuSection(startup::kSuRunOnceEx);
    ui::ListView list = Main().StartUpPage().lvSuValues;
    for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"}) {
        int row = -1;
        for (int i = 0; i < list.Count(); ++i)
            if (list.Text(i, 0) == "OrvE locked" && list.Text(i, 2) == root) row = i;
        ASSERT_GE(row, 0) << root;
        RecordedBoxes boxes({IDNO});
        list.SetChecked(row, false);
        EXPECT_TRUE(list.Checked(row)) << root;  // the registry still holds it switched on
        if (std::string(root) == "HKEY_CURRENT_USER") {
            EXPECT_TRUE(boxes.Shown().empty());
            continue;
        }
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ElevationOffer);
        EXPECT_EQ(boxes.Shown()[0].text.rfind("OrvE locked was not switched off: its key cannot be written.", 0), 0u);
    }
}

TEST_F(ElevationTest, AMachineWideDeleteRefusedOffersTheRestart) {
    const ScopedElevation user(false);
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\RunService";
    {
        platform::KeyHandle handle;
        ASSERT_EQ(platform::reg::CreateKey(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS, handle), ERROR_SUCCESS);
        ASSERT_EQ(platform::reg::SetString(handle.Get(), "OrvE kept", "C:\\kept.exe"), ERROR_SUCCESS);
    }
    ScopedRegValue seeded(HKEY_LOCAL_MACHINE, key, "OrvE kept");
    ScopedReadOnlyKey locked(HKEY_LOCAL_MACHINE, key);
    Main().StartUpPage().SelectSuSection(startup::kSuRunService);
    ui::ListView list = Main().StartUpPage().lvSuValues;
    const int row = RowOf(list, "OrvE kept");
    ASSERT_GE(row, 0);
    list.Select(row);
    RecordedBoxes boxes({IDYES, IDNO});
    Main().ExecuteAction(aSuDelete);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::ElevationOffer);
    EXPECT_EQ(boxes.Shown()[1].text.rfind("OrvE kept was not deleted: its key cannot be written.\r\n\r\n", 0), 0u);
    EXPECT_GE(RowOf(list, "OrvE kept"), 0);
}

// An add to, or a drag onto, a machine-wide key that cannot be written
// offers the restart; the add dialog stays for another try when the user
// declines, and closes behind the window when the restart is under way.
TEST_F(ElevationTest, AMachineWideAddOrMoveRefusedOffersTheRestart) {
    const ScopedElevation user(false);
    const std::string runService = "Software\\Microsoft\\Windows\\CurrentVersion\\RunService";
    const std::string runOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    {
        platform::KeyHandle handle;
        ASSERT_EQ(platform::reg::CreateKey(HKEY_LOCAL_MACHINE, runOnce, KEY_ALL_ACCESS, handle), ERROR_SUCCESS);
        ASSERT_EQ(platform::reg::SetString(handle.Get(), "OrvE mover", "C:\\mover.exe"), ERROR_SUCCESS);
    }
    ScopedRegValue mover(HKEY_LOCAL_MACHINE, runOnce, "OrvE mover"), added(HKEY_LOCAL_MACHINE, runService, "OrvE added");
    ScopedReadOnlyKey locked(HKEY_LOCAL_MACHINE, runService);
    Main().StartUpPage().SelectSuSection(startup::kSuRunService);
    for (const int answer : {IDNO, IDYES}) {
        RecordedBoxes boxes({answer});
        RecordedElevatedStarts starts(ERROR_SUCCESS);
        bool stayed = false;
        ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
            auto& add = static_cast<AddEntryDialog&>(dialog);
            SetWindowTextA(add.edtValueName, "OrvE added");
            SetWindowTextA(add.edtValueLocation, "C:\\added.exe");
            add.AddClick();
            stayed = add.Showing();
            return IDCANCEL;
        });
        Main().ExecuteAction(aSuAdd);
        ASSERT_EQ(boxes.Shown().size(), 1u) << answer;
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ElevationOffer);
        EXPECT_EQ(boxes.Shown()[0].text.rfind("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunService could not be written", 0), 0u)
            << boxes.Shown()[0].text;
        EXPECT_EQ(stayed, answer == IDNO);
        EXPECT_EQ(starts.started.size(), answer == IDYES ? 1u : 0u);
    }
    EXPECT_FALSE(RegValueExists(HKEY_LOCAL_MACHINE, runService, "OrvE added"));

    window_.reset();  // the last one closes for its restart
    window_ = std::make_unique<MainWindow>();
    ShowWindow(Main().Handle(), SW_SHOW);
    Main().FormActivate(true);
    PumpMessages();
    Main().StartUpPage().SelectSuSection(startup::kSuRunOnce);
    ui::ListView list = Main().StartUpPage().lvSuValues;
    const int row = RowOf(list, "OrvE mover");
    ASSERT_GE(row, 0);
    list.Select(row);
    RecordedBoxes boxes({IDNO});
    Main().StartUpPage().SuDropOnNode(Main().StartUpPage().tvSuSections.ItemWithData(startup::kSuRunService));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ElevationOffer);
    EXPECT_EQ(boxes.Shown()[0].text.rfind("OrvE mover was not moved to RunService: its key cannot be written.", 0), 0u);
    EXPECT_TRUE(RegValueExists(HKEY_LOCAL_MACHINE, runOnce, "OrvE mover"));
}

}  // namespace
