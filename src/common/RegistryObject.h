// TRegistry: the registry object every tool reaches the registry through.
// Created for an operation and freed at its end; freeing closes its key.
#pragma once

#include "platform/Handles.h"
#include "platform/Registry.h"

#include <stdexcept>
#include <string>
#include <vector>

// Raised by ReadString and WriteString with the message the user sees.
class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistry {
public:
    TRegistry() = default;
    explicit TRegistry(REGSAM access) : access_(access) {}
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return root_; }
    // Changing the root closes the current key.
    void SetRootKey(HKEY root);
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }
    HKEY CurrentKey() const { return current_.Get(); }
    const std::string& CurrentPath() const { return currentPath_; }

    // A path beginning with "\" is taken from the root; any other path from
    // the current key when one is open, else from the root. With create set
    // and a non-empty path, missing keys are created. Success makes the key
    // the current key.
    bool OpenKey(const std::string& path, bool create);
    // Tries KEY_READ, 0x20009 and KEY_QUERY_VALUE; the first that opens the
    // key becomes the object's access mask.
    bool OpenKeyReadOnly(const std::string& path);
    void CloseKey();

    // Clear the list, then fill it in the registry's order. A key whose
    // counts cannot be read leaves the list empty.
    void GetKeyNames(std::vector<std::string>& names) const;
    void GetValueNames(std::vector<std::string>& names) const;

    // Absent or empty value: "". Not REG_SZ/REG_EXPAND_SZ: "Invalid data type
    // for '%s'". Failed read: "Failed to get data for '%s'". Ends at the
    // first NUL.
    std::string ReadString(const std::string& name) const;
    // The text of a REG_SZ or REG_EXPAND_SZ value (up to its first NUL) in
    // one size query and one read; false, text untouched, for a value of
    // another type or one that cannot be read. Listing hundreds of values,
    // the queries ReadString and GetDataType would add are what counts.
    bool ReadStringValue(const std::string& name, std::string& text) const;
    // REG_SZ with its terminating NUL; "Failed to set data for '%s'".
    void WriteString(const std::string& name, const std::string& text) const;

    // The value's type and exact bytes, and writing them back unchanged, so
    // a value moved between keys keeps its type (REG_EXPAND_SZ stays so).
    // False when the value cannot be read or written.
    bool ReadRawValue(const std::string& name, platform::reg::RawValue& value) const;
    bool WriteRawValue(const std::string& name, const platform::reg::RawValue& value) const;

    bool ValueExists(const std::string& name) const;
    // The value's registry type, or REG_NONE when it cannot be read.
    DWORD GetDataType(const std::string& name) const;
    bool KeyExists(const std::string& path) const;
    bool HasSubKeys() const;
    // Whether the open key holds any value (its default value counts), from
    // its counts, without listing the names.
    bool HasValues() const;
    bool DeleteValue(const std::string& name) const;
    // Deletes every subkey, depth first from the last index to the first,
    // then the key itself; true when the key itself was deleted.
    bool DeleteKey(const std::string& path);

private:
    // The key a path starts from and the path relative to it.
    HKEY BaseKey(const std::string& path, std::string& relative) const;

    HKEY root_ = HKEY_CURRENT_USER;
    REGSAM access_ = KEY_ALL_ACCESS;
    platform::KeyHandle current_;
    std::string currentPath_;
};
