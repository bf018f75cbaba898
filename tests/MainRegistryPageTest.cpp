// The Registry page in process: captions, icons and the check rule, the
// results list and its ticks, Scan with its progress window, Fix and Fix All.
#include "gui/registry_scan/ScanDialog.h"
#include "gui/backup/BackupDialog.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "backup/BackupRun.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace gui;

using registry_scan::kRegistrySectionCount;
using registry_scan::ssNotScanned;
using registry_scan::ssScanned;
using registry_scan::ssScanning;
using registry_scan::ssStopped;

using namespace testing_support;

namespace {

const std::string kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
// As the scanner spells the key it walks.
const std::string kRunMruRecord = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU|";
constexpr int kRunMruSection = 4, kFileExtsSection = 11, kClsidSection = 1;

using Checks = std::array<bool, RegistryPageWindow::kNodeCount>;

Checks ChecksOf(std::initializer_list<int> on) {
    Checks checks{};
    for (int position : on) checks[position] = true;
    return checks;
}

// The fix's progress window as the user leaves it: up until the fix ends.
int WaitForTheFix(ui::ModalDialog& dialog) {
    EXPECT_NE(dynamic_cast<WorkProgressDialog*>(&dialog), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !dialog.Showing(); }));
    return IDOK;
}

Checks AllChecks(bool value) {
    Checks checks;
    checks.fill(value);
    return checks;
}

class RegistryPageTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        Main().SetBackupFolder(backups_.Path() + "\\Backup\\");
        Main().TitleButtonClick(kPageRegistry);
        PumpMessages();
    }
    RegistryPageWindow& Page() { return Main().RegistryPage(); }
    std::string NodeCaption(int position) { return Page().tvRgSections.Caption(Page().NodeAt(position)); }
    int NodeImage(int position) { return Page().tvRgSections.Image(Page().NodeAt(position)); }
    void SetNodeChecks(const Checks& checks) {
        for (int position = 0; position < RegistryPageWindow::kNodeCount; ++position)
            TreeView_SetCheckState(Page().tvRgSections.Handle(), Page().NodeAt(position), checks[position]);
    }
    Checks NodeChecks() {
        Checks checks{};
        for (int position = 0; position < RegistryPageWindow::kNodeCount; ++position)
            checks[position] = Page().tvRgSections.Checked(Page().NodeAt(position));
        return checks;
    }
    // A record as a scan would store it, with its section marked scanned.
    void AddRecord(int section, const std::string& path, const std::string& file = "f", const std::string& guess = "g") {
        Page().Nut().RecordProblem(section, path, file, guess);
        Page().Nut().SetState(section, ssScanned);
    }

    // The last point the backup folder lists: names go by date and time.
    std::string NewestPoint() {
        std::vector<std::string> points = backup::ListBackupPoints(backups_.Path() + "\\Backup\\");
        std::sort(points.begin(), points.end());
        return points.empty() ? std::string() : points.back();
    }

    ScopedFolder backups_{"RgPageBackups"};
};

TEST(RegistryPageRules, CaptionsLineUpTheNames) {
    const std::pair<int, const char*> cases[] = {
        {0, "(0)      CLSID"},    {7, "(7)      CLSID"},   {10, "(10)    CLSID"},   {99, "(99)    CLSID"},
        {123, "(123)  CLSID"},   {999, "(999)  CLSID"},    {1000, "(1000) CLSID"},  {9999, "(9999) CLSID"},
        {10000, "(10000)CLSID"}, {123456, "(123456)CLSID"},
    };
    for (const auto& [count, expected] : cases) EXPECT_EQ(RgSectionCaption(count, "CLSID"), expected) << count;
}

