// The keyboard in the main window and its dialogs: the page keys, the Tab
// order of each page, the field each dialog opens on, Enter on a StartUp row.
// Keys are posted to the control that has the focus and served as the
// program's loop serves them (through the frame's PreTranslateMessage);
// Ctrl and Shift are held in the thread's keyboard state, which a posted key
// does not change.
#include "backup/BackupPoint.h"
#include "common/Common.h"
#include "history/HistorySectionIds.h"
#include "gui/AboutPage.h"
#include "gui/HistoryPage.h"
#include "gui/MainLayout.h"
#include "gui/MainWindow.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"
#include "gui/backup/BackupDialog.h"
#include "gui/registry_scan/ScanDialog.h"
#include "TestSupport.h"
#include "ui/KeyboardLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

using namespace gui;
using namespace startup;
using namespace testing_support;

namespace {

// Ctrl, Shift and Alt down in the thread's keyboard state while it lives.
class HeldKeys {
public:
    HeldKeys(bool control, bool shift, bool alt = false) {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::memcpy(state, saved_, sizeof(state));
        const auto hold = [&](bool down, std::initializer_list<int> keys) {
            for (int key : keys) state[key] = down ? 0x80 : 0;
        };
        hold(control, {VK_CONTROL, VK_LCONTROL});
        hold(shift, {VK_SHIFT, VK_LSHIFT});
        hold(alt, {VK_MENU, VK_LMENU});
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256]{};
};

// Serves the waiting messages as the program's loop does.
void ServeThroughFrame(MainWindow& main) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (main.PreTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A key pressed and released on the control that has the focus.
void Press(MainWindow& main, WPARAM key, bool control = false, bool shift = false, bool alt = false) {
    const HeldKeys held(control, shift, alt);
    const HWND target = GetFocus() ? GetFocus() : main.Handle();
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    ServeThroughFrame(main);
}

bool Inside(HWND parent, HWND control) { return control && (control == parent || IsChild(parent, control)); }

std::string Describe(HWND control) {
    if (!control) return "no focus";
    char name[32] = {}, parent[32] = {};
    GetClassNameA(control, name, sizeof(name));
    GetClassNameA(GetParent(control), parent, sizeof(parent));
    return std::string("focus on a ") + name + " \"" + ui::ControlText(control) + "\" in a " + parent;
}

class KeyboardTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        SetActiveWindow(Main().Handle());
        PumpMessages();
    }
    void ExpectShown(int page) {
        EXPECT_EQ(Main().CurrentPage(), page);
        EXPECT_EQ(Main().pTitle().CurrentPage(), page);
        for (int other = 0; other < kPageCount; ++other)
            EXPECT_EQ(IsWindowVisible(Main().tsPage(other)) != FALSE, other == page) << "page " << other;
        EXPECT_TRUE(Inside(Main().tsPage(page), GetFocus())) << "the focus stayed behind on page " << page;
    }
};

TEST_F(KeyboardTest, PageKeysSwitchPagesInTitleOrderAndWrap) {
    ExpectShown(kPageStartUp);
    for (int page : {kPageRegistry, kPageHistory, kPageAbout, kPageStartUp}) {
        Press(Main(), VK_TAB, true);
        ExpectShown(page);
    }
    for (int page : {kPageAbout, kPageHistory, kPageRegistry, kPageStartUp, kPageAbout}) {
        Press(Main(), VK_TAB, true, true);
        ExpectShown(page);
    }
    for (int page : {kPageHistory, kPageStartUp, kPageAbout, kPageRegistry, kPageRegistry}) {
        Press(Main(), '1' + page, true);
        ExpectShown(page);
    }
    // Keys that are not page keys leave the page as it is: Ctrl with another
    // digit, Ctrl+Shift with a digit, and AltGr (Ctrl+Alt), which types a
    // character with a digit on many keyboards.
    const struct {
        WPARAM key;
        bool control, shift, alt;
    } others[] = {{'5', true, false, false},     {'0', true, false, false}, {'1', true, true, false},
                  {'1', true, false, true},      {VK_TAB, true, false, true}, {'2', false, false, false}};
    for (const auto& other : others) {
        Press(Main(), other.key, other.control, other.shift, other.alt);
        ExpectShown(kPageRegistry);
    }
}

