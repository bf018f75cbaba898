// The twelve sections of the registry scanner: the keys each walks, the file
// reference it reads from every entry, its test and the item its records
// name for the fix. Keys are opened for reading only, so a user without
// write rights on HKEY_LOCAL_MACHINE still sees its problems.
#include "registry_scan/ScanSections.h"

#include "platform/RegistryKey.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "registry_scan/ScanRules.h"
#include "registry_scan/ScanKeys.h"

#include <cstring>
#include <vector>

namespace registry_scan {

namespace {

constexpr char kLocalMachine[] = "HKEY_LOCAL_MACHINE";
constexpr char kClassesRoot[] = "HKEY_CLASSES_ROOT";
constexpr char kCurrentUser[] = "HKEY_CURRENT_USER";

// The walked keys as the sections open them: from the root, with a leading "\".
std::string FromRoot(const char* key) { return std::string("\\") + key; }

const std::string kAppPathsKey = FromRoot(scan_keys::kAppPaths);
const std::string kClassIdKey = FromRoot(scan_keys::kClassIds);
const std::string kHelpKeys[] = {FromRoot(scan_keys::kHelp), FromRoot(scan_keys::kHtmlHelp)};
const std::string kFontsKey9x = FromRoot(scan_keys::kFonts9x);
const std::string kFontsKeyNt = FromRoot(scan_keys::kFontsNt);
constexpr char kFontsFolder[] = "C:\\WINDOWS\\FONTS\\";
const std::string kRunHistoryKey = FromRoot(scan_keys::kRunHistory);
const std::string kMenuOrderKeys[] = {FromRoot(scan_keys::kMenuOrder2), FromRoot(scan_keys::kMenuOrder)};
constexpr char kNoFileName[] = "{null value}";
const std::string kSharedDllsKey = FromRoot(scan_keys::kSharedDlls);
const std::string kSharesKey9x = FromRoot(scan_keys::kShares9x);
const std::string kSharesKeyNt = FromRoot(scan_keys::kSharesNt);
const std::string kApprovedKey = FromRoot(scan_keys::kApproved);
const std::string kSoundAppsKey = FromRoot(scan_keys::kSoundApps);
constexpr const char* kSoundSchemes[] = {".Current", ".Default"};
const std::string kUninstallKey = FromRoot(scan_keys::kUninstall);
constexpr char kUninstallValue[] = "UninstallString";
const std::string kFileExtsKey = FromRoot(scan_keys::kFileExts);

// The keys below a class id that may name its server or icon, in the order
// they are tried.
constexpr const char* kClassIdSuffixes[] = {"\\InprocHandler", "\\InprocHandler32", "\\LocalServer",
                                            "\\LocalServer32", "\\DefaultIcon",     "\\PersistentHandler",
                                            "\\InprocServer",  "\\InprocServer32"};

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Letters A to Z compared without case, as the registry compares names.
bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                  static_cast<int>(a.size()), b.data(),
                                                  static_cast<int>(b.size())) == CSTR_EQUAL;
}

// Whether the names hold an ASCII name, letter case aside.
bool ContainsAsciiName(const std::vector<std::string>& names, const char* wanted) {
    const size_t length = strlen(wanted);
    for (const std::string& name : names)
        if (name.size() == length && _strnicmp(name.c_str(), wanted, length) == 0) return true;
    return false;
}

using platform::RegistryKey;

// A key opened for reading only (one attempt: a key missing is the common
// case, and it should cost one call). The sections write their paths as the
// lists show them after the root's name ("\CLSID"); the key's place is the
// path below the root, without that first "\". A value of another type
// than text (a number where a path was expected, a list of lines) reads as
// no text, and the section passes it over.
RegistryKey OpenToRead(HKEY root, const std::string& shownPath) {
    const size_t below = !shownPath.empty() && shownPath[0] == '\\' ? 1 : 0;
    return RegistryKey::Open({root, shownPath.substr(below)}, KEY_READ);
}