TEST(RegistryPageRules, IconsFollowTheStates) {
    EXPECT_EQ(RgSectionImage(ssNotScanned, 0), rgiNotScanned);
    EXPECT_EQ(RgSectionImage(ssScanned, 0), rgiClean);
    EXPECT_EQ(RgSectionImage(ssScanned, 3), rgiProblems);
    EXPECT_EQ(RgSectionImage(ssScanning, 0), rgiScanning);
    EXPECT_EQ(RgSectionImage(ssStopped, 2), rgiScanning);
    std::array<int, kRegistrySectionCount> images;
    images.fill(rgiClean);
    EXPECT_EQ(RgRootImage(images), rgiClean);
    images[5] = rgiNotScanned;
    EXPECT_EQ(RgRootImage(images), rgiNotScanned);
    images[7] = rgiScanning;
    EXPECT_EQ(RgRootImage(images), rgiProblems);
    images[7] = rgiProblems;
    EXPECT_EQ(RgRootImage(images), rgiProblems);
}

TEST(RegistryPageRules, CheckBoxRule) {
    // "All" ticked ticks everything; unticked unticks everything.
    EXPECT_EQ(ApplyRgCheckRule(ChecksOf({3}), ChecksOf({0, 3})), AllChecks(true));
    EXPECT_EQ(ApplyRgCheckRule(AllChecks(true), [] { auto c = AllChecks(true); c[0] = false; return c; }()),
              AllChecks(false));
    // One section off while "All" is on: "All" goes off, the other eleven stay.
    Checks oneOff = AllChecks(true);
    oneOff[4] = false;
    Checks expected = oneOff;
    expected[0] = false;
    EXPECT_EQ(ApplyRgCheckRule(AllChecks(true), oneOff), expected);
    // Ticking the last unticked section does not tick "All".
    Checks before = AllChecks(true);
    before[0] = before[9] = false;
    Checks now = before;
    now[9] = true;
    EXPECT_EQ(ApplyRgCheckRule(before, now), now);
    // Several changed: the highest position decides. Here a section went off
    // and "All" on at once: the section's rule wins, "All" goes off again.
    Checks before12 = ChecksOf({12});
    Checks allAndNo12 = ChecksOf({0});
    EXPECT_EQ(ApplyRgCheckRule(before12, allAndNo12), ChecksOf({}));
    // Nothing changed: the states stay.
    EXPECT_EQ(ApplyRgCheckRule(ChecksOf({1}), ChecksOf({1})), ChecksOf({1}));
}

TEST_F(RegistryPageTest, TreeNodesCaptionsAndTheClickRule) {
    EXPECT_EQ(Page().tvRgSections.Items().size(), 13u);
    EXPECT_EQ(NodeCaption(0), "(0) All");
    EXPECT_EQ(NodeCaption(2), "(0)      CLSID");
    EXPECT_EQ(NodeCaption(12), "(0)      File Extensions");
    EXPECT_EQ(NodeImage(0), rgiNotScanned);
    EXPECT_EQ(NodeChecks(), AllChecks(true));
    EXPECT_TRUE(Main().Actions().Enabled(aRgScan));

    Checks oneOff = AllChecks(true);
    oneOff[5] = false;
    SetNodeChecks(oneOff);
    Page().RgTreeClicked();
    oneOff[0] = false;
    EXPECT_EQ(NodeChecks(), oneOff);
    SetNodeChecks(ChecksOf({}));  // "All" was already off: everything unticked by hand
    Page().RgTreeClicked();
    EXPECT_FALSE(Main().Actions().Enabled(aRgScan));
    SetNodeChecks(ChecksOf({0}));
    Page().RgTreeClicked();
    EXPECT_EQ(NodeChecks(), AllChecks(true));
    EXPECT_TRUE(Main().Actions().Enabled(aRgScan));
}

