// Seeding and clean-up helpers for tests on the private Wine machine.
#include "EngineTestSupport.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "platform/UrlCache.h"
#include "startup/StartUpFunctions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

namespace reg = platform::reg;
namespace files = platform::files;

namespace testing_support {

void SetRegString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
    platform::KeyHandle key;
    ASSERT_EQ(reg::CreateKey(root, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS) << path;
    ASSERT_EQ(reg::SetString(key.Get(), name, value), ERROR_SUCCESS) << name;
}

void SetRegDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    platform::KeyHandle key;
    ASSERT_EQ(reg::CreateKey(root, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS) << path;
    ASSERT_EQ(reg::SetValue(key.Get(), name, REG_DWORD, &value, sizeof(value)), ERROR_SUCCESS);
}

bool RegValueExists(HKEY root, const std::string& path, const std::string& name) {
    platform::KeyHandle key;
    if (reg::OpenKey(root, path, KEY_READ, key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    return reg::QueryValueInfo(key.Get(), name, type, size) == ERROR_SUCCESS;
}

std::string RegString(HKEY root, const std::string& path, const std::string& name) {
    platform::KeyHandle key;
    if (reg::OpenKey(root, path, KEY_READ, key) != ERROR_SUCCESS) return "<no key>";
    DWORD type = 0;
    std::vector<BYTE> data;
    if (reg::QueryValue(key.Get(), name, type, data) != ERROR_SUCCESS) return "<no value>";
    return std::string(reinterpret_cast<const char*>(data.data()),
                       strnlen(reinterpret_cast<const char*>(data.data()), data.size()));
}

bool RegKeyExists(HKEY root, const std::string& path) {
    platform::KeyHandle key;
    return reg::OpenKey(root, path, KEY_READ, key) == ERROR_SUCCESS;
}

void DeleteRegTree(HKEY root, const std::string& path) {
    platform::KeyHandle key;
    if (reg::OpenKey(root, path, KEY_ALL_ACCESS, key) == ERROR_SUCCESS) {
        for (;;) {
            std::string child;
            if (reg::EnumKeyName(key.Get(), 0, child) != ERROR_SUCCESS) break;
            DeleteRegTree(key.Get(), child);
        }
    }
    key.Reset();
    reg::DeleteKey(root, path);
}

void DeleteUserRunKeys(std::initializer_list<const char*> sections) {
    for (const char* section : sections)
        for (const char* suffix : {"", "-"})
            DeleteRegTree(HKEY_CURRENT_USER, startup::RunKeyPath("HKEY_CURRENT_USER", section, suffix));
}

ScratchRegKey::ScratchRegKey(const std::string& name)
    : relative_("Software\\OrvelinTests\\" + name + std::to_string(GetCurrentProcessId())),
      full_("HKEY_CURRENT_USER\\" + relative_) {
    DeleteRegTree(HKEY_CURRENT_USER, relative_);
}

ScratchRegKey::~ScratchRegKey() { DeleteRegTree(HKEY_CURRENT_USER, relative_); }

ScopedRegKeys::~ScopedRegKeys() {
    for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) DeleteRegTree(it->first, it->second);
}

ScopedRegValue::~ScopedRegValue() {
    platform::KeyHandle key;
    if (reg::OpenKey(root_, path_, KEY_ALL_ACCESS, key) == ERROR_SUCCESS) reg::DeleteValue(key.Get(), name_);
}

ScopedFile::ScopedFile(std::string path, const std::string& contents) : path_(std::move(path)) {
    std::string old;
    if (files::FileExists(path_) && files::ReadFileBytes(path_, old)) previous_ = old;
    files::CreateFolderPath(files::ExtractFilePath(path_));
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(files::WriteFileBytes(path_, contents)) << path_;
}

ScopedFile::~ScopedFile() {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (previous_)
        files::WriteFileBytes(path_, *previous_);
    else
        files::DeleteFilePath(path_);
}

ScopedIniValue::ScopedIniValue(std::string file, std::string section, std::string key, const std::string& value)
    : file_(std::move(file)), section_(std::move(section)), key_(std::move(key)) {
    if (files::IniKeyExists(file_, section_, key_)) previous_ = files::ReadIniString(file_, section_, key_);
    EXPECT_TRUE(files::WriteIniString(file_, section_, key_, value)) << file_ << " " << key_;
}

ScopedIniValue::~ScopedIniValue() {
    if (previous_)
        files::WriteIniString(file_, section_, key_, *previous_);
    else
        files::DeleteIniKey(file_, section_, key_);
}

void RemoveFolderTree(const std::string& path) {
    std::vector<std::string> entries;
    files::FindEntriesAnyLength(path + "\\*", [&](const files::FindEntry& entry) {
        if (entry.name != "." && entry.name != "..") entries.push_back(entry.name);
    });
    for (const std::string& name : entries) {
        const std::string full = path + "\\" + name;
        const std::wstring wide = files::WidePathAnyLength(full);
        SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (files::DirectoryExistsAnyLength(full))
            RemoveFolderTree(full);
        else
            DeleteFileW(wide.c_str());
    }
    RemoveDirectoryW(files::WidePathAnyLength(path).c_str());
}

namespace {

// Where a path of the test machine lies on the Unix side; empty without Wine.
std::string UnixPath(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unixPath = toUnix(platform::text::Widen(windowsPath).c_str());
    if (!unixPath) return {};
    std::string path(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return path;
}

// Runs a Unix shell command through Wine and waits until it has run. Wine
// gives no handle to wait on for a Unix process, so the command ends by
// making a marker file (the Windows path given), which is then removed.
bool RunUnixShell(const std::string& command, const std::string& marker) {
    const std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty()) return false;
    std::wstring commandLine = platform::text::Widen("/bin/sh -c \"" + command + "; : > '" + unixMarker + "'\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    platform::KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    for (int step = 0; step < 500; ++step) {
        if (files::FileExists(marker)) return DeleteFileA(marker.c_str()) != 0;
        Sleep(20);
    }
    return false;
}

}  // namespace

ScopedUnixLink::ScopedUnixLink(const std::string& linkPath, const std::string& targetPath)
    : linkPath_(linkPath), unixLink_(UnixPath(linkPath)) {
    const std::string unixTarget = UnixPath(targetPath);
    if (unixLink_.empty() || unixTarget.empty()) return;
    // -f replaces a link an interrupted run left behind.
    RunUnixShell("ln -sf '" + unixTarget + "' '" + unixLink_ + "'", linkPath_ + ".orv-done");
    made_ = files::FileExistsAnyLength(linkPath_);
}

ScopedUnixLink::~ScopedUnixLink() {
    // Also when the link leads nowhere now (its target went): Wine then
    // hides it, but it is still there.
    if (!unixLink_.empty()) RunUnixShell("rm -f '" + unixLink_ + "'", linkPath_ + ".orv-done");
}

ScopedFolder::ScopedFolder(const std::string& name) : path_("C:\\orvtests\\" + name) {
    RemoveFolderTree(path_);
    EXPECT_TRUE(files::CreateFolderPath(path_)) << path_;
}

ScopedFolder::~ScopedFolder() { RemoveFolderTree(path_); }

namespace {

// The button a box of the kind gives for Esc: No or Cancel where it has one.
int CancelAnswer(platform::dialogs::BoxKind kind) {
    switch (kind) {
    case platform::dialogs::BoxKind::Confirm:
    case platform::dialogs::BoxKind::ConfirmDefaultNo:
    case platform::dialogs::BoxKind::ElevationOffer: return IDNO;
    case platform::dialogs::BoxKind::ConfirmOkCancel:
    case platform::dialogs::BoxKind::ErrorCancel: return IDCANCEL;
    case platform::dialogs::BoxKind::Warning:
    case platform::dialogs::BoxKind::Plain: break;
    }
    return IDOK;
}



class UnscriptedBoxesFail : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        InstallUnscriptedBoxAnswer();
        InstallUnscriptedFileDialogAnswer();
        InstallUnscriptedStartAnswer();
    }
};

}  // namespace