// The whole data of a value of any type, as the ANSI calls give it.
bool RawData(const RegistryKey& registry, const std::string& name, DWORD& type, std::string& data) {
    std::vector<BYTE> bytes;
    if (platform::reg::QueryValue(registry.Get(), name, type, bytes) != ERROR_SUCCESS) return false;
    data.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return true;
}

std::string HelpReference(const std::string& name, const std::string& data) { return HelpFileReference(data, name); }
std::string FontReference(const std::string&, const std::string& data) { return FontFileReference(data); }
std::string NameAsReference(const std::string& name, const std::string&) { return name; }

std::string ExtensionOf(const std::string& path) {
    const size_t dot = path.find_last_of(".\\:");
    return dot != std::string::npos && path[dot] == '.' ? path.substr(dot) : std::string();
}

}  // namespace

// ---- Text rules ----

bool IsWindows9xFamily(const OSVERSIONINFOA& version, bool versionRead) {
    if (!versionRead || version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS || version.dwMajorVersion != 4)
        return false;
    return version.dwMinorVersion == 0 || version.dwMinorVersion == 10 || version.dwMinorVersion == 90;
}

std::string HelpFileReference(const std::string& folder, const std::string& fileName) {
    if (folder.empty() || folder.back() == '\\') return folder + fileName;
    return folder + "\\" + fileName;
}

std::string FontFileReference(const std::string& data) {
    if (data.find_first_of("\\:") != std::string::npos) return data;
    return kFontsFolder + data;
}

std::string RunHistoryReference(const std::string& data) {
    if (data.size() <= 2) return {};
    std::string reference = data.substr(0, data.size() - 2);
    if (ExtensionOf(reference) != ".exe") reference += ".exe";
    return reference;
}

std::string SharedFolderPath(const std::string& lines) {
    for (size_t start = 0; start < lines.size();) {
        size_t end = lines.find('\0', start);
        if (end == std::string::npos) end = lines.size();
        const std::string line = lines.substr(start, end - start);
        if (line.size() >= 5 && SameName(line.substr(0, 5), "Path=")) return line.substr(5);
        start = end + 1;
    }
    return {};
}

// ---- The walks most sections share ----

namespace {

// Windows 95/98/Me, from the version record read each time a section asks.
bool RunningWindows9x() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    const bool read = GetVersionExA(&version) != FALSE;
    return IsWindows9xFamily(version, read);
}

// Walks the values of root\keyPath: progress for each, then the reference
// derive(name, data) makes (data only for string values when readData;
// values of other types are passed over) is tested. Nothing when the key
// cannot be opened.
void ScanValues(SectionRun& run, HKEY root, const char* rootName, const std::string& keyPath, bool readData,
                std::string (*derive)(const std::string& name, const std::string& data)) {
    const RegistryKey key = OpenToRead(root, keyPath);
    if (!key) return;
    const std::string progressPrefix = rootName + keyPath + "\\";
    for (const std::string& name : key.ValueNames()) {
        run.KeyExamined(progressPrefix + name);
        std::string data;
        if (readData && !key.ReadText(name, data)) continue;
        run.TestReference(rootName, keyPath, name, derive(name, data));
    }
}

// What an entry walk does with an entry it cannot open.
enum class UnreadableEntry { PassOver, EndWalk };

// Walks the subkeys (the entries) of root\keyPath: progress for each, then
// the entry, opened for reading, goes to test(name, entry). Nothing when
// the key cannot be opened.
template <typename Test>
void WalkEntries(SectionRun& run, HKEY root, const char* rootName, const std::string& keyPath,
                 UnreadableEntry unreadable, Test test) {
    const RegistryKey key = OpenToRead(root, keyPath);
    if (!key) return;
    for (const std::string& name : key.SubkeyNames()) {
        const std::string entryPath = keyPath + "\\" + name;
        run.KeyExamined(rootName + entryPath);
        const RegistryKey entry = OpenToRead(root, entryPath);
        if (!entry) {
            if (unreadable == UnreadableEntry::EndWalk) return;
            continue;
        }
        test(name, entry);
    }
}

}  // namespace

