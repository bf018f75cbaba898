// What refers to the files of Internet Explorer's add-ons: every class's
// server keys (both registry views), the module usage keys' clients and the
// shared-DLL counts, read once before a Delete or a Delete All removes any
// add-on, so that a file another program still uses is never deleted.
#pragma once

#include "platform/RegistryKey.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace history {

class AddOnReferences {
public:
    // Reads them all from the registry.
    static AddOnReferences Read();

    // Whether anything but the add-on's own keys still refers to the file:
    // the server key of a class other than ownClassId ("" for none), a
    // client of the file's module usage key other than ownClassId, or a
    // shared-DLL count above 1 (a count of 1 is the add-on's own). Paths
    // compare by common::PathKey.
    bool UsedByOthers(const std::string& path, const std::string& ownClassId) const;

    // The names of the shared-DLL values (native view) that name the file.
    std::vector<std::string> SharedDllValueNames(const std::string& path) const;

    // Read again after a removal changed them, so that the next row of a
    // Delete All sees what is left: the class's server keys, the module
    // usage key named module, the shared-DLL values naming the file.
    void ReadClassAgain(const std::string& classId);
    void ReadModuleUsageAgain(const std::string& module);
    void ReadSharedDllAgain(const std::string& path);

    // A module usage key's clients: its value names but the default value,
    // ".Owner" and ".FileVersion".
    static std::vector<std::string> ModuleClients(const platform::RegistryKey& moduleKey);

private:
    struct ServerReference {
        std::string classId;
        platform::RegistryView view;
    };
    struct SharedCount {
        std::string valueName;
        DWORD count;
    };
    void ReadClass(const std::string& classId, platform::RegistryView view);
    void ReadModuleUsage(const std::string& module);

    std::map<std::string, std::vector<ServerReference>> servers_;  // by file
    // by file, then by the module usage key's name
    std::map<std::string, std::map<std::string, std::vector<std::string>>> moduleClients_;
    std::map<std::string, std::vector<SharedCount>> sharedCounts_;  // by file
};

}  // namespace history