TEST_F(KeyboardTest, APageShownByItsKeyIsShownAsByItsTitleButton) {
    // The first show expands the tree and selects its first node, which lists it.
    Press(Main(), '3', true);
    ExpectShown(kPageHistory);
    const ui::TreeView tree = Main().HistoryPage().tvHsSections;
    EXPECT_EQ(tree.Selected(), tree.Root());
    EXPECT_EQ(GetFocus(), tree.Handle());
    Press(Main(), '2', true);
    ExpectShown(kPageRegistry);
    EXPECT_EQ(GetFocus(), Main().RegistryPage().tvRgSections.Handle());
    Press(Main(), '4', true);
    ExpectShown(kPageAbout);
    EXPECT_EQ(GetFocus(), Main().AboutPage().mHelp);
}

TEST_F(KeyboardTest, PageKeysWaitWhileTheWindowIsDisabledOrTheMouseIsHeld) {
    // A modal window disables the frame; a drag holds the mouse. No title
    // button can be clicked then, and no page key switches.
    EnableWindow(Main().Handle(), FALSE);
    Press(Main(), VK_TAB, true);
    EnableWindow(Main().Handle(), TRUE);
    EXPECT_EQ(Main().CurrentPage(), kPageStartUp);
    SetCapture(Main().StartUpPage().Handle());
    Press(Main(), '2', true);
    ReleaseCapture();
    EXPECT_EQ(Main().CurrentPage(), kPageStartUp);
    // The key was used up, not taken as Tab: the focus stayed on the tree.
    EXPECT_EQ(GetFocus(), Main().StartUpPage().tvSuSections.Handle());
    Press(Main(), '2', true);
    EXPECT_EQ(Main().CurrentPage(), kPageRegistry);
}