// ---- The sections ----

static void ScanAppPaths(SectionRun& run) {
    // This section ends at the first entry it cannot read.
    WalkEntries(run, HKEY_LOCAL_MACHINE, kLocalMachine, kAppPathsKey, UnreadableEntry::EndWalk,
                [&](const std::string& name, const RegistryKey& entry) {
                    std::string program;
                    if (entry.ReadText("", program)) run.TestReference(kLocalMachine, kAppPathsKey, name, program);
                });
}

static void ScanClassIds(SectionRun& run) {
    const RegistryKey key = OpenToRead(HKEY_CLASSES_ROOT, kClassIdKey);
    if (!key) return;
    const std::string progressPrefix = kClassesRoot + kClassIdKey + "\\";
    for (const std::string& classId : key.SubkeyNames()) {
        run.KeyExamined(progressPrefix + classId);
        if (!StartsWith(classId, "{") || run.StopRequested()) continue;
        const std::string classPath = kClassIdKey + "\\" + classId;
        // Listing the class's few subkeys costs fewer calls than trying all
        // the suffixes, most of which a class does not have.
        const RegistryKey classKey = OpenToRead(HKEY_CLASSES_ROOT, classPath);
        const std::vector<std::string> present = classKey.SubkeyNames();
        for (const char* suffix : kClassIdSuffixes) {
            if (!ContainsAsciiName(present, suffix + 1)) continue;
            const RegistryKey server = OpenToRead(HKEY_CLASSES_ROOT, classPath + suffix);
            std::string reference;
            // A reference that is itself a class id names no file.
            if (!server || !server.ReadText("", reference) || StartsWith(reference, "{")) continue;
            run.TestReference(kClassesRoot, kClassIdKey, classId + suffix, reference);
        }
    }
}

static void ScanHelpPaths(SectionRun& run) {
    for (const std::string& keyPath : kHelpKeys)
        ScanValues(run, HKEY_LOCAL_MACHINE, kLocalMachine, keyPath, true, HelpReference);
}

static void ScanFonts(SectionRun& run) {
    const std::string& keyPath = RunningWindows9x() ? kFontsKey9x : kFontsKeyNt;
    ScanValues(run, HKEY_LOCAL_MACHINE, kLocalMachine, keyPath, true, FontReference);
}

static void ScanRunHistory(SectionRun& run) {
    const std::string keyPath = kRunHistoryKey;
    const RegistryKey key = OpenToRead(HKEY_CURRENT_USER, keyPath);
    if (!key) return;
    for (const std::string& name : key.ValueNames()) {
        if (SameName(name, "MRUList")) continue;  // the order of the entries, no entry
        run.KeyExamined(kCurrentUser + keyPath + "\\" + name);
        std::string data;
        if (key.ReadText(name, data)) run.TestReference(kCurrentUser, keyPath, name, RunHistoryReference(data));
    }
}

static void ScanMenuOrder(SectionRun& run) {
    for (const std::string& keyPath : kMenuOrderKeys) {
        WalkEntries(run, HKEY_CURRENT_USER, kCurrentUser, keyPath, UnreadableEntry::PassOver,
                    [&](const std::string& folder, const RegistryKey& entry) {
                        // A menu folder whose order holds no subfolders is
                        // left from a program that went.
                        if (!entry.HasSubkeys())
                            run.Record(MakeRegistryPath(kCurrentUser, keyPath, folder), folder, kNoFileName);
                    });
    }
}

static void ScanSharedDlls(SectionRun& run) {
    ScanValues(run, HKEY_LOCAL_MACHINE, kLocalMachine, kSharedDllsKey, false, NameAsReference);
}

