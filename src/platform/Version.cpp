// Version resources of files.
#include "platform/Version.h"

namespace platform::version {

DWORD InfoSize(const std::string& path) {
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(path.c_str(), &handle);
}

bool ReadInfo(const std::string& path, DWORD size, std::vector<BYTE>& block) {
    block.assign(size, 0);
    return GetFileVersionInfoA(path.c_str(), 0, size, block.data()) != 0;
}

bool QueryValue(const std::vector<BYTE>& block, const std::string& subBlock, const void*& data,
                UINT& length) {
    void* value = nullptr;
    length = 0;
    if (block.empty() ||
        !VerQueryValueA(block.data(), subBlock.c_str(), &value, &length) || !value)
        return false;
    data = value;
    return true;
}

}  // namespace platform::version

namespace platform {

bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace platform
