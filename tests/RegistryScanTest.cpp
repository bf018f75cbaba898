// The registry scanner's path guess, reference test and problem store, with
// files seeded in the test machine.
#include "registry_scan/GuessPathSystem.h"
#include "registry_scan/ProblemStore.h"
#include "EngineTestSupport.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <vector>

using registry_scan::CheckFileReference;
using registry_scan::CleanFileReference;
using registry_scan::GuessEnvironment;
using registry_scan::GuessFilePath;
using registry_scan::kRegistrySectionCount;
using registry_scan::MakeRegistryPath;
using registry_scan::ReferenceCheck;
using registry_scan::SplitRegistryPath;
using registry_scan::ssNotScanned;
using registry_scan::ssScanned;
using registry_scan::ssScanning;
using registry_scan::SystemGuessEnvironment;
using registry_scan::ProblemStore;

namespace {

using testing_support::ScopedFile;
using testing_support::ScopedFolder;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Replaces "{win}", "{sys}", "{pf}", "{dir}" and "{rundll}" in an expected guess.
std::string Expand(std::string text, const GuessEnvironment& env, const std::string& dir) {
    const std::string rundllFolder =
        platform::files::FileExists(env.windowsFolder + "rundll32.exe") ? env.windowsFolder : env.systemFolder;
    const std::pair<std::string, std::string> marks[] = {{"{win}", env.windowsFolder},
                                                         {"{sys}", env.systemFolder},
                                                         {"{pf}", env.programFiles},
                                                         {"{dir}", dir},
                                                         {"{rundll}", rundllFolder}};
    for (const auto& [mark, value] : marks)
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
            text.replace(at, mark.size(), value);
    return text;
}

// A file below a chain of folders longer than the ANSI calls can take, made
// and removed through the wide calls.
class ScopedLongPathFile {
public:
    ScopedLongPathFile(const std::string& base, const std::string& fileName) {
        std::string path = base;
        while (path.size() < 300) {
            path += "\\long folder " + std::string(40, 'x') + std::to_string(folders_.size());
            folders_.push_back(path);
            EXPECT_TRUE(CreateDirectoryW(Long(path).c_str(), nullptr)) << GetLastError();
        }
        file_ = path + "\\" + fileName;
        HANDLE h = CreateFileW(Long(file_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    ~ScopedLongPathFile() {
        DeleteFileW(Long(file_).c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(Long(*it).c_str());
    }
    ScopedLongPathFile(const ScopedLongPathFile&) = delete;
    ScopedLongPathFile& operator=(const ScopedLongPathFile&) = delete;
    const std::string& Path() const { return file_; }
    const std::string& Folder() const { return folders_.back(); }

private:
    static std::wstring Long(const std::string& path) { return L"\\\\?\\" + platform::text::Widen(path); }
    std::vector<std::string> folders_;
    std::string file_;
};

// Files the guesses below find (or miss) in the seeded folder and in the
// Windows and system folders of the test machine.
class RegistryScanGuess : public testing::Test {
protected:
    RegistryScanGuess()
        : env_(SystemGuessEnvironment()),
          folder_("registry_scan_guess"),
          dir_(Lower(folder_.Path()) + "\\"),
          appFolder_((platform::files::CreateFolderPath(folder_.Path() + "\\My App"), folder_.Path() + "\\My App")),
          seeded_{{folder_.Path() + "\\Tool.exe", "x"},
                  {folder_.Path() + "\\Lib.dll", "x"},
                  {appFolder_ + "\\Run Me.exe", "x"},
                  {folder_.Path() + "\\Prog.exe", "x"},
                  {folder_.Path() + "\\Readme.txt", "x"},
                  {folder_.Path() + "\\\xC3\x9Cn\xC3\xAF c\xC3\xB8" "d\xC3\xA9 & 100% [a;b] #1.TXT", "x"},
                  {env_.windowsFolder + "OrvScanWinOnly.dat", "x"},
                  {env_.systemFolder + "OrvScanSysOnly.dat", "x"},
                  {env_.systemFolder + "OrvScanProg.exe", "x"}} {}

    std::string Expected(const char* text) const { return Expand(text, env_, dir_); }
    std::string Seeded(const char* text) const { return Expand(text, env_, folder_.Path() + "\\"); }

    GuessEnvironment env_;
    ScopedFolder folder_;
    std::string dir_;  // the seeded folder as the guess writes it (lower case)
    std::string appFolder_;
    ScopedFile seeded_[9];
};

struct GuessCase {
    const char* text;      // "{dir}" here is the seeded folder as written
    const char* expected;  // "{dir}" here is the seeded folder in lower case
};

TEST_F(RegistryScanGuess, GuessesEveryKindOfReference) {
    ASSERT_FALSE(env_.programFiles.empty());
    ASSERT_EQ(env_.systemFolder.back(), '\\');
    ASSERT_EQ(env_.windowsFolder.back(), '\\');
    const GuessCase cases[] = {
        {"", ""},
        // Network paths are left alone, letter case and switches included.
        {"\\\\Server\\Share\\Tool.EXE /x", "\\\\Server\\Share\\Tool.EXE /x"},
        // Lower case, switches cut at the first "/", the program part kept.
        {"{dir}Tool.EXE /background", "{dir}tool.exe"},
        {"{dir}Tool.exe -minimized arg", "{dir}tool.exe"},
        {"{dir}Tool.exe,0", "{dir}tool.exe"},
        {"\"{dir}My App\\Run Me.exe\" -arg \"x\"", "{dir}my app\\run me.exe"},
        {"\"{dir}My App\\Run Me.exe\"", "{dir}my app\\run me.exe"},
        {"{dir}Lib.dll,EntryPoint", "{dir}lib.dll"},
        {"{dir}Lib.DLL arg", "{dir}lib.dll"},
        // ".exe" before ".dll": a program loading a library is the program.
        {"{dir}tool.exe {dir}lib.dll", "{dir}tool.exe"},
        {"RunDll32.EXE shell32.dll,Control_RunDLL", "{rundll}rundll32.exe"},
        {"\"rundll32\" {dir}Lib.dll,Entry", "{rundll}rundll32.exe"},
        // Folder variables in any letter case.
        {"%SystemRoot%\\System32\\OrvScanSysOnly.dat", "{sys}orvscansysonly.dat"},
        {"%SYSTEMROOT%\\OrvScanWinOnly.dat", "{win}orvscanwinonly.dat"},
        {"%ProgramFiles%\\Orv App\\App.exe /s", "{pf}orv app\\app.exe"},
        // Icon indexes and a closing quote.
        {"{dir}Icons.ico,3", "{dir}icons.ico"},
        {"\"{dir}Readme.txt\"", "{dir}readme.txt"},
        // A share name stands for its drive.
        {"D$", "d:\\"},
        // Bare names: Windows folder when the file is there, else the system folder.
        {"OrvScanWinOnly.dat", "{win}orvscanwinonly.dat"},
        {"OrvScanSysOnly.dat", "{sys}orvscansysonly.dat"},
        {"OrvScanNowhere.dat", "{sys}orvscannowhere.dat"},
        // No extension: arguments cut, ".exe" added when that program exists.
        {"OrvScanProg -x", "{sys}orvscanprog.exe"},
        {"{dir}Prog arg1 arg2", "{dir}prog.exe"},
        {"{dir}Missing arg", "{dir}missing"},
        // Relative paths go to the system folder; trailing blanks go.
        {"Sub\\Thing.txt", "{sys}sub\\thing.txt"},
        {"{dir}Readme.txt  \t", "{dir}readme.txt"},
        // Only A to Z change case; other characters pass through.
        {"{dir}\xC3\x9Cn\xC3\xAF c\xC3\xB8" "d\xC3\xA9 & 100% [a;b] #1.TXT",
         "{dir}\xC3\x9Cn\xC3\xAF c\xC3\xB8" "d\xC3\xA9 & 100% [a;b] #1.txt"},
    };
    for (const GuessCase& c : cases) {
        const std::string text = Seeded(c.text);
        EXPECT_EQ(GuessFilePath(text), Expected(c.expected)) << c.text;
    }
}

TEST_F(RegistryScanGuess, TestsReferencesAgainstTheMachine) {
    struct Case {
        const char* reference;
        bool problem;
        const char* guess;  // for problems
    };
    const Case cases[] = {
        {"", false, ""},
        {"{dir}Tool.exe", false, ""},
        {"{dir}Tool.exe /s", false, ""},                  // the guess cuts the switch
        {"\"{dir}My App\\Run Me.exe\" -x", false, ""},   // and the quotes
        {"{dir}My App", false, ""},                       // a folder is no problem
        {"OrvScanWinOnly.dat", false, ""},
        {"%SystemRoot%\\System32\\OrvScanSysOnly.dat", false, ""},
        {"{dir}\xC3\x9Cn\xC3\xAF c\xC3\xB8" "d\xC3\xA9 & 100% [a;b] #1.TXT", false, ""},
        {"{dir}Gone.exe /s", true, "{dir}gone.exe"},
        {"\"{dir}Gone Folder\\App.exe\" %1", true, "{dir}gone folder\\app.exe"},
        {"OrvScanNowhere.dat", true, "{sys}orvscannowhere.dat"},
        {"{dir}*.exe", true, "{dir}*.exe"},  // wildcards match nothing
    };
    for (const Case& c : cases) {
        const std::string reference = Seeded(c.reference);
        const ReferenceCheck check = CheckFileReference(reference, env_);
        EXPECT_EQ(check.problem, c.problem) << c.reference;
        if (!c.problem) continue;
        EXPECT_EQ(check.fileName, reference);
        EXPECT_EQ(check.guessPath, Expected(c.guess));
    }
}

TEST_F(RegistryScanGuess, PathsPastTheAnsiLimitAreTestedWhole) {
    const ScopedLongPathFile deep(folder_.Path(), "Deep Tool.exe");
    ASSERT_GT(deep.Path().size(), 300u);
    EXPECT_TRUE(platform::files::FileExistsAnyLength(deep.Path()));
    EXPECT_FALSE(platform::files::DirectoryExistsAnyLength(deep.Path()));
    EXPECT_TRUE(platform::files::DirectoryExistsAnyLength(deep.Folder()));
    EXPECT_FALSE(platform::files::FileExistsAnyLength(deep.Folder()));

    const std::string commandLine = "\"" + deep.Path() + "\" /quiet";
    EXPECT_EQ(GuessFilePath(commandLine), Lower(deep.Path()));
    EXPECT_FALSE(CheckFileReference(commandLine, env_).problem);
    EXPECT_FALSE(CheckFileReference(deep.Folder(), env_).problem);

    const std::string gone = deep.Folder() + "\\Gone.exe";
    const ReferenceCheck check = CheckFileReference(gone + " -x", env_);
    EXPECT_TRUE(check.problem);
    EXPECT_EQ(check.guessPath, Lower(gone));
}

TEST_F(RegistryScanGuess, ATextIsNeverTestedOnlyUpToAZero) {
    const std::string tool = folder_.Path() + "\\Tool.exe";
    ASSERT_TRUE(platform::files::FileExistsAnyLength(tool));
    EXPECT_FALSE(platform::files::FileExistsAnyLength(tool + std::string(1, '\0') + "junk"));
    EXPECT_FALSE(platform::files::DirectoryExistsAnyLength(folder_.Path() + std::string(1, '\0')));
}

// The text steps alone, on a made-up machine where every file exists: the
// guess then depends on the text and the folders only.
TEST(RegistryScanClean, TextStepsNeedNoMachine) {
    const GuessEnvironment env{[](const std::string&) { return true; }, [](const std::string&) { return true; },
                               "W:\\Win\\", "S:\\Sys\\", ""};
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"\\\\host\\x", "\\\\host\\x"},
        {"/s", ""},
        {"\"", ""},
        {"\"\"", ""},
        {",", ""},
        {"%ProgramFiles%\\A.exe", "a.exe"},  // no program-files folder known
        {"%SystemRoot%\\%SystemRoot%\\x", "W:\\Win\\%systemroot%\\x"},  // first occurrence only
        {"A.EXE.DLL.exe", "a.exe"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(CleanFileReference(text, env), expected) << text;
    // Every file exists: a bare name goes to the Windows folder and gains ".exe".
    EXPECT_EQ(GuessFilePath("Name -x", env), "W:\\Win\\name.exe");
    // Nothing exists: the system folder, and a text naming no file names that folder.
    const GuessEnvironment bare{[](const std::string&) { return false; }, [](const std::string&) { return false; },
                                "W:\\Win\\", "S:\\Sys\\", ""};
    EXPECT_EQ(GuessFilePath("Name -x", bare), "S:\\Sys\\name");
    EXPECT_EQ(GuessFilePath("/s", bare), "S:\\Sys\\");
    // rundll32 lines name rundll32.exe in the Windows folder when it is there.
    EXPECT_EQ(GuessFilePath("RUNDLL32 x.dll,Entry", env), "W:\\Win\\rundll32.exe");
    EXPECT_EQ(GuessFilePath("RUNDLL32 x.dll,Entry", bare), "S:\\Sys\\rundll32.exe");
}

TEST(RegistryProblemPath, SplitsRootKeyAndItem) {
    const std::string appPaths = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    const std::string made = MakeRegistryPath("HKEY_LOCAL_MACHINE", appPaths, "winword.exe");
    EXPECT_EQ(made, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths|winword.exe");

    struct Case {
        std::string path;
        HKEY root;
        const char* rootName;
        std::string key;
        const char* item;
    };
    const Case cases[] = {
        {made, HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", appPaths + "\\", "winword.exe"},
        {"HKEY_CLASSES_ROOT\\CLSID|{0000-1}\\InprocServer32", HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "\\CLSID\\",
         "{0000-1}\\InprocServer32"},
        // A value name may hold "|" itself: the key part never does.
        {"HKEY_CURRENT_USER\\Software\\RunMRU|a|b", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "\\Software\\RunMRU\\",
         "a|b"},
        {"HKEY_USERS\\x\\y|C:\\Any \xC3\xA9 Name.dll", HKEY_USERS, "HKEY_USERS", "\\x\\y\\", "C:\\Any \xC3\xA9 Name.dll"},
        // Any other root name means the classes root, as the fix reads it.
        {"Whatever\\k|i", HKEY_CLASSES_ROOT, "Whatever", "\\k\\", "i"},
    };
    for (const Case& c : cases) {
        const auto parts = SplitRegistryPath(c.path);
        ASSERT_TRUE(parts.has_value()) << c.path;
        EXPECT_EQ(parts->root, c.root) << c.path;
        EXPECT_EQ(parts->rootName, c.rootName);
        EXPECT_EQ(parts->key, c.key);
        EXPECT_EQ(parts->item, c.item);
    }
    // Nothing to remove, or only the whole key: no parts, so no fix.
    for (const char* bad : {"", "HKEY_CURRENT_USER\\Software\\Key", "HKEY_CURRENT_USER\\Software\\Key|",
                            "HKEY_CURRENT_USER|item", "|", "HKEY_CURRENT_USER\\Software|"})
        EXPECT_FALSE(SplitRegistryPath(bad).has_value()) << bad;
}

TEST(ProblemStore, RecordsStatesCountsAndMarks) {
    ProblemStore nut;
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        EXPECT_EQ(nut.State(section), ssNotScanned);
        EXPECT_EQ(nut.Count(section), 0);
    }
    nut.RecordProblem(3, "HKEY_LOCAL_MACHINE\\F|a.ttf", "a.ttf", "C:\\WINDOWS\\FONTS\\a.ttf");
    nut.RecordProblem(3, "HKEY_LOCAL_MACHINE\\F|b.ttf", "b.ttf", "C:\\WINDOWS\\FONTS\\b.ttf");
    nut.RecordProblem(11, "HKEY_CURRENT_USER\\E|.orv", "", "");
    EXPECT_EQ(nut.State(3), ssScanning);
    EXPECT_EQ(nut.State(11), ssScanning);
    EXPECT_EQ(nut.State(0), ssNotScanned);
    EXPECT_EQ(nut.Count(3), 2);
    EXPECT_EQ(nut.Total(), 0);  // added when the scan finishes
    nut.AddToTotal(3);
    nut.SetState(3, ssScanned);
    EXPECT_EQ(nut.State(3), ssScanned);

    const auto second = nut.Problem(3, 1);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->registryPath, "HKEY_LOCAL_MACHINE\\F|b.ttf");
    EXPECT_EQ(second->fileName, "b.ttf");
    EXPECT_EQ(second->guessPath, "C:\\WINDOWS\\FONTS\\b.ttf");
    EXPECT_EQ(second->fixState, "NoFix");
    const ProblemStore::Section& fonts = nut.SectionAt(3);
    EXPECT_EQ(fonts.fileNames.size(), 2u);
    EXPECT_EQ(fonts.guessPaths.size(), 2u);
    EXPECT_EQ(fonts.fixStates.size(), 2u);

    EXPECT_TRUE(nut.SetFix(3, 1, true));
    EXPECT_EQ(nut.SectionAt(3).fixStates[1], "fix");
    EXPECT_TRUE(nut.IsMarked(3, 1));
    EXPECT_FALSE(nut.IsMarked(3, 0));
    EXPECT_EQ(nut.MarkedCount(3), 1);
    nut.MarkAll(true);
    EXPECT_EQ(nut.MarkedCount(), 3);
    EXPECT_TRUE(nut.SetFix(11, 0, false));
    EXPECT_EQ(nut.MarkedCount(), 2);
    EXPECT_EQ(nut.SectionAt(11).fixStates[0], "NoFix");
    nut.MarkAll(false);
    EXPECT_EQ(nut.MarkedCount(), 0);

    // A new scan of a section empties it and takes its records off the total.
    nut.ResetSection(3);
    EXPECT_EQ(nut.State(3), ssNotScanned);
    EXPECT_EQ(nut.Count(3), 0);
    EXPECT_EQ(nut.Total(), 1);
    EXPECT_EQ(nut.Count(11), 1);
}

TEST(ProblemStore, RemovingKeepsTheListsInStepAndBadIndexesChangeNothing) {
    ProblemStore nut;
    for (int row = 0; row < 3; ++row) {
        const std::string number = std::to_string(row);
        nut.RecordProblem(0, std::string("p") + number, std::string("f") + number, std::string("g") + number);
    }
    EXPECT_EQ(nut.RecountTotal(), 3);
    nut.SetFix(0, 2, true);
    EXPECT_TRUE(nut.RemoveProblem(0, 1));
    EXPECT_EQ(nut.Total(), 2);
    const auto last = nut.Problem(0, 1);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->registryPath, "p2");
    EXPECT_EQ(last->fileName, "f2");
    EXPECT_EQ(last->guessPath, "g2");
    EXPECT_EQ(last->fixState, "fix");

    for (int section : {-1, kRegistrySectionCount}) {
        nut.RecordProblem(section, "p", "f", "g");
        nut.SetState(section, ssScanned);
        nut.ResetSection(section);
        EXPECT_EQ(nut.State(section), ssNotScanned);
        EXPECT_EQ(nut.Count(section), 0);
        EXPECT_FALSE(nut.SetFix(section, 0, true));
        EXPECT_FALSE(nut.Problem(section, 0).has_value());
        EXPECT_FALSE(nut.RemoveProblem(section, 0));
    }
    for (int row : {-1, 2, 100}) {
        EXPECT_FALSE(nut.SetFix(0, row, true));
        EXPECT_FALSE(nut.IsMarked(0, row));
        EXPECT_FALSE(nut.Problem(0, row).has_value());
        EXPECT_FALSE(nut.RemoveProblem(0, row));
    }
    EXPECT_EQ(nut.Count(0), 2);
    EXPECT_EQ(nut.RecountTotal(), 2);
}

}  // namespace