static void ScanSharedFolders(SectionRun& run) {
    const bool windows9x = RunningWindows9x();
    const std::string keyPath = windows9x ? kSharesKey9x : kSharesKeyNt;
    const RegistryKey key = OpenToRead(HKEY_LOCAL_MACHINE, keyPath);
    if (!key) return;
    for (const std::string& name : key.ValueNames()) {
        // The 9x list keeps its shares under two-character names; the NT
        // list names shares as the user typed them, any length.
        if (windows9x && name.size() != 2) continue;
        run.KeyExamined(kLocalMachine + keyPath + "\\" + name);
        std::string folder;
        if (windows9x) {
            folder = name.substr(0, 1);
        } else {
            DWORD type = REG_NONE;
            std::string lines;
            if (!RawData(key, name, type, lines) || type != REG_MULTI_SZ) continue;
            folder = SharedFolderPath(lines);
        }
        if (folder.empty() || run.StopRequested() || !run.CanJudgeMissing(folder) ||
            platform::files::DirectoryExistsAnyLength(folder))
            continue;
        run.Record(MakeRegistryPath(kLocalMachine, keyPath, name), name, folder);
    }
}

static void ScanShellExtensions(SectionRun& run) {
    const std::string keyPath = kApprovedKey;
    const RegistryKey key = OpenToRead(HKEY_LOCAL_MACHINE, keyPath);
    if (!key) return;
    for (const std::string& classId : key.ValueNames()) {
        const RegistryKey server = OpenToRead(HKEY_CLASSES_ROOT, kClassIdKey + "\\" + classId + "\\InprocServer32");
        if (!server) continue;
        run.KeyExamined(kClassesRoot + keyPath + "\\" + classId);
        std::string reference;
        if (server.ReadText("", reference)) run.TestReference(kLocalMachine, keyPath, classId, reference);
    }
}

static void ScanSoundEvents(SectionRun& run) {
    const std::string keyPath = kSoundAppsKey;
    const RegistryKey key = OpenToRead(HKEY_CURRENT_USER, keyPath);
    if (!key) return;
    for (const std::string& application : key.SubkeyNames()) {
        const std::string applicationPath = keyPath + "\\" + application;
        const RegistryKey events = OpenToRead(HKEY_CURRENT_USER, applicationPath);
        if (!events) continue;
        for (const std::string& event : events.SubkeyNames()) {
            for (const char* scheme : kSoundSchemes) {
                const std::string item = application + "\\" + event + "\\" + scheme;
                const RegistryKey sound = OpenToRead(HKEY_CURRENT_USER, keyPath + "\\" + item);
                if (!sound) continue;
                run.KeyExamined(kCurrentUser + keyPath + "\\" + item);
                std::string file;
                if (sound.ReadText("", file)) run.TestReference(kCurrentUser, keyPath, item, file);
            }
        }
    }
}

static void ScanUninstall(SectionRun& run) {
    WalkEntries(run, HKEY_LOCAL_MACHINE, kLocalMachine, kUninstallKey, UnreadableEntry::PassOver,
                [&](const std::string& name, const RegistryKey& entry) {
                    std::string command;
                    if (entry.ReadText(kUninstallValue, command))
                        run.TestReference(kLocalMachine, kUninstallKey, name + "\\" + kUninstallValue, command);
                });
}

static void ScanFileExtensions(SectionRun& run) {
    const std::string keyPath = kFileExtsKey;
    const RegistryKey key = OpenToRead(HKEY_CURRENT_USER, keyPath);
    if (!key) return;
    for (const std::string& extension : key.SubkeyNames()) {
        run.KeyExamined(kCurrentUser + keyPath + "\\" + extension);
        if (!RegistryKey::Exists({HKEY_CLASSES_ROOT, extension}))
            run.Record(MakeRegistryPath(kCurrentUser, keyPath, extension), "", "");
    }
}

const std::array<SectionScan, kRegistrySectionCount> kSectionScans = {
    ScanAppPaths,   ScanClassIds,      ScanHelpPaths,       ScanFonts,       ScanRunHistory, ScanMenuOrder,
    ScanSharedDlls, ScanSharedFolders, ScanShellExtensions, ScanSoundEvents, ScanUninstall,  ScanFileExtensions};

}  // namespace registry_scan
