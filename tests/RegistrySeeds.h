// Registry keys and values seeded for a test and removed after it.
#pragma once

#include "EngineTestSupport.h"

#include "platform/Handles.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// Keys and values a test seeds. Values written into a key that was there go
// one by one; a key the seeding had to make goes whole, from its first level
// that was missing.
class RegistrySeeds {
public:
    RegistrySeeds() = default;
    RegistrySeeds(const RegistrySeeds&) = delete;
    RegistrySeeds& operator=(const RegistrySeeds&) = delete;
    ~RegistrySeeds() {
        for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
            platform::KeyHandle key;
            if (platform::reg::OpenKey(it->root, it->path, KEY_SET_VALUE, key) == ERROR_SUCCESS)
                platform::reg::DeleteValue(key.Get(), it->name);
        }
        for (auto it = madeKeys_.rbegin(); it != madeKeys_.rend(); ++it) DeleteRegTree(it->first, it->second);
    }

    void Key(HKEY root, const std::string& path) { Open(root, path); }
    void Text(HKEY root, const std::string& path, const std::string& name, const std::string& data) {
        Typed(root, path, name, REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1));
    }
    void Number(HKEY root, const std::string& path, const std::string& name, DWORD data) {
        Typed(root, path, name, REG_DWORD, &data, sizeof(data));
    }
    void Lines(HKEY root, const std::string& path, const std::string& name, const std::string& data) {
        Typed(root, path, name, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size()));
    }

private:
    struct Value {
        HKEY root;
        std::string path, name;
    };

    void Typed(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
               DWORD size) {
        platform::KeyHandle key = Open(root, path);
        ASSERT_TRUE(key) << path;
        values_.push_back({root, path.substr(1), name});
        ASSERT_EQ(platform::reg::SetValue(key.Get(), name, type, data, size), ERROR_SUCCESS) << path << "|" << name;
    }

    // Opens root\path (a leading "\"), making what is missing and noting
    // the first level it made.
    platform::KeyHandle Open(HKEY root, const std::string& path) {
        const std::string relative = path.substr(1);
        for (size_t end = 0; end != std::string::npos;) {
            end = relative.find('\\', end + 1);
            const std::string level = relative.substr(0, end);
            if (!RegKeyExists(root, level)) {
                madeKeys_.push_back({root, level});
                break;
            }
        }
        platform::KeyHandle key;
        EXPECT_EQ(platform::reg::CreateKey(root, relative, KEY_ALL_ACCESS, key), ERROR_SUCCESS) << path;
        return key;
    }

    std::vector<Value> values_;
    std::vector<std::pair<HKEY, std::string>> madeKeys_;
};

}  // namespace testing_support
