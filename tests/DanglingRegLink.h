// A registry link key whose target does not exist: its parent lists it, but
// opening it fails with "file not found", not "access denied" — a key that a
// whole-root backup cannot read for another reason than protection (as
// Perflib\009 under Wine, which answers "Invalid handle").
#pragma once

#include "RegSeed.h"

#include "platform/Handles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace testing_support {

class ScopedDanglingLink {
public:
    // parent: below HKEY_CURRENT_USER, made when missing; name: the link's name.
    ScopedDanglingLink(const std::string& parent, const std::string& name) : parent_(parent), name_(name) { Make(); }
    ~ScopedDanglingLink() {
        // Opened as the link itself: any other open would follow it.
        platform::KeyHandle parent, link;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, W(parent_).c_str(), 0, KEY_READ, parent.Put()) != ERROR_SUCCESS) return;
        if (RegOpenKeyExW(parent.Get(), W(name_).c_str(), REG_OPTION_OPEN_LINK, DELETE, link.Put()) != ERROR_SUCCESS)
            return;
        using DeleteKey = LONG(NTAPI*)(HANDLE);
        // Through void*, as GetProcAddress's own type fits no real function.
        const auto deleteKey = reinterpret_cast<DeleteKey>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
        if (deleteKey) deleteKey(link.Get());
    }
    ScopedDanglingLink(const ScopedDanglingLink&) = delete;
    ScopedDanglingLink& operator=(const ScopedDanglingLink&) = delete;

    std::string Relative() const { return parent_ + "\\" + name_; }

private:
    void Make() {
        platform::KeyHandle parent, link;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, W(parent_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  parent.Put(), nullptr),
                  ERROR_SUCCESS);
        // Volatile, so a test that dies leaves nothing after the machine's next start.
        ASSERT_EQ(RegCreateKeyExW(parent.Get(), W(name_).c_str(), 0, nullptr,
                                  REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, link.Put(),
                                  nullptr),
                  ERROR_SUCCESS);
        const std::wstring target = L"\\Registry\\Machine\\Software\\OrvelinTestsNowhere" +
                                    std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(target.data()),
                                 static_cast<DWORD>(target.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        platform::KeyHandle probe;  // it must fail, and not for want of access, or the test proves nothing
        const LONG rc = RegOpenKeyExW(parent.Get(), W(name_).c_str(), 0, KEY_READ, probe.Put());
        ASSERT_NE(rc, ERROR_SUCCESS);
        ASSERT_NE(rc, ERROR_ACCESS_DENIED);
    }

    std::string parent_, name_;
};

}  // namespace testing_support
