// The program as a user starts and ends it, in a process of its own: closing
// the window while a long scan runs ends the process, and the next start is
// not refused as a second instance.
#include "EngineTestSupport.h"
#include "gui/MainPage.h"

#include "platform/Handles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const std::string kSeedPrefix = ".orvclose";
constexpr int kSeededKeys = 20000;
constexpr DWORD kProcessEndLimitMs = 8000;

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "Orvelin.exe";
}

// A started program, ended by force if a test leaves it running.
class StartedProgram {
public:
    StartedProgram() {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        // Appended rather than concatenated: GCC 12 warns falsely (-Wrestrict)
        // about a literal prefixed to a temporary string.
        std::string command = "\"";
        command.append(ProgramPath()).append("\"");
        PROCESS_INFORMATION info{};
        started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &info) != FALSE;
        if (!started_) return;
        process_.Reset(info.hProcess);
        CloseHandle(info.hThread);
        id_ = info.dwProcessId;
    }
    ~StartedProgram() {
        if (started_ && !Ended(0)) {
            TerminateProcess(process_.Get(), 1);
            WaitForSingleObject(process_.Get(), 5000);
        }
    }
    bool Started() const { return started_; }
    bool Ended(DWORD waitMs) const { return WaitForSingleObject(process_.Get(), waitMs) == WAIT_OBJECT_0; }

    // The first visible top-level window of the process with the class, or null.
    HWND WindowOfClass(const char* className) const {
        struct Search {
            DWORD id;
            const char* className;
            HWND found;
        } search{id_, className, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char name[64] = {};
                GetClassNameA(window, name, sizeof(name));
                if (owner != s.id || !IsWindowVisible(window) || std::string(name) != s.className) return TRUE;
                s.found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND WaitForWindow(const char* className, DWORD limitMs = 30000) const {
        for (DWORD waited = 0; waited < limitMs; waited += 50) {
            if (HWND window = WindowOfClass(className)) return window;
            if (Ended(50)) return nullptr;
        }
        return nullptr;
    }

private:
    bool started_ = false;
    platform::KernelHandle process_;
    DWORD id_ = 0;
};

// Clicks the title button of the page: the strip's buttons lie at fixed
// 96-DPI places, scaled with the strip's height.
void ClickTitleButton(HWND mainWindow, int page) {
    HWND strip = FindWindowExA(mainWindow, nullptr, "OrvTitleStrip", nullptr);
    ASSERT_NE(strip, nullptr);
    RECT client{};
    GetClientRect(strip, &client);
    constexpr int kButtonLeft[] = {256, 391, 526, 661};
    const int x = MulDiv(kButtonLeft[page] + 60, client.bottom, 68);
    const int y = MulDiv(44 + 11, client.bottom, 68);
    SendMessageA(strip, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

bool HasChildText(HWND parent, const char* text) {
    struct Search {
        const char* text;
        bool found;
    } search{text, false};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            char shown[256] = {};
            GetWindowTextA(child, shown, sizeof(shown));
            s.found = std::string(shown) == s.text;
            return !s.found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitForChildText(HWND parent, const char* text) {
    for (int wait = 0; wait < 1200; ++wait) {
        if (HasChildText(parent, text)) return true;
        if (!IsWindow(parent)) return false;
        Sleep(25);
    }
    return false;
}

// Presses the button of the process's message box (the exit question).
bool AnswerBox(const StartedProgram& program, int button) {
    HWND box = program.WaitForWindow("#32770", 10000);
    if (!box) return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    return true;
}

// Closes the program as the close box does and answers Yes.
void CloseAndConfirm(const StartedProgram& program, HWND mainWindow) {
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(AnswerBox(program, IDYES)) << "no exit question";
}

class ManyFileExtsKeys {
public:
    ManyFileExtsKeys() {
        platform::KeyHandle parent;
        RegCreateKeyExA(HKEY_CURRENT_USER, kFileExts.c_str(), 0, nullptr, 0, KEY_CREATE_SUB_KEY, nullptr,
                        parent.Put(), nullptr);
        for (int i = 0; i < kSeededKeys; ++i) {
            platform::KeyHandle key;
            const std::string name = kSeedPrefix + std::to_string(i) + "\\OpenWithList";
            RegCreateKeyExA(parent.Get(), name.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr);
            RegSetValueExA(key.Get(), "a", 0, REG_SZ, reinterpret_cast<const BYTE*>("orv-gone-close.exe"), 19);
        }
    }
    ~ManyFileExtsKeys() {
        platform::KeyHandle parent;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kFileExts.c_str(), 0, KEY_ALL_ACCESS, parent.Put()) != ERROR_SUCCESS)
            return;
        for (int i = 0; i < kSeededKeys; ++i)
            RegDeleteTreeA(parent.Get(), (kSeedPrefix + std::to_string(i)).c_str());
    }
};

TEST(ProgramClose, ClosingDuringAScanEndsTheProcessAndTheNextStartIsNotRefused) {
    const ManyFileExtsKeys keys;
    {
        StartedProgram program;
        ASSERT_TRUE(program.Started());
        HWND mainWindow = program.WaitForWindow("MainWindow");
        ASSERT_NE(mainWindow, nullptr);
        ClickTitleButton(mainWindow, gui::kPageRegistry);
        PostMessageA(mainWindow, WM_COMMAND, gui::aRgScan, 0);
        // Closed while the scan walks the seeded keys, each a record the
        // worker hands to the window thread.
        HWND progress = program.WaitForWindow("OrvModalDialog");
        ASSERT_NE(progress, nullptr);
        ASSERT_TRUE(WaitForChildText(progress, "File Extensions")) << "the scan never reached the seeded keys";
        ASSERT_NE(program.WindowOfClass("OrvModalDialog"), nullptr) << "the scan ended before the close";
        CloseAndConfirm(program, mainWindow);
        EXPECT_TRUE(program.Ended(kProcessEndLimitMs)) << "the program still runs after its window was closed";
    }
    {
        // A second start opens its window (no "already running" box) and ends as asked.
        StartedProgram program;
        ASSERT_TRUE(program.Started());
        HWND mainWindow = program.WaitForWindow("MainWindow");
        ASSERT_NE(mainWindow, nullptr) << "the second start showed no window";
        EXPECT_EQ(program.WindowOfClass("#32770"), nullptr);
        CloseAndConfirm(program, mainWindow);
        EXPECT_TRUE(program.Ended(kProcessEndLimitMs));
    }
}

}  // namespace