void FailOnUnscriptedPrompts() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new UnscriptedBoxesFail);
    InstallUnscriptedBoxAnswer();
    InstallUnscriptedFileDialogAnswer();
    InstallUnscriptedStartAnswer();
}

void InstallUnscriptedFileDialogAnswer() {
    platform::dialogs::SetFileDialogHandler([](platform::dialogs::FileDialogRequest& request) {
        ADD_FAILURE() << "unscripted " << (request.save ? "save" : "open") << " dialog for \"" << request.fileName
                      << "\" (filter \"" << request.filter << "\")";
        return false;
    });
}

void InstallUnscriptedStartAnswer() {
    platform::shell::SetStartProgramHandler([](const std::string& program, const std::string& arguments) {
        ADD_FAILURE() << "unscripted start of " << program << " " << arguments;
        return static_cast<DWORD>(ERROR_ACCESS_DENIED);
    });
}

RecordedStarts::RecordedStarts(DWORD answer) {
    platform::shell::SetStartProgramHandler([this, answer](const std::string& program, const std::string& arguments) {
        started_.push_back({program, arguments});
        return answer;
    });
}

RecordedStarts::~RecordedStarts() { InstallUnscriptedStartAnswer(); }

SYSTEMTIME TimeAt(int year, int month, int day, int hour, int minute) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    return time;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void InstallUnscriptedBoxAnswer() {
    platform::dialogs::SetBoxHandler(
        [](const std::string& text, const std::string& caption, platform::dialogs::BoxKind kind) {
            ADD_FAILURE() << "unscripted message box \"" << text << "\" (caption \"" << caption << "\")";
            return CancelAnswer(kind);
        });
}



