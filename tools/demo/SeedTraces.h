// What the demo seeders share: values and files written only when they are
// not there yet, so seeding twice changes nothing.
#pragma once

#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Registry.h"

#include <string>
#include <utility>
#include <vector>

namespace demo {

using Values = std::vector<std::pair<std::string, std::string>>;

// String values in a key (made when missing); a value already there is left as it is.
inline void SeedValues(HKEY root, const std::string& path, const Values& values) {
    platform::KeyHandle key;
    if (platform::reg::CreateKey(root, path, KEY_QUERY_VALUE | KEY_SET_VALUE, key) != ERROR_SUCCESS) return;
    for (const auto& [name, text] : values) {
        DWORD type = 0, size = 0;
        if (platform::reg::QueryValueInfo(key.Get(), name, type, size) != ERROR_SUCCESS)
            platform::reg::SetString(key.Get(), name, text);
    }
}

// A file with its folder, unless it exists.
inline void SeedFile(const std::string& path, const std::string& contents) {
    namespace files = platform::files;
    if (files::FileExists(path)) return;
    files::CreateFolderPath(files::ExtractFilePath(path));
    files::WriteFileBytes(path, contents);
}

}  // namespace demo
