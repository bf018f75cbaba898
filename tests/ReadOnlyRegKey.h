// A registry key whose security lets everyone read it and nobody write it,
// as the machine-wide run keys are for a user without administrator rights.
#pragma once

#include "platform/Handles.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

namespace testing_support {

class ScopedReadOnlyKey {
public:
    // Creates the key when missing and restricts it; the old security comes
    // back on scope exit, so the key can be cleaned up as usual.
    ScopedReadOnlyKey(HKEY root, std::string path) : root_(root), path_(std::move(path)) { Restrict(); }
    ~ScopedReadOnlyKey() {
        platform::KeyHandle key;
        if (saved_.empty() || platform::reg::OpenKey(root_, path_, WRITE_DAC, key) != ERROR_SUCCESS) return;
        RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, saved_.data());
    }
    ScopedReadOnlyKey(const ScopedReadOnlyKey&) = delete;
    ScopedReadOnlyKey& operator=(const ScopedReadOnlyKey&) = delete;

private:
    void Restrict() {
        platform::KeyHandle key;
        ASSERT_EQ(platform::reg::CreateKey(root_, path_, KEY_ALL_ACCESS, key), ERROR_SUCCESS) << path_;
        DWORD size = 0;
        RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.assign(size, 0);
        ASSERT_EQ(RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, saved_.data(), &size), ERROR_SUCCESS);
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                                         &readOnly, nullptr));
        const LONG rc = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, readOnly);
        LocalFree(readOnly);
        ASSERT_EQ(rc, ERROR_SUCCESS);
        platform::KeyHandle probe;  // the restriction must hold, or the test proves nothing
        ASSERT_EQ(platform::reg::OpenKey(root_, path_, KEY_SET_VALUE, probe), ERROR_ACCESS_DENIED) << path_;
    }

    HKEY root_;
    std::string path_;
    std::vector<BYTE> saved_;
};

}  // namespace testing_support
