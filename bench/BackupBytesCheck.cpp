// Makes backup points of one seeded key tree, values of every type included,
// into the folder given as the argument, so that the bytes of the registry
// files and manifests two builds write can be compared (cmp -r). The seed is
// removed again before the program ends.
#include "backup/BackupPoint.h"
#include "backup/RegistryTree.h"
#include "platform/Files.h"
#include "platform/Registry.h"

#include <cstdio>
#include <string>

namespace {

const char* const kSeedPath = "Software\\OrvelinBackupBytesCheck";

void Put(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    if (platform::reg::SetValue(key, name, type, data, size) != ERROR_SUCCESS)
        std::printf("cannot write %s\n", name.c_str());
}

void PutRaw(HKEY key, const std::string& name, DWORD type, const std::wstring& wide) {
    const BYTE* first = reinterpret_cast<const BYTE*>(wide.data());
    platform::reg::SetRawValue(key, name, {type, std::vector<BYTE>(first, first + wide.size() * sizeof(wchar_t))});
}

void SeedValues(HKEY root, const std::string& path, bool full) {
    platform::KeyHandle key;
    if (platform::reg::CreateKey(root, path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return;
    const DWORD number = 0x12345678;
    const unsigned long long quad = 0x0102030405060708ULL;
    const BYTE bytes[] = {0, 1, 2, 0xFE, 0xFF};
    platform::reg::SetString(key.Get(), "", "the default");
    platform::reg::SetString(key.Get(), "Text", "plain text");
    Put(key.Get(), "Expand", REG_EXPAND_SZ, "%SystemRoot%\\system32\\x.exe", 28);
    platform::reg::SetString(key.Get(), std::string("run\0hidden", 10), "behind a NUL");
    if (!full) return;
    Put(key.Get(), "Lines", REG_MULTI_SZ, "one\0two\0\0", 9);
    Put(key.Get(), "Number", REG_DWORD, &number, sizeof(number));
    Put(key.Get(), "Big", REG_DWORD_BIG_ENDIAN, &number, sizeof(number));
    Put(key.Get(), "Quad", REG_QWORD, &quad, sizeof(quad));
    Put(key.Get(), "Bytes", REG_BINARY, bytes, sizeof(bytes));
    Put(key.Get(), "Nothing", REG_NONE, nullptr, 0);
    Put(key.Get(), "Odd type", 0x1234, bytes, 3);
    Put(key.Get(), "Empty text", REG_SZ, nullptr, 0);
    PutRaw(key.Get(), "After NUL", REG_SZ, std::wstring(L"shown\0hidden\0", 13));
    PutRaw(key.Get(), "Odd length", REG_EXPAND_SZ, std::wstring(L"%TEMP%"));
    PutRaw(key.Get(), std::string("\0lead", 5), REG_EXPAND_SZ, std::wstring(L"%APPDATA%\\y\0", 12));
}

void Seed() {
    SeedValues(HKEY_CURRENT_USER, kSeedPath, true);
    SeedValues(HKEY_CURRENT_USER, std::string(kSeedPath) + "\\Sub\\Deeper", true);
    SeedValues(HKEY_CURRENT_USER, std::string(kSeedPath) + "\\Sub\\Second", false);
    platform::KeyHandle empty;
    platform::reg::CreateKey(HKEY_CURRENT_USER, std::string(kSeedPath) + "\\Empty", KEY_ALL_ACCESS, empty);
    SeedValues(HKEY_LOCAL_MACHINE, kSeedPath, false);
}

void DeleteTree(HKEY root, const std::string& path) {
    platform::KeyHandle key;
    if (platform::reg::OpenKey(root, path, KEY_ALL_ACCESS, key) == ERROR_SUCCESS) {
        platform::reg::KeyCounts counts;
        platform::reg::QueryCounts(key.Get(), counts);
        for (DWORD index = counts.subKeys; index-- > 0;) {
            std::string name;
            if (platform::reg::EnumKeyName(key.Get(), index, name) == ERROR_SUCCESS) DeleteTree(root, path + "\\" + name);
        }
    }
    key.Reset();
    platform::reg::DeleteKey(root, path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: check_backup_bytes <empty folder, Windows path with a trailing \\>\n");
        return 2;
    }
    const std::string folder = argv[1];
    Seed();
    const SYSTEMTIME now{2026, 1, 5, 2, 3, 4, 5, 0};
    const std::vector<backup::BackupItem> items = {
        {"HKEY_CURRENT_USER", kSeedPath, true, ""},
        {"HKEY_LOCAL_MACHINE", kSeedPath, false, std::string("run\0hidden", 10)},
        {"HKEY_LOCAL_MACHINE", kSeedPath, false, ""},
        {"HKEY_LOCAL_MACHINE", kSeedPath, false, "Expand"},
    };
    std::string point, error;
    int failures = 0;
    if (!backup::BackUpBeforeDelete(folder, now, items, point, error, "Bytes check: items")) {
        std::printf("items: %s\n", error.c_str());
        ++failures;
    }
    // A whole tree through the export that lists what it cannot read.
    std::vector<backup::RegKeyData> keys;
    std::vector<backup::LeftOutKey> leftOut;
    if (!backup::ExportRegistryTree("HKEY_CURRENT_USER", kSeedPath, keys, error, &leftOut)) {
        std::printf("export: %s\n", error.c_str());
        ++failures;
    } else if (!platform::files::CreateFolderPath(folder + "Tree\\") ||
               backup::MergeIntoRootFile(folder + "Tree\\", 2, keys, error, leftOut, "Bytes check: tree") !=
               backup::MergeResult::kWritten) {
        std::printf("tree: %s\n", error.c_str());
        ++failures;
    }
    DeleteTree(HKEY_CURRENT_USER, kSeedPath);
    DeleteTree(HKEY_LOCAL_MACHINE, kSeedPath);
    std::printf("%s\n", failures ? "FAILED" : "written");
    return failures;
}