TEST_F(RegistryPageTest, ResultsListMessagesCountsAndIcons) {
    Page().ShowScanResults(kClsidSection + 1);
    ASSERT_EQ(Page().lvRgValues.Count(), 1);
    EXPECT_EQ(Page().lvRgValues.Text(0, 0), "Section is not scanned...");
    EXPECT_FALSE(Page().lvRgValues.ShowsCheckBoxes());

    Page().Nut().SetState(kFileExtsSection, ssScanned);
    Page().ShowScanResults(kFileExtsSection + 1);
    ASSERT_EQ(Page().lvRgValues.Count(), 1);
    EXPECT_EQ(Page().lvRgValues.Text(0, 0), "Errors are not found...");
    EXPECT_FALSE(Page().lvRgValues.ShowsCheckBoxes());
    EXPECT_EQ(NodeImage(kFileExtsSection + 1), rgiClean);

    for (int i = 0; i < 7; ++i) AddRecord(kClsidSection, "HKEY_CLASSES_ROOT\\CLSID|{x" + std::to_string(i) + "}");
    Page().ShowScanResults(kClsidSection + 1);
    EXPECT_TRUE(Page().lvRgValues.ShowsCheckBoxes());
    ASSERT_EQ(Page().lvRgValues.Count(), 7);
    EXPECT_EQ(Page().lvRgValues.Text(0, 0), "CLSID");
    EXPECT_EQ(Page().lvRgValues.Text(6, 1), "HKEY_CLASSES_ROOT\\CLSID|{x6}");
    EXPECT_EQ(Page().lvRgValues.Text(6, 2), "f");
    EXPECT_EQ(Page().lvRgValues.Text(6, 3), "g");
    EXPECT_EQ(NodeCaption(kClsidSection + 1), "(7)      CLSID");
    EXPECT_EQ(NodeCaption(0), "(7) All");
    EXPECT_EQ(NodeImage(kClsidSection + 1), rgiProblems);
    EXPECT_EQ(NodeImage(0), rgiProblems);
    // "All" lists the scanned sections only; a section being scanned shows its icon.
    Page().Nut().SetState(kRunMruSection, ssScanning);
    Page().ShowScanResults(0);
    EXPECT_EQ(Page().lvRgValues.Count(), 7);
    EXPECT_EQ(NodeImage(kRunMruSection + 1), rgiScanning);
}

TEST_F(RegistryPageTest, TicksMarkTheirOwnRecordsAfterSortingAndSelectNone) {
    AddRecord(kRunMruSection, "HKEY_CURRENT_USER\\" + kRunMru + "|b", "zeta");
    AddRecord(kRunMruSection, "HKEY_CURRENT_USER\\" + kRunMru + "|a", "alpha");
    AddRecord(kFileExtsSection, "HKEY_CURRENT_USER\\" + kFileExts + "|.q", "mid");
    Page().SelectRgPosition(0);
    PumpMessages();
    ASSERT_EQ(Page().lvRgValues.Count(), 3);
    Main().SortListByColumn(Page().lvRgValues.Handle(), 2);  // first click, by file name: zeta, mid, alpha
    ASSERT_EQ(Page().lvRgValues.Text(0, 2), "zeta");
    Page().lvRgValues.SetChecked(0, true);
    Page().lvRgValues.SetChecked(2, true);
    PumpMessages();
    EXPECT_TRUE(Page().Nut().IsMarked(kRunMruSection, 1));   // alpha
    EXPECT_TRUE(Page().Nut().IsMarked(kRunMruSection, 0));   // zeta
    EXPECT_FALSE(Page().Nut().IsMarked(kFileExtsSection, 0));
    EXPECT_TRUE(Main().Actions().Enabled(aRgFix));
    EXPECT_TRUE(Main().Actions().Enabled(aRgSelectNone));

    // A right click on the column headers unticks every row.
    const HWND header = ListView_GetHeader(Page().lvRgValues.Handle());
    RECT rect{};
    GetWindowRect(header, &rect);
    SendMessageA(Page().Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(header),
                 MAKELPARAM(rect.left + 5, rect.top + 5));
    EXPECT_EQ(Page().Nut().MarkedCount(), 0);
    EXPECT_FALSE(Main().Actions().Enabled(aRgFix));
    Page().aRgSelectAllExecute();
    EXPECT_EQ(Page().Nut().MarkedCount(), 3);
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(Page().lvRgValues.Checked(row));
    Page().aRgSelectNoneExecute();
    EXPECT_EQ(Page().Nut().MarkedCount(), 0);
}