RecordedBoxes::RecordedBoxes(std::vector<int> answers) : answers_(std::move(answers)) {
    platform::dialogs::SetBoxHandler([this](const std::string& text, const std::string& caption,
                                            platform::dialogs::BoxKind kind) {
        shown_.push_back({text, caption, kind});
        const size_t index = std::min(shown_.size() - 1, answers_.size() - 1);
        return answers_[index];
    });
}

RecordedBoxes::~RecordedBoxes() { InstallUnscriptedBoxAnswer(); }


std::string TestProgramFolder() { return files::ExtractFilePath(files::ModuleFileName()); }

std::string CopyHelper(const std::string& helperName, const std::string& folder, const std::string& asName) {
    const std::string target = folder + "\\" + (asName.empty() ? helperName : asName);
    EXPECT_TRUE(CopyFileA((TestProgramFolder() + helperName).c_str(), target.c_str(), FALSE)) << target;
    return target;
}

HelperProcess::HelperProcess(const std::string& exePath, int seconds) : path_(exePath) {
    EXPECT_TRUE(platform::processes::CreateProcessWithShow("\"" + exePath + "\" " + std::to_string(seconds),
                                                           SW_HIDE, &id_))
        << exePath;
}

HelperProcess::~HelperProcess() {
    if (!id_) return;
    platform::processes::TerminateProcessById(id_);
    platform::processes::WaitForProcessEnd(id_, 5000);
}

bool HelperProcess::WaitUntilListed() const {
    for (int attempt = 0; attempt < kProcessWaitSteps; ++attempt) {
        if (SameCaption(MainModulePath(id_), path_)) return true;
        Sleep(kProcessWaitStep);
    }
    return false;
}

DWORD LastListedOf(const std::vector<DWORD>& ids) {
    DWORD last = 0;
    for (const auto& process : platform::processes::SnapshotProcesses())
        if (std::find(ids.begin(), ids.end(), process.id) != ids.end()) last = process.id;
    return last;
}


ScopedCacheEntries::ScopedCacheEntries(std::initializer_list<const char*> names) {
    for (const char* name : names) Add(name);
}

ScopedCacheEntries::~ScopedCacheEntries() {
    for (const std::string& name : names_) platform::urlcache::DeleteEntry(name);
}

void ScopedCacheEntries::Add(const std::string& name, bool withFile) {
    names_.push_back(name);
    const DWORD written = withFile ? platform::urlcache::CommitEntryWithFile(name, "orv test content")
                                   : platform::urlcache::CommitEntry(name);
    EXPECT_EQ(written, static_cast<DWORD>(ERROR_SUCCESS)) << name;
}

void WriteShortcut(const std::string& linkPath, const std::string& target) {
    platform::shell::LinkFields fields;
    fields.target = target;
    fields.description = target;
    fields.workingDirectory = files::ExtractFilePath(target);
    ASSERT_EQ(platform::shell::WriteLink(linkPath, fields), S_OK) << linkPath;
}

}  // namespace testing_support
