// RegistryKey: the one way every tool reaches the registry. A key is opened
// at a RegistryPlace (root, view and path, made once where a key enters the
// engine) and closed when the key goes; it is moved, never copied.
//
// Names and texts are in the program's code page, as the lists show them;
// a value name may hold NULs ("run\0x" is another value than "run"), which
// the calls below keep (see platform/Registry.h). The backup code, which
// keeps names in UTF-8, reads and writes through the counted wide forms.
#pragma once

#include "platform/Handles.h"
#include "platform/Registry.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

// Which registry a 64-bit program sees: its own, or the one 32-bit
// programs see (KEY_WOW64_64KEY / KEY_WOW64_32KEY); kDefault asks for neither.
enum class RegistryView { kDefault, k64, k32 };

// Where a key is: a predefined root, the view it is seen in and the path
// below the root ("" is the root itself).
struct RegistryPlace {
    HKEY root = HKEY_CURRENT_USER;
    std::string path;
    RegistryView view = RegistryView::kDefault;

    // The place of path below this one, in the same view.
    RegistryPlace Below(const std::string& below) const;
};

// Raised by ReadString and WriteString with the message the user sees.
class RegistryErrorText : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&&) noexcept = default;
    RegistryKey& operator=(RegistryKey&&) noexcept = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens the key without creating it; an invalid key when it cannot be
    // opened with that access (a key that full access cannot open counts as
    // missing for a tool that means to change it). rc, when given, gets the
    // system's code.
    static RegistryKey Open(const RegistryPlace& place, REGSAM access, LONG* rc = nullptr);
    // Opens it, creating every missing part of the path.
    static RegistryKey Create(const RegistryPlace& place, REGSAM access, LONG* rc = nullptr);
    // The first of KEY_READ, 0x20009 and KEY_QUERY_VALUE that opens it.
    static RegistryKey OpenReadOnly(const RegistryPlace& place);
    // The same with a UTF-16 path (the backup code's names).
    static RegistryKey Open(HKEY root, const std::wstring& path, REGSAM access, LONG* rc = nullptr);
    static RegistryKey Create(HKEY root, const std::wstring& path, REGSAM access, LONG* rc = nullptr);
    // Whether the key is there and may be listed and read.
    static bool Exists(const RegistryPlace& place);

    // A subkey, in the view this key was opened in.
    RegistryKey OpenBelow(const std::string& path, REGSAM access, LONG* rc = nullptr) const;
    RegistryKey OpenBelow(const std::wstring& name, REGSAM access, LONG* rc = nullptr) const;

    explicit operator bool() const { return static_cast<bool>(handle_); }
    HKEY Get() const { return handle_.Get(); }
    REGSAM Access() const { return access_; }
    // Closes the key before it goes (a key about to be deleted, say).
    void Close() { handle_.Reset(); }

    // ---- listing ---------------------------------------------------------
    // In the registry's order; a key whose counts cannot be read lists none.
    std::vector<std::string> SubkeyNames() const;
    std::vector<std::string> ValueNames() const;
    bool HasSubkeys() const;
    // Whether the key holds any value (its default value counts).
    bool HasValues() const;
    // Every subkey's whole name; needs nothing but KEY_ENUMERATE_SUB_KEYS.
    LONG CountedSubkeyNames(std::vector<std::wstring>& names) const;
    // Every value with its whole name, type and bytes, in one pass.
    LONG CountedValues(std::vector<reg::WideValue>& values) const;

    // ---- reading ---------------------------------------------------------
    // Absent or empty value: "". Not REG_SZ/REG_EXPAND_SZ: RegistryErrorText
    // "Invalid data type for '<name>'"; a failed read: "Failed to get data
    // for '<name>'". Ends at the first NUL; an expandable string is given
    // as it is stored, unexpanded.
    std::string ReadString(const std::string& name) const;
    // The text of a REG_SZ or REG_EXPAND_SZ value (up to its first NUL) in
    // one read; false, text untouched, for a value of another type or one
    // that cannot be read.
    bool ReadText(const std::string& name, std::string& text) const;
    // The value's type and exact bytes (strings in UTF-16); the form with a
    // UTF-16 name gives the system's code.
    bool ReadRaw(const std::string& name, reg::RawValue& value) const;
    LONG ReadRaw(const std::wstring& name, reg::RawValue& value) const;
    bool ValueExists(const std::string& name) const;
    // The value's type, or REG_NONE when it cannot be read.
    DWORD ValueType(const std::string& name) const;

    // ---- writing ---------------------------------------------------------
    // REG_SZ with its terminating NUL; RegistryErrorText "Failed to set data for '<name>'".
    void WriteString(const std::string& name, const std::string& text) const;
    bool WriteRaw(const std::string& name, const reg::RawValue& value) const;
    // The system's code.
    LONG WriteRaw(const std::wstring& name, const reg::RawValue& value) const;
    // Any type, as the ANSI calls take it; the system's code.
    LONG WriteValue(const std::string& name, DWORD type, const void* data, DWORD size) const;
    bool DeleteValue(const std::string& name) const;
    // Deletes the subkey at path with everything below it (depth first, from
    // the last index to the first); true when the subkey itself went. A
    // subkey whose name holds a NUL stays, and so does its parent.
    bool DeleteTree(const std::string& path) const;
    // The same for the key at place, opening what it deletes with access.
    static bool DeleteTree(const RegistryPlace& place, REGSAM access);

private:
    RegistryKey(KeyHandle handle, REGSAM access, REGSAM view) : handle_(std::move(handle)), access_(access), view_(view) {}

    KeyHandle handle_;
    REGSAM access_ = 0;
    REGSAM view_ = 0;  // the KEY_WOW64_* flag the key was opened with
};

// The KEY_WOW64_* flag of a view (0 for kDefault).
REGSAM ViewFlag(RegistryView view);

}  // namespace platform