TEST_F(KeyboardTest, PageKeysSwitchWhileTheHistoryListingRuns) {
    // As the title buttons do: the listing goes on on its worker, and its
    // rows are in the list when the page is back. The key is handed to the
    // loop's step at once, before the listing's messages are served.
    Press(Main(), '3', true);
    HistoryPageWindow& history = Main().HistoryPage();
    ASSERT_TRUE(PumpUntil([&] { return !history.Busy(); }));
    history.SelectHsSection(history::hsIETemporaryFiles);
    ASSERT_TRUE(history.Busy());
    {
        const HeldKeys control(true, false);
        MSG key{GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
        EXPECT_TRUE(Main().PreTranslateMessage(key));
    }
    ExpectShown(kPageAbout);
    EXPECT_TRUE(PumpUntil([&] { return !history.Busy(); }));
    // Shown again, the page starts on its first node, as after a click.
    Press(Main(), VK_TAB, true, true);
    ExpectShown(kPageHistory);
    EXPECT_EQ(history.tvHsSections.Selected(), history.tvHsSections.Root());
    EXPECT_TRUE(PumpUntil([&] { return !history.Busy(); }));
    EXPECT_TRUE(history.ListMatchesSelection());
    EXPECT_FALSE(history.Hourglass());
}

// Walks the Tab order from the focus until it comes back; every control
// reached must be a visible control of the shown page.
std::vector<HWND> TabCycle(MainWindow& main, bool back) {
    std::vector<HWND> reached;
    const HWND start = GetFocus();
    const HWND page = main.tsPage(main.CurrentPage());
    for (int step = 0; step < 40; ++step) {
        Press(main, VK_TAB, false, back);
        const HWND focus = GetFocus();
        EXPECT_TRUE(focus && IsChild(page, focus)) << "Tab left the page at step " << step;
        EXPECT_TRUE(IsWindowVisible(focus)) << "Tab reached a hidden control at step " << step;
        if (!focus || !IsChild(page, focus) || focus == start) break;
        reached.push_back(focus);
    }
    reached.push_back(start);
    return reached;
}

TEST_F(KeyboardTest, TabReachesEveryControlOfTheShownPageAndNothingElse) {
    HistoryPageWindow& history = Main().HistoryPage();
    HWND links[4];
    for (int i = 0; i < 4; ++i) links[i] = GetDlgItem(Main().AboutPage().Handle(), layout::kIdLinkFirst + i);
    const struct {
        int page;
        std::vector<HWND> controls;
    } pages[] = {
        {kPageStartUp, {Main().StartUpPage().tvSuSections.Handle(), Main().StartUpPage().lvSuValues.Handle()}},
        {kPageRegistry, {Main().RegistryPage().tvRgSections.Handle(), Main().RegistryPage().lvRgValues.Handle()}},
        {kPageHistory,
         {history.cbUseMask, history.edtMask, history.cbWholeWord, history.tvHsSections.Handle(),
          history.lvHsValues.Handle()}},
        {kPageAbout, {Main().AboutPage().mHelp, links[0], links[1], links[2], links[3]}},
    };
    for (const auto& expected : pages) {
        SCOPED_TRACE("page " + std::to_string(expected.page));
        Main().TitleButtonClick(expected.page);
        if (expected.page == kPageHistory) {
            history.SelectHsSection(history::hsRunHistory);  // a section: the mask controls are enabled
            SendMessageA(history.cbUseMask, BM_SETCHECK, BST_CHECKED, 0);
            history.SetMaskControls(true);
            ASSERT_TRUE(PumpUntil([&] { return !history.Busy(); }));
            SetFocus(history.tvHsSections.Handle());
        }
        const std::vector<HWND> forward = TabCycle(Main(), false);
        EXPECT_EQ(std::set<HWND>(forward.begin(), forward.end()),
                  std::set<HWND>(expected.controls.begin(), expected.controls.end()));
        EXPECT_EQ(forward.size(), expected.controls.size()) << "a control was reached twice in one round";
        // Shift+Tab walks the same round backwards.
        std::vector<HWND> backward = TabCycle(Main(), true);
        std::reverse(backward.begin(), backward.end() - 1);
        EXPECT_EQ(backward, forward);
    }
    SendMessageA(history.cbUseMask, BM_SETCHECK, BST_UNCHECKED, 0);
}

TEST_F(KeyboardTest, EscInTheHelpTextLeavesThePageInPlace) {
    // The help is a multi-line edit: on Esc it asks its parent to close, as
    // if the parent were a dialog.
    Main().TitleButtonClick(kPageAbout);
    ASSERT_EQ(GetFocus(), Main().AboutPage().mHelp);
    Press(Main(), VK_ESCAPE);
    PumpMessages();
    EXPECT_TRUE(IsWindow(Main().tsPage(kPageAbout)));
    EXPECT_TRUE(IsWindowVisible(Main().AboutPage().mHelp));
}

// Runs a dialog in its own modal loop as the program does (no answer
// stands in for it) and sees the focus when its loop takes its first
// message. Then it closes the dialog as its close box does, unless the
// dialog ends by itself.
class RealDialog {
public:
    // atOpen runs once the dialog has opened, before it is closed (it may
    // post keys to it, which the dialog's loop serves before the close).
    explicit RealDialog(bool closeIt, std::function<void(HWND dialog)> atOpen = {})
        : closeIt_(closeIt), atOpen_(std::move(atOpen)) {
        current_ = this;
        ui::ModalDialog::SetModalHandler({});
        hook_ = SetWindowsHookExA(WH_GETMESSAGE, &RealDialog::Watch, nullptr, GetCurrentThreadId());
        timer_ = SetTimer(nullptr, 0, 50, nullptr);  // keeps the loop's messages coming
    }
    ~RealDialog() {
        KillTimer(nullptr, timer_);
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
        InstallUnscriptedDialogAnswers();
    }
    RealDialog(const RealDialog&) = delete;
    RealDialog& operator=(const RealDialog&) = delete;

    HWND Dialog() const { return dialog_; }
    HWND FocusOnOpen() const { return focus_; }
    HWND FocusAtClose() const { return focusAtClose_; }

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        RealDialog* self = current_;
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && self && self->dialog_ && message->hwnd == self->dialog_ &&
            message->message == WM_CLOSE)
            self->focusAtClose_ = GetFocus();
        if (code == HC_ACTION && wParam == PM_REMOVE && self && !self->dialog_) {
            const HWND active = GetActiveWindow();
            char name[32] = {};
            GetClassNameA(active, name, sizeof(name));
            if (active && std::strcmp(name, "OrvModalDialog") == 0 && IsWindowVisible(active)) {
                self->dialog_ = active;
                self->focus_ = GetFocus();
                if (self->atOpen_) self->atOpen_(active);
                if (self->closeIt_) PostMessageA(active, WM_CLOSE, 0, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static RealDialog* current_;
    bool closeIt_;
    std::function<void(HWND)> atOpen_;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    HWND dialog_ = nullptr, focus_ = nullptr, focusAtClose_ = nullptr;
};

RealDialog* RealDialog::current_ = nullptr;

TEST_F(KeyboardTest, EveryDialogOpensWithItsFirstFieldFocused) {
    ScopedIniValue load(WindowsDirectory() + "\\win.ini", "windows", "load", "notepad.exe");
    ScopedIniValue run(WindowsDirectory() + "\\win.ini", "windows", "run", "");
    ScopedFolder backups("KeyboardBackups");
    Main().SetBackupFolder(backups.Path() + "\\Backup\\");
    StartUpPageWindow& startUp = Main().StartUpPage();
    RegistryPageWindow& registry = Main().RegistryPage();
    const auto backupRootBox = [](HWND dialog) {
        return FindWindowExA(dialog, nullptr, "BUTTON", backup::kBackupRootKeyNames[0]);
    };
    const struct {
        const char* name;
        bool closesItself;
        std::function<void()> open;
        std::function<HWND(HWND dialog)> field;
    } dialogs[] = {
        {"Add", false,
         [&] {
             startUp.SelectSuSection(kSuRun);
             Main().ExecuteAction(aSuAdd);
         },
         [&](HWND) { return startUp.addEntryDialog().cbxSection; }},
        {"Info", false,
         [&] {
             startUp.SelectSuSection(kSuWinIni);
             startUp.lvSuValues.Select(0);
             Main().ExecuteAction(aSuInfo);
         },
         [&](HWND) { return startUp.programInfoDialog().edtLocation; }},
        {"Compare", false, [&] { Main().ExecuteAction(aBackUp); },
         [&](HWND) { return startUp.snapshotCompareDialog().btnKill; }},
        {"Backup", false,
         [&] {
             Main().TitleButtonClick(kPageRegistry);
             Main().ExecuteAction(aBackUp);
         },
         backupRootBox},
        {"Scan", true,
         [&] {
             for (int position = 0; position < RegistryPageWindow::kNodeCount; ++position)
                 TreeView_SetCheckState(registry.tvRgSections.Handle(), registry.NodeAt(position), position == 5);
             registry.RgTreeClicked();
             Main().ExecuteAction(aRgScan);
             PumpUntil([&] { return !registry.ScanRunning(); });
         },
         [&](HWND) { return registry.ScanForm()->btnStop; }},
    };
    for (const auto& row : dialogs) {
        SCOPED_TRACE(row.name);
        HWND dialog = nullptr, focus = nullptr;
        {
            const RealDialog watch(!row.closesItself);
            row.open();
            dialog = watch.Dialog();
            focus = watch.FocusOnOpen();
        }
        ASSERT_NE(dialog, nullptr) << "the dialog did not open";
        const HWND field = row.field(dialog);
        ASSERT_NE(field, nullptr);
        // A combo box hands the focus on to its edit box.
        EXPECT_TRUE(Inside(field, focus)) << Describe(focus);
        EXPECT_FALSE(IsWindowVisible(dialog));
        // Back in the main window, the focus is on the shown page again.
        EXPECT_TRUE(Inside(Main().tsPage(Main().CurrentPage()), GetFocus()));
    }
}

// The Tab order of a dialog from its first control round to it again.
std::vector<HWND> DialogTabOrder(HWND dialog) {
    std::vector<HWND> order;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND control = first; control && order.size() < 40;) {
        order.push_back(control);
        control = GetNextDlgTabItem(dialog, control, FALSE);
        if (control == first) break;
    }
    return order;
}

TEST_F(KeyboardTest, DialogsWithTabsTabInTheOrderOfTheirLayout) {
    // Their tab control lies under the controls of its pages; it comes last,
    // the page's controls from the top.
    ScopedIniValue load(WindowsDirectory() + "\\win.ini", "windows", "load", "notepad.exe");
    ScopedIniValue run(WindowsDirectory() + "\\win.ini", "windows", "run", "");
    ScopedFolder backups("KeyboardTabBackups");
    Main().SetBackupFolder(backups.Path() + "\\Backup\\");
    StartUpPageWindow& startUp = Main().StartUpPage();
    startUp.SelectSuSection(kSuWinIni);
    startUp.lvSuValues.Select(0);
    int looked = 0;
    {
        ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
            auto& info = dynamic_cast<ProgramInfoDialog&>(dialog);
            std::vector<HWND> expected{info.edtLocation, info.lvFileinfo.Handle()};
            for (HWND button : {info.btnRun, info.btnKill})
                if (IsWindowEnabled(button)) expected.push_back(button);
            expected.push_back(info.btnOk);
            expected.push_back(info.pgcFileInfo);
            EXPECT_EQ(DialogTabOrder(info.Handle()), expected);
            EXPECT_EQ(info.FirstField(), info.edtLocation);
            ++looked;
            return IDOK;
        });
        Main().ExecuteAction(aSuInfo);
    }
    Main().TitleButtonClick(kPageRegistry);
    {
        ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
            auto& backup = dynamic_cast<BackupDialog&>(dialog);
            EXPECT_EQ(DialogTabOrder(backup.Handle()),
                      (std::vector<HWND>{backup.CheckBox1, backup.CheckBox2, backup.CheckBox3, backup.CheckBox4,
                                         backup.CheckBox5, backup.bbtnOK, backup.bbtnCancel, backup.pgcBackup}));
            EXPECT_EQ(backup.FirstField(), backup.CheckBox1);
            backup.ShowPage(BackupDialog::kRestorePage);
            EXPECT_EQ(DialogTabOrder(backup.Handle()),
                      (std::vector<HWND>{backup.lvBackupPoints.Handle(), backup.BitBtn1, backup.BitBtn2,
                                         backup.pgcBackup}));
            EXPECT_EQ(backup.FirstField(), backup.lvBackupPoints.Handle());
            ++looked;
            return IDCANCEL;
        });
        Main().ExecuteAction(aBackUp);
    }
    EXPECT_EQ(looked, 2);
}

