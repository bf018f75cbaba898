// The program information dialog's Kill: what the question's answer ends.
#include "common/Common.h"
#include "platform/Dialogs.h"
#include "platform/Processes.h"
#include "gui/startup/ProgramInfoDialog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace gui;

using namespace testing_support;
namespace dialogs = platform::dialogs;

namespace {

// Answers every box with Yes or OK after letting the test act while the
// question is open.
class ActingBoxes {
public:
    explicit ActingBoxes(std::function<void()> duringQuestion) : duringQuestion_(std::move(duringQuestion)) {
        dialogs::SetBoxHandler([this](const std::string& text, const std::string&, dialogs::BoxKind kind) {
            shown_.push_back({text, kind});
            if (kind != dialogs::BoxKind::Confirm && kind != dialogs::BoxKind::ConfirmDefaultNo) return IDOK;
            if (duringQuestion_) duringQuestion_();
            return IDYES;
        });
    }
    ~ActingBoxes() { InstallUnscriptedBoxAnswer(); }
    ActingBoxes(const ActingBoxes&) = delete;
    ActingBoxes& operator=(const ActingBoxes&) = delete;
    struct Box {
        std::string text;
        dialogs::BoxKind kind;
    };
    const std::vector<Box>& Shown() const { return shown_; }

private:
    std::function<void()> duringQuestion_;
    std::vector<Box> shown_;
};

TEST(ProgramInfoKill, TheProgramIsLookedUpAgainAfterTheQuestion) {
    ScopedFolder folder("kill question");
    const std::string target = CopyHelper("orvhelper.exe", folder.Path(), "kill target.exe");
    HelperProcess bystander(CopyHelper("orvhelper.exe", folder.Path(), "kill bystander.exe"));
    ASSERT_TRUE(bystander.WaitUntilListed());
    for (bool endsDuringQuestion : {false, true}) {
        SCOPED_TRACE(endsDuringQuestion ? "ends during the question" : "still runs");
        HelperProcess process(target);
        ASSERT_TRUE(process.WaitUntilListed());
        ActingBoxes boxes([&] {
            if (!endsDuringQuestion) return;
            platform::processes::TerminateProcessById(process.Id());
            platform::processes::WaitForProcessEnd(process.Id(), 5000);
        });
        FileVersionInfo info;
        int closed = 0;
        ProgramInfoDialog dialog(info, [&] { ++closed; });
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            dialog.KillClick();
            EXPECT_EQ(dialog.ActiveText(), "No");
            return IDCANCEL;
        });
        dialog.ShowFor(nullptr, target, "Yes");
        EXPECT_EQ(closed, 1);
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_EQ(boxes.Shown()[0].text, "Kill " + target + "?");
        EXPECT_EQ(boxes.Shown()[0].kind, dialogs::BoxKind::ConfirmDefaultNo);
        if (endsDuringQuestion) {
            // The identifier found before the question is not used: the
            // program is looked up again, found not running, and said so.
            ASSERT_EQ(boxes.Shown().size(), 2u);
            EXPECT_EQ(boxes.Shown()[1].kind, dialogs::BoxKind::Warning);
            EXPECT_EQ(boxes.Shown()[1].text, "Proces " + target + " no Active!");
        } else {
            EXPECT_EQ(boxes.Shown().size(), 1u);
            EXPECT_TRUE(platform::processes::WaitForProcessEnd(process.Id(), 5000));
        }
        EXPECT_FALSE(platform::processes::WaitForProcessEnd(bystander.Id(), 0));
    }
}

// Presses Enter in the first message box the thread shows, as a user who
// answers a question out of habit: a timer's step runs inside the box's own
// modal loop, finds the box and posts the key to the control that has the
// focus (the box's default button), as the keyboard would.
class EnterInTheNextBox {
public:
    EnterInTheNextBox() {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &EnterInTheNextBox::Step);
    }
    ~EnterInTheNextBox() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    EnterInTheNextBox(const EnterInTheNextBox&) = delete;
    EnterInTheNextBox& operator=(const EnterInTheNextBox&) = delete;

    bool Pressed() const { return pressed_; }
    bool Stuck() const { return stuck_; }

private:
    static HWND ShownBox() {
        HWND found = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM result) {
                char name[16] = {};
                GetClassNameA(window, name, sizeof name);
                if (std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static void CALLBACK Step(HWND, UINT, UINT_PTR, DWORD) {
        EnterInTheNextBox* self = current_;
        if (!self) return;
        ++self->steps_;
        HWND box = ShownBox();
        if (!box) return;
        if (!self->pressed_) {
            HWND focus = GetFocus();
            HWND target = focus && IsChild(box, focus) ? focus : box;
            PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0);
            PostMessageA(target, WM_KEYUP, VK_RETURN, 0);
            self->pressed_ = true;
            self->pressedAt_ = self->steps_;
        } else if (self->steps_ - self->pressedAt_ > 100) {
            // Enter did not answer it in five seconds: No, so the test ends.
            self->stuck_ = true;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
        }
    }

    static inline EnterInTheNextBox* current_ = nullptr;
    UINT_PTR timer_ = 0;
    int steps_ = 0, pressedAt_ = 0;
    bool pressed_ = false, stuck_ = false;
};

// Esc asks the Kill question while Kill is enabled; an Enter pressed after it
// answers No and the program runs on.
TEST(ProgramInfoKill, EscThenEnterLeavesTheProgramRunning) {
    ScopedFolder folder("kill default");
    HelperProcess process(CopyHelper("orvhelper.exe", folder.Path(), "kill default.exe"));
    ASSERT_TRUE(process.WaitUntilListed());
    const std::string target = folder.Path() + "\\kill default.exe";
    struct RealBoxes {
        RealBoxes() { dialogs::SetBoxHandler({}); }
        ~RealBoxes() { InstallUnscriptedBoxAnswer(); }
    } realBoxes;
    FileVersionInfo info;
    ProgramInfoDialog dialog(info, {});
    EnterInTheNextBox enter;
    ScopedDialogAnswers answers([&](ui::ModalDialog&) {
        EXPECT_TRUE(IsWindowEnabled(dialog.btnKill));
        SendMessageA(dialog.Handle(), WM_COMMAND, IDCANCEL, 0);  // what the dialog's Esc sends
        return IDCANCEL;
    });
    dialog.ShowFor(nullptr, target, "Yes");
    EXPECT_TRUE(enter.Pressed()) << "no question was shown";
    EXPECT_FALSE(enter.Stuck()) << "Enter did not answer the question";
    EXPECT_EQ(dialog.ActiveText(), "Yes");
    EXPECT_FALSE(platform::processes::WaitForProcessEnd(process.Id(), 1000)) << "Enter ended the program";
}

}  // namespace
