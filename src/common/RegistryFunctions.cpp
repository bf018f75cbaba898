// Registry root keys and their names.
#include "common/RegistryFunctions.h"

#include <iterator>

namespace {

struct RootName {
    HKEY root;
    const char* name;
};

const RootName kRootNames[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};

}  // namespace

HKEY RootKeyFromName(const std::string& name) {
    const RootName recognised[] = {
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
        {HKEY_USERS, "HKEY_USERS"},
        {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    };
    for (const RootName& entry : recognised)
        if (name == entry.name) return entry.root;
    return HKEY_CLASSES_ROOT;
}

void RootKeyName(HKEY root, std::string& name) {
    for (const RootName& entry : kRootNames)
        if (entry.root == root) {
            name = entry.name;
            return;
        }
}

std::string RootKeyName(HKEY root) {
    std::string name;
    RootKeyName(root, name);
    return name;
}

std::string ShownValueName(const std::string& name) {
    std::string shown;
    shown.reserve(name.size());
    for (char c : name) {
        if (c == '\0')
            shown += "\\0";
        else
            shown += c;
    }
    return shown;
}
