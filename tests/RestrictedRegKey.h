// A registry key whose access list a test narrows for its own time: read
// only (as the machine-wide run keys are for a user without administrator
// rights), locked to everyone, or open only to the listing of its subkeys.
// The old access list comes back on scope exit, so the key can be cleaned
// up as usual.
#pragma once

#include "platform/Handles.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

namespace testing_support {

class ScopedKeyAccess {
public:
    // Creates the key when missing and gives it the access list of sddl;
    // deniedProbe: an access the list must refuse, or the test proves nothing.
    ScopedKeyAccess(HKEY root, std::string path, const char* sddl, REGSAM deniedProbe) : path_(std::move(path)) {
        Restrict(root, sddl, deniedProbe);
    }
    ~ScopedKeyAccess() {
        if (!saved_.empty()) RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, saved_.data());
    }
    ScopedKeyAccess(const ScopedKeyAccess&) = delete;
    ScopedKeyAccess& operator=(const ScopedKeyAccess&) = delete;

private:
    void Restrict(HKEY root, const char* sddl, REGSAM deniedProbe) {
        platform::KeyHandle created;
        ASSERT_EQ(platform::reg::CreateKey(root, path_, KEY_READ, created), ERROR_SUCCESS) << path_;
        // Held open to put the old list back: the narrowed one may not let it open again.
        ASSERT_EQ(platform::reg::OpenKey(root, path_, READ_CONTROL | WRITE_DAC, key_), ERROR_SUCCESS) << path_;
        DWORD size = 0;
        RegGetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        std::vector<BYTE> saved(size, 0);
        ASSERT_EQ(RegGetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, saved.data(), &size), ERROR_SUCCESS);
        PSECURITY_DESCRIPTOR narrowed = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &narrowed, nullptr));
        const LONG rc = RegSetKeySecurity(key_.Get(), DACL_SECURITY_INFORMATION, narrowed);
        LocalFree(narrowed);
        ASSERT_EQ(rc, ERROR_SUCCESS);
        saved_ = std::move(saved);
        platform::KeyHandle probe;
        ASSERT_EQ(platform::reg::OpenKey(root, path_, deniedProbe, probe), ERROR_ACCESS_DENIED) << path_;
    }

    std::string path_;
    platform::KeyHandle key_;
    std::vector<BYTE> saved_;
};

// Everyone may read it, nobody may write it.
class ScopedReadOnlyKey : public ScopedKeyAccess {
public:
    ScopedReadOnlyKey(HKEY root, std::string path)
        : ScopedKeyAccess(root, std::move(path), "D:P(A;;KR;;;WD)", KEY_SET_VALUE) {}
};

// Nobody may open it.
class ScopedLockedKey : public ScopedKeyAccess {
public:
    ScopedLockedKey(HKEY root, std::string path) : ScopedKeyAccess(root, std::move(path), "D:P", KEY_READ) {}
};

// Its subkeys may be listed, nothing else.
class ScopedListOnlyKey : public ScopedKeyAccess {
public:
    ScopedListOnlyKey(HKEY root, std::string path)
        : ScopedKeyAccess(root, std::move(path), "D:P(A;;0x8;;;WD)", KEY_QUERY_VALUE) {}
};

}  // namespace testing_support
