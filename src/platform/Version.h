// Version resources of files, and the system the program runs on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::version {

// GetFileVersionInfoSizeA; 0 when the file has no version resource.
DWORD InfoSize(const std::string& path);

// GetFileVersionInfoA into a zero-filled buffer of size bytes.
bool ReadInfo(const std::string& path, DWORD size, std::vector<BYTE>& block);

// VerQueryValueA with the sub-block text passed unchanged. On success data
// points into block and length is what the query reported.
bool QueryValue(const std::vector<BYTE>& block, const std::string& subBlock, const void*& data,
                UINT& length);

}  // namespace platform::version

namespace platform {

// True when the program runs under Wine (its ntdll exports wine_get_version),
// for the few places where Wine's programs read settings otherwise.
bool RunsUnderWine();

}  // namespace platform