TEST_F(KeyboardTest, TabLeavesTheComparisonReport) {
    // The report is a multi-line edit, which keeps Tab and asks its parent to
    // move the focus on; Restore All and its neighbours are off until a
    // snapshot is compared.
    SnapshotCompareDialog& compare = Main().StartUpPage().snapshotCompareDialog();
    {
        const RealDialog watch(true, [&](HWND) {
            SetFocus(compare.memCompare);
            PostMessageA(compare.memCompare, WM_KEYDOWN, VK_TAB, 1);
        });
        Main().ExecuteAction(aBackUp);
        ASSERT_NE(watch.Dialog(), nullptr);
        EXPECT_EQ(watch.FocusAtClose(), compare.btnOk) << Describe(watch.FocusAtClose());
    }
    EXPECT_FALSE(compare.Showing());
}

TEST_F(KeyboardTest, EnterOnAStartUpRowOpensInfoAndTheFocusComesBack) {
    ScopedIniValue load(WindowsDirectory() + "\\win.ini", "windows", "load", "notepad.exe");
    ScopedIniValue run(WindowsDirectory() + "\\win.ini", "windows", "run", "");
    StartUpPageWindow& page = Main().StartUpPage();
    page.SelectSuSection(kSuWinIni);
    ASSERT_EQ(page.lvSuValues.Count(), 1);
    SetFocus(page.lvSuValues.Handle());
    // No row selected: nothing opens (an unscripted dialog fails the test).
    Press(Main(), VK_RETURN);
    // On the tree, Enter is no row's either.
    page.lvSuValues.Select(0);
    SetFocus(page.tvSuSections.Handle());
    Press(Main(), VK_RETURN);

    SetFocus(page.lvSuValues.Handle());
    std::vector<std::string> shown;
    {
        ScopedDialogAnswers answers([&](ui::ModalDialog& dialog) {
            auto* info = dynamic_cast<ProgramInfoDialog*>(&dialog);
            shown.push_back(info ? ui::ControlText(info->edtLocation) : "another dialog");
            return IDOK;
        });
        Press(Main(), VK_RETURN);
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("notepad"), std::string::npos) << shown[0];

    // In the program's own loop the dialog disables the frame and takes the
    // focus; closed, it gives the focus back to the list. (Closing Info ran
    // Update, which listed the rows again.)
    page.lvSuValues.Select(0);
    ASSERT_EQ(GetFocus(), page.lvSuValues.Handle());
    {
        const RealDialog watch(true);
        Press(Main(), VK_RETURN);
        EXPECT_EQ(watch.FocusOnOpen(), page.programInfoDialog().edtLocation) << Describe(watch.FocusOnOpen());
        EXPECT_NE(watch.Dialog(), nullptr);
    }
    PumpMessages();
    EXPECT_EQ(GetFocus(), page.lvSuValues.Handle());
}

