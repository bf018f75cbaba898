// Seeding and clean-up helpers for tests on the private Wine machine; none
// needs a window, so the engine's tests use them too.
#pragma once

#include "platform/Dialogs.h"
#include "platform/Handles.h"

#include <functional>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// Writes a string (or any typed) value, creating the key.
void SetRegString(HKEY root, const std::string& path, const std::string& name, const std::string& value);
void SetRegDword(HKEY root, const std::string& path, const std::string& name, DWORD value);
bool RegValueExists(HKEY root, const std::string& path, const std::string& name);
std::string RegString(HKEY root, const std::string& path, const std::string& name);
bool RegKeyExists(HKEY root, const std::string& path);
// Deletes a key and everything below it (no error when missing).
void DeleteRegTree(HKEY root, const std::string& path);
// Deletes the user's run keys of the sections and their "-" twins.
void DeleteUserRunKeys(std::initializer_list<const char*> sections);

// A private key HKEY_CURRENT_USER\Software\OrvelinTests\<name><process id>:
// empty when made, removed with its subtree when it goes.
class ScratchRegKey {
public:
    explicit ScratchRegKey(const std::string& name);
    ~ScratchRegKey();
    ScratchRegKey(const ScratchRegKey&) = delete;
    ScratchRegKey& operator=(const ScratchRegKey&) = delete;
    const std::string& Relative() const { return relative_; }  // below HKEY_CURRENT_USER
    const std::string& Full() const { return full_; }          // "HKEY_CURRENT_USER\" + Relative()

private:
    std::string relative_, full_;
};

// Deletes the listed keys (with their subtrees) when it goes out of scope.
class ScopedRegKeys {
public:
    ScopedRegKeys() = default;
    ~ScopedRegKeys();
    ScopedRegKeys(const ScopedRegKeys&) = delete;
    ScopedRegKeys& operator=(const ScopedRegKeys&) = delete;
    void Add(HKEY root, const std::string& path) { keys_.push_back({root, path}); }

private:
    std::vector<std::pair<HKEY, std::string>> keys_;
};

// Deletes one value on scope exit.
class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, std::string path, std::string name)
        : root_(root), path_(std::move(path)), name_(std::move(name)) {}
    ~ScopedRegValue();
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

private:
    HKEY root_;
    std::string path_, name_;
};

// Writes a file and, on scope exit, puts back what was there before (or
// removes the file).
class ScopedFile {
public:
    ScopedFile(std::string path, const std::string& contents);
    ~ScopedFile();
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::optional<std::string> previous_;
};

// Sets an ini value through the profile API and puts the old one back (or
// removes the key) on scope exit.
class ScopedIniValue {
public:
    ScopedIniValue(std::string file, std::string section, std::string key, const std::string& value);
    ~ScopedIniValue();
    ScopedIniValue(const ScopedIniValue&) = delete;
    ScopedIniValue& operator=(const ScopedIniValue&) = delete;

private:
    std::string file_, section_, key_;
    std::optional<std::string> previous_;
};

// URL cache entries seeded for one test, removed at its end (deleting an
// entry that is already gone does nothing). An entry with a file is what a
// temporary file is; one without, a visited page or a cookie record.
class ScopedCacheEntries {
public:
    ScopedCacheEntries() = default;
    ScopedCacheEntries(std::initializer_list<const char*> names);
    ~ScopedCacheEntries();
    ScopedCacheEntries(const ScopedCacheEntries&) = delete;
    ScopedCacheEntries& operator=(const ScopedCacheEntries&) = delete;

    void Add(const std::string& name, bool withFile = false);

private:
    std::vector<std::string> names_;
};

// A private folder inside the test machine, removed with its contents.
class ScopedFolder {
public:
    explicit ScopedFolder(const std::string& name);
    ~ScopedFolder();
    ScopedFolder(const ScopedFolder&) = delete;
    ScopedFolder& operator=(const ScopedFolder&) = delete;
    const std::string& Path() const { return path_; }  // no trailing separator

private:
    std::string path_;
};
// Removes the folder with everything below it; paths of any length.
void RemoveFolderTree(const std::string& path);