TEST_F(RegistryPageTest, FixAsksCountsAndDeletesExactlyTheMarkedRowsAfterSorting) {
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, kFileExts + "\\.orvpagefix");
    keys.Add(HKEY_CURRENT_USER, kFileExts + "\\.orvpagekeep");
    ScopedRegValue dead(HKEY_CURRENT_USER, kRunMru, "orvdead");
    ScopedRegValue keep(HKEY_CURRENT_USER, kRunMru, "orvkeep");
    SetRegString(HKEY_CURRENT_USER, kFileExts + "\\.orvpagefix", "", "x");
    SetRegString(HKEY_CURRENT_USER, kFileExts + "\\.orvpagekeep", "", "x");
    SetRegString(HKEY_CURRENT_USER, kRunMru, "orvdead", "c:\\gone\\dead.exe\\1");
    SetRegString(HKEY_CURRENT_USER, kRunMru, "orvkeep", "c:\\gone\\keep.exe\\1");
    AddRecord(kRunMruSection, "HKEY_CURRENT_USER\\" + kRunMru + "|orvkeep", "c");
    AddRecord(kRunMruSection, "HKEY_CURRENT_USER\\" + kRunMru + "|orvdead", "a");
    AddRecord(kFileExtsSection, "HKEY_CURRENT_USER\\" + kFileExts + "|.orvpagekeep", "d");
    AddRecord(kFileExtsSection, "HKEY_CURRENT_USER\\" + kFileExts + "|.orvpagefix", "b");
    Page().SelectRgPosition(0);
    PumpMessages();
    Main().SortListByColumn(Page().lvRgValues.Handle(), 2);  // first click: d, c, b, a
    ASSERT_EQ(Page().lvRgValues.Text(2, 2), "b");

    {  // Nothing marked: the message, nothing asked.
        RecordedBoxes boxes({IDOK});
        Main().Actions().SetEnabled(aRgFix, true);
        Page().aRgFixExecute();
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "List for fix is empty.");
    }
    Page().lvRgValues.SetChecked(2, true);
    Page().lvRgValues.SetChecked(3, true);
    {  // Cancel changes nothing.
        RecordedBoxes boxes({IDCANCEL});
        Page().aRgFixExecute();
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Fix Selected Errors (Count: 2)?");
        EXPECT_EQ(boxes.Shown()[0].kind, platform::dialogs::BoxKind::ConfirmOkCancel);
        EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kRunMru, "orvdead"));
        EXPECT_EQ(Page().Nut().Total(), 4);
    }
    {  // Asked, then the result said once: how many, and the point that holds them.
        RecordedBoxes boxes({IDOK});
        const ScopedDialogAnswers progress(WaitForTheFix);
        Page().aRgFixExecute();
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text,
                  "2 errors were fixed; they were saved in the backup point " + NewestPoint() + ".");
        EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::Plain);
    }
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kRunMru, "orvdead"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kFileExts + "\\.orvpagefix"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kRunMru, "orvkeep"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kFileExts + "\\.orvpagekeep"));
    ASSERT_EQ(Page().Nut().Count(kRunMruSection), 1);
    EXPECT_EQ(Page().Nut().Problem(kRunMruSection, 0)->fileName, "c");
    ASSERT_EQ(Page().Nut().Count(kFileExtsSection), 1);
    EXPECT_EQ(Page().Nut().Problem(kFileExtsSection, 0)->fileName, "d");
    EXPECT_EQ(Page().lvRgValues.Count(), 2);
    EXPECT_EQ(NodeCaption(0), "(2) All");

    {  // Fix All: asked, then every record goes.
        RecordedBoxes boxes({IDOK});
        const ScopedDialogAnswers progress(WaitForTheFix);
        Page().aRgFixAllExecute();
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you want to fix all errors?");
        EXPECT_EQ(boxes.Shown()[1].text,
                  "2 errors were fixed; they were saved in the backup point " + NewestPoint() + ".");
        EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::Plain);
    }
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kRunMru, "orvkeep"));
    EXPECT_EQ(Page().Nut().Total(), 0);
    // "All" still has sections never scanned.
    ASSERT_EQ(Page().lvRgValues.Count(), 1);
    EXPECT_EQ(Page().lvRgValues.Text(0, 0), "Section is not scanned...");
    Page().SelectRgPosition(kFileExtsSection + 1);
    ASSERT_EQ(Page().lvRgValues.Count(), 1);
    EXPECT_EQ(Page().lvRgValues.Text(0, 0), "Errors are not found...");
}