// A bare control parent that records the click notifications it gets.
std::vector<std::pair<int, int>> g_commands;

LRESULT CALLBACK RecordingParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) g_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(KeyboardLink, EnterAndSpaceClickTheLinkOnceEach) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingParent;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrvLinkTestParent";
    RegisterClassA(&windowClass);
    HWND parent = CreateWindowExA(WS_EX_CONTROLPARENT, "OrvLinkTestParent", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                  0, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    HWND plain = CreateWindowExA(0, "STATIC", "plain", WS_CHILD | WS_VISIBLE | SS_NOTIFY | WS_TABSTOP, 10, 10, 100,
                                 16, parent, reinterpret_cast<HMENU>(7), GetModuleHandleA(nullptr), nullptr);
    HWND link = CreateWindowExA(0, "STATIC", "link", WS_CHILD | WS_VISIBLE | SS_NOTIFY | WS_TABSTOP, 10, 40, 100, 16,
                                parent, reinterpret_cast<HMENU>(8), GetModuleHandleA(nullptr), nullptr);
    ui::MakeKeyboardLink(link);
    SetActiveWindow(parent);
    const auto press = [&](HWND control, WPARAM key, LPARAM repeat) {
        SetFocus(control);
        PostMessageA(control, WM_KEYDOWN, key, 1 | repeat);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (IsDialogMessageA(parent, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    };
    const struct {
        HWND control;
        WPARAM key;
        LPARAM repeat;
        std::vector<std::pair<int, int>> commands;
    } cases[] = {
        {link, VK_RETURN, 0, {{8, STN_CLICKED}}},
        {link, VK_SPACE, 0, {{8, STN_CLICKED}}},
        {link, VK_SPACE, 1 << 30, {}},  // a held key clicks once
        {link, 'A', 0, {}},
        // Without it, Enter on the label is the window's OK.
        {plain, VK_RETURN, 0, {{IDOK, 0}}},
        {plain, VK_SPACE, 0, {}},
    };
    for (const auto& row : cases) {
        g_commands.clear();
        press(row.control, row.key, row.repeat);
        EXPECT_EQ(g_commands, row.commands) << "key " << row.key << " on " << (row.control == link ? "link" : "plain");
    }
    DestroyWindow(parent);
}

}  // namespace
