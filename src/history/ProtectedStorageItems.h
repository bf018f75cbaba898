// A small owner of one Protected Storage provider connection, and the lists
// its enumerations return. Every section operation makes its own, works and
// lets it go, so nothing is held between operations.
#pragma once

#include <windows.h>
#include <pstore.h>

#include "platform/Handles.h"

#include <optional>
#include <string>
#include <vector>

namespace history {

// An enumeration's result, in the service's order.
template <typename Element>
class EnumeratedList {
public:
    size_t ElementCount() const { return elements_.size(); }
    void Add(Element element) { elements_.push_back(std::move(element)); }
    const Element& Get(size_t index) const { return elements_.at(index); }
    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }

private:
    std::vector<Element> elements_;
};
// Type or subtype identifiers.
using IdList = EnumeratedList<GUID>;
// Item names, each cut to kMaxItemNameLength characters.
using ItemList = EnumeratedList<std::string>;

// The most characters of an item's name that are kept; an item with a longer
// name can no longer be read or removed under it.
constexpr size_t kMaxItemNameLength = 255;

class ProtectedStorageConnection {
public:
    ProtectedStorageConnection() = default;
    ~ProtectedStorageConnection() { Disconnect(); }
    ProtectedStorageConnection(const ProtectedStorageConnection&) = delete;
    ProtectedStorageConnection& operator=(const ProtectedStorageConnection&) = delete;

    // Whether the service (or a stand-in for it) can be reached at all.
    static bool IsAvailable();

    // Connects to the system's default provider, dropping an earlier one
    // first. False when the service is missing or gives no provider.
    bool Connect();
    void Disconnect() { provider_.Reset(); }
    bool Connected() const { return static_cast<bool>(provider_); }

    // The operations below give an empty result or false when not connected.
    // An enumeration that cannot be started gives an empty list.
    IdList GetTypes() const;
    IdList GetSubtypes(const GUID& type) const;
    ItemList GetItems(const GUID& type, const GUID& subtype) const;
    // A display name; none when the service cannot give one.
    std::optional<std::string> GetTypeName(const GUID& type) const;
    std::optional<std::string> GetSubtypeName(const GUID& type, const GUID& subtype) const;
    // The item's data; none when it cannot be read or the service returned
    // no data block.
    std::optional<std::vector<BYTE>> ReadItemData(const GUID& type, const GUID& subtype,
                                                  const std::string& itemName) const;
    bool RemoveItem(const GUID& type, const GUID& subtype, const std::string& itemName) const;
    bool RemoveSubtype(const GUID& type, const GUID& subtype) const;

private:
    // The current user's store: the only one this program touches.
    static constexpr PST_KEY kKey = PST_KEY_CURRENT_USER;
    platform::ComPtr<IPStore> provider_;
};

}  // namespace history