TEST_F(RegistryPageTest, AFixWhoseBackupCannotBeWrittenDeletesNothingAndSaysWhy) {
    ScopedRegValue dead(HKEY_CURRENT_USER, kRunMru, "orvnobackup");
    SetRegString(HKEY_CURRENT_USER, kRunMru, "orvnobackup", "c:\\gone\\x.exe\\1");
    AddRecord(kRunMruSection, "HKEY_CURRENT_USER\\" + kRunMru + "|orvnobackup");
    // A file stands where the backup folder must go.
    ScopedFile blocker(backups_.Path() + "\\Blocked", "not a folder");
    Main().SetBackupFolder(blocker.Path() + "\\Backup\\");
    Page().Nut().MarkAll(true);
    Page().SelectRgPosition(0);
    PumpMessages();
    RecordedBoxes boxes({IDOK});
    const ScopedDialogAnswers progress(WaitForTheFix);
    Page().aRgFixExecute();
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_NE(boxes.Shown()[1].text.find("Nothing was fixed"), std::string::npos) << boxes.Shown()[1].text;
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kRunMru, "orvnobackup"));
    EXPECT_EQ(Page().Nut().Count(kRunMruSection), 1);
}

// A record whose name holds a NUL is left by Fix, and the box gives that
// reason, not the one of a key a section walks.
TEST_F(RegistryPageTest, AFixLeavesANameHoldingANulAndSaysWhy) {
    AddRecord(kRunMruSection, "HKEY_CURRENT_USER\\" + kRunMru + "|orvnul" + std::string(1, '\0') + "x");
    Page().Nut().MarkAll(true);
    Page().SelectRgPosition(0);
    PumpMessages();
    RecordedBoxes boxes({IDOK});
    const ScopedDialogAnswers progress(WaitForTheFix);
    Page().aRgFixExecute();
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text,
              "No error was fixed.\r\n\r\n"
              "1 marked error was left alone: its name holds a NUL character, and a name cut short there would "
              "name another registry item.");
    EXPECT_EQ(boxes.Shown()[1].kind, platform::dialogs::BoxKind::Warning);
    EXPECT_EQ(Page().Nut().Count(kRunMruSection), 1);
}

