// The program information dialog's Kill: what the question's answer ends.
#include "common/Common.h"
#include "platform/Dialogs.h"
#include "platform/Processes.h"
#include "shell/startup/SuProgrammInfo.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace shell;

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
            if (kind != dialogs::BoxKind::Confirm) return IDOK;
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
        TFileVersionInfo info;
        int closed = 0;
        TfrmSuProgrammInfo dialog(info, [&] { ++closed; });
        ScopedDialogAnswers answers([&](ui::ModalDialog&) {
            dialog.KillClick();
            EXPECT_EQ(dialog.ActiveText(), "No");
            return IDCANCEL;
        });
        dialog.ShowFor(nullptr, target, "Yes");
        EXPECT_EQ(closed, 1);
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_EQ(boxes.Shown()[0].text, "Kill " + target + "?");
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

}  // namespace