// A Unix symbolic link inside the test machine's drive, made with the
// system's ln (Wine runs Unix programs too): Wine shows it to the program as
// a plain file. Removed itself on scope exit (with rm: a Windows delete would
// go through it to its target). Made() is false where there is no Wine, or
// the link could not be made.
class ScopedUnixLink {
public:
    ScopedUnixLink(const std::string& linkPath, const std::string& targetPath);
    ~ScopedUnixLink();
    ScopedUnixLink(const ScopedUnixLink&) = delete;
    ScopedUnixLink& operator=(const ScopedUnixLink&) = delete;
    bool Made() const { return made_; }

private:
    std::string linkPath_, unixLink_;
    bool made_ = false;
};

// Every box a test did not script fails the test with what it asked and is
// cancelled (No, Cancel, or OK when that is the only button), so no real
// window waits for a click nobody gives. Installed before each test;
// RecordedBoxes puts it back.
void InstallUnscriptedBoxAnswer();
// Every open or save dialog, and every program start, a test did not script
// fails the test (and shows or starts nothing).
void InstallUnscriptedFileDialogAnswer();
void InstallUnscriptedStartAnswer();
// Adds the listener that installs these three before each test (call from main).
void FailOnUnscriptedPrompts();

// A local time to the minute, as backup points are named after it.
SYSTEMTIME TimeAt(int year, int month, int day, int hour, int minute);

// Records the programs started through platform::shell::StartProgram and
// starts none; the calls answer with the error given (ERROR_SUCCESS by
// default). Without one, a start fails the test (InstallUnscriptedStartAnswer).
class RecordedStarts {
public:
    explicit RecordedStarts(DWORD answer = ERROR_SUCCESS);
    ~RecordedStarts();
    RecordedStarts(const RecordedStarts&) = delete;
    RecordedStarts& operator=(const RecordedStarts&) = delete;
    struct Start {
        std::string program, arguments;
        bool operator==(const Start&) const = default;
    };
    const std::vector<Start>& Started() const { return started_; }

private:
    std::vector<Start> started_;
};

// Serves the messages waiting on this thread.
void PumpMessages();
// Serves messages until the condition holds (or about 60 s went by).
template <typename Condition>
bool PumpUntil(Condition done) {
    for (int step = 0; step < 6000 && !done(); ++step) {
        PumpMessages();
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}

// Records the boxes shown and answers them in turn (default: the last answer).
class RecordedBoxes {
public:
    explicit RecordedBoxes(std::vector<int> answers = {IDYES});
    ~RecordedBoxes();
    struct Box {
        std::string text, caption;
        platform::dialogs::BoxKind kind;
    };
    const std::vector<Box>& Shown() const { return shown_; }

private:
    std::vector<int> answers_;
    std::vector<Box> shown_;
};

// The folder of the running test program, with a trailing separator.
std::string TestProgramFolder();

// Copies a helper program of the build into a folder of the test machine.
std::string CopyHelper(const std::string& helperName, const std::string& folder,
                       const std::string& asName = "");

// A started helper process, ended on scope exit.
class HelperProcess {
public:
    explicit HelperProcess(const std::string& exePath, int seconds = 120);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    DWORD Id() const { return id_; }
    // Waits until the process lists its main module (it is then visible to
    // module queries).
    bool WaitUntilListed() const;

private:
    DWORD id_ = 0;
    std::string path_;
};

// Of the processes given, the one the system's process list shows last (0
// when none of them runs).
DWORD LastListedOf(const std::vector<DWORD>& ids);

// How long tests wait for a started process to show up: generous, since a
// fresh Wine machine starts processes slowly. Waits end as soon as it shows.
constexpr int kProcessWaitSteps = 400;  // of 50 ms
constexpr DWORD kProcessWaitStep = 50;

// Writes a shell link.
void WriteShortcut(const std::string& linkPath, const std::string& target);

}  // namespace testing_support