// The progress window as the user drives it: it ends by itself, or the user
// closes it with its close box and the scan goes on.
// Fix All runs on a worker behind its progress window: the window serves its
// messages meanwhile, Stop ends the fix after the item in hand, and the list
// keeps exactly the records whose items are still there.
TEST_F(RegistryPageTest, FixAllRunsBehindItsProgressWindowAndStopKeepsTheRestListed) {
    constexpr int kCount = 400;
    std::vector<std::unique_ptr<ScopedRegValue>> values;
    for (int i = 0; i < kCount; ++i) {
        const std::string name = "orvstopfix" + std::to_string(i);
        values.push_back(std::make_unique<ScopedRegValue>(HKEY_CURRENT_USER, kRunMru, name));
        SetRegString(HKEY_CURRENT_USER, kRunMru, name, "c:\\orv-gone\\stop" + std::to_string(i) + ".exe\\1");
        AddRecord(kRunMruSection, "HKEY_CURRENT_USER\\" + kRunMru + "|" + name, "c:\\orv-gone\\x.exe");
    }
    Page().SelectRgPosition(kRunMruSection + 1);
    bool stopped = false, windowServed = false;
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        auto& form = dynamic_cast<WorkProgressDialog&>(dialog);
        // A message sent to the main window is served while the fix runs.
        windowServed = SendMessageA(Main().Handle(), WM_NULL, 0, 0) == 0 && Page().FixRunning();
        form.StopClick();
        stopped = form.StopAsked();
        EXPECT_TRUE(PumpUntil([&] { return !dialog.Showing(); }));
        return IDOK;
    });
    RecordedBoxes boxes({IDOK, IDOK});
    Page().aRgFixAllExecute();
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(windowServed);
    EXPECT_FALSE(Page().FixRunning());
    int stillThere = 0;
    for (int i = 0; i < kCount; ++i)
        stillThere += RegValueExists(HKEY_CURRENT_USER, kRunMru, "orvstopfix" + std::to_string(i));
    EXPECT_GT(stillThere, 0) << "the stop came too late to leave anything";
    EXPECT_EQ(Page().Nut().Count(kRunMruSection), stillThere);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you want to fix all errors?");
    const int fixed = kCount - stillThere;
    const std::string head =
        fixed == 0   ? "no error was fixed"
        : fixed == 1 ? "1 error was fixed; it was saved in the backup point "
                     : std::to_string(fixed) + " errors were fixed; they were saved in the backup point ";
    EXPECT_EQ(boxes.Shown()[1].text.rfind("The fix was stopped: " + head, 0), 0u) << boxes.Shown()[1].text;
}

TEST_F(RegistryPageTest, ScanFillsTheListAndTheProgressWindowClosesItself) {
    ScopedRegValue dead(HKEY_CURRENT_USER, kRunMru, "orvscan");
    SetRegString(HKEY_CURRENT_USER, kRunMru, "orvscan", "c:\\orv-gone\\scanned.exe\\1");
    SetNodeChecks(ChecksOf({kRunMruSection + 1}));
    Page().RgTreeClicked();
    Page().SelectRgPosition(kRunMruSection + 1);
    std::string shownError, shownGroup;
    bool scanDisabledWhileRunning = false;
    int shows = 0;
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        auto& form = dynamic_cast<ScanDialog&>(dialog);
        ++shows;
        Main().RefreshView();
        scanDisabledWhileRunning = !Main().Actions().Enabled(aRgScan);
        // A second Scan while one runs starts nothing (no second window).
        Main().Actions().SetEnabled(aRgScan, true);
        Page().aRgScanExecute();
        EXPECT_TRUE(PumpUntil([&] { return !form.Showing(); }));
        shownError = ui::ControlText(form.lblRegistryPath);
        shownGroup = ui::ControlText(form.lblScanGroup);
        return IDCANCEL;
    });
    Page().aRgScanExecute();
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(scanDisabledWhileRunning);
    EXPECT_EQ(shownGroup, "Most Recently Used List");
    EXPECT_TRUE(PumpUntil([&] { return !Page().ScanRunning(); }));
    EXPECT_EQ(Page().Nut().State(kRunMruSection), ssScanned);
    EXPECT_EQ(Page().Nut().State(kClsidSection), ssNotScanned);
    int row = -1;
    for (int i = 0; i < Page().lvRgValues.Count(); ++i)
        if (Page().lvRgValues.Text(i, 1) == kRunMruRecord + "orvscan") row = i;
    ASSERT_GE(row, 0);
    EXPECT_EQ(Page().lvRgValues.Text(row, 2), "c:\\orv-gone\\scanned.exe");
    EXPECT_NE(shownError.find("orvscan"), std::string::npos);
    EXPECT_TRUE(Main().Actions().Enabled(aRgScan));
}

TEST_F(RegistryPageTest, ClosingTheProgressWindowLetsTheScanFinishAndTheListCatchesUp) {
    ScopedRegValue dead(HKEY_CURRENT_USER, kRunMru, "orvclosed");
    SetRegString(HKEY_CURRENT_USER, kRunMru, "orvclosed", "c:\\orv-gone\\closed.exe\\1");
    SetNodeChecks(ChecksOf({kRunMruSection + 1}));
    Page().RgTreeClicked();
    Page().SelectRgPosition(kRunMruSection + 1);
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        SendMessageA(dialog.Handle(), WM_CLOSE, 0, 0);  // the close box: no stop
        return IDCANCEL;
    });
    Page().aRgScanExecute();
    EXPECT_TRUE(PumpUntil([&] { return !Page().ScanRunning(); }));
    EXPECT_EQ(Page().Nut().State(kRunMruSection), ssScanned);
    bool listed = false;
    for (int i = 0; i < Page().lvRgValues.Count(); ++i)
        listed = listed || Page().lvRgValues.Text(i, 1) == kRunMruRecord + "orvclosed";
    EXPECT_TRUE(listed);
}

TEST_F(RegistryPageTest, StopEndsTheScanInTheStoppedStateAndScanComesBack) {
    ScopedRegValue dead(HKEY_CURRENT_USER, kRunMru, "orvstopped");
    SetRegString(HKEY_CURRENT_USER, kRunMru, "orvstopped", "c:\\orv-gone\\stopped.exe\\1");
    SetNodeChecks(ChecksOf({kRunMruSection + 1, kFileExtsSection + 1}));
    Page().RgTreeClicked();
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        dynamic_cast<ScanDialog&>(dialog).StopClick();  // before the scan could hand over anything
        return IDOK;
    });
    Page().aRgScanExecute();
    EXPECT_TRUE(PumpUntil([&] { return !Page().ScanRunning(); }));
    EXPECT_EQ(Page().Nut().State(kRunMruSection), ssStopped);
    EXPECT_EQ(Page().Nut().State(kFileExtsSection), ssNotScanned);  // never reached
    EXPECT_EQ(NodeImage(kRunMruSection + 1), rgiScanning);
    EXPECT_TRUE(Main().Actions().Enabled(aRgScan));
}

TEST_F(RegistryPageTest, ScanningOneSectionKeepsTheOthersRecords) {
    AddRecord(kClsidSection, "HKEY_CLASSES_ROOT\\CLSID|{kept}");
    SetNodeChecks(ChecksOf({kFileExtsSection + 1}));
    Page().RgTreeClicked();
    Page().SelectRgPosition(0);
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        EXPECT_TRUE(PumpUntil([&] { return !dialog.Showing(); }));
        return IDOK;
    });
    Page().aRgScanExecute();
    EXPECT_TRUE(PumpUntil([&] { return !Page().ScanRunning(); }));
    EXPECT_EQ(Page().Nut().Count(kClsidSection), 1);
    EXPECT_EQ(Page().Nut().State(kFileExtsSection), ssScanned);
}

}  // namespace

namespace {

TEST_F(RegistryPageTest, F10OpensTheBackupDialogOnTheRegistryPageOnly) {
    int opened = 0;
    ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
        EXPECT_NE(dynamic_cast<BackupDialog*>(&dialog), nullptr);
        ++opened;
        return IDCANCEL;
    });
    EXPECT_TRUE(Main().ExecuteShortcut(VK_F10, 0));
    EXPECT_EQ(opened, 1);
    Main().TitleButtonClick(kPageHistory);
    Main().ExecuteShortcut(VK_F10, 0);
    EXPECT_EQ(opened, 1);
}

}  // namespace
