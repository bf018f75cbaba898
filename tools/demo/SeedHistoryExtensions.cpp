// The demo machine's browser add-ons: downloaded program files, helper
// objects, toolbars, buttons and other plug-ins, some with files on disk and
// some without. Everything is written only when missing, so seeding twice
// changes nothing, and a demo start after a clean-up leaves the clean-up be
// (the seed runs once per machine under its own marker).
#include "SeedTraces.h"
#include "common/Common.h"
#include "history/ExtensionHistory.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Registry.h"

#include <string>
#include <utility>
#include <vector>

void SeedExtensionTraces();

using namespace history;

namespace {

namespace files = platform::files;
using demo::SeedValues;
using demo::Values;

const std::string kAddOnFolder = "C:\\Program Files\\Orvelin Demo Add-ons";
const std::string kTrayHelper = "C:\\Program Files\\Orvelin Demo\\Tray Helper.exe";

void AddOnKey(HKEY root, const std::string& path) {
    platform::KeyHandle key;
    platform::reg::CreateKey(root, path, KEY_QUERY_VALUE, key);
}

void AddOnFile(const std::string& path) {
    if (files::FileExists(path)) return;
    files::CreateFolderPath(files::ExtractFilePath(path));
    files::WriteFileBytes(path, "MZ");
}

// A class: its display name and module.
void AddOnClass(const std::string& id, const std::string& name, const std::string& module) {
    SeedValues(HKEY_CLASSES_ROOT, "CLSID\\" + id, {{"", name}});
    if (!module.empty()) SeedValues(HKEY_CLASSES_ROOT, "CLSID\\" + id + "\\InprocServer32", {{"", module}});
}

std::string Below(const char* key, const std::string& name) { return std::string(key) + "\\" + name; }

void SeedDownloadedProgramFiles() {
    const std::string downloaded = WindowsDirectory() + "\\Downloaded Program Files\\";
    // A viewer control: its files in the downloaded-files folder (which the
    // clean-up leaves alone) and a helper library of its own.
    const std::string viewer = "{3C1F8A52-7E44-4B8D-A1C9-5D2E6F7A8B91}";
    const std::string viewerOcx = downloaded + "panoview.ocx";
    const std::string viewerHelper = kAddOnFolder + "\\PanoView\\pvhelper.dll";
    AddOnFile(viewerOcx);
    AddOnFile(viewerHelper);
    SeedValues(HKEY_LOCAL_MACHINE, Below(kDistributionUnitsKey, viewer) + "\\Contains\\Files",
                {{viewerOcx, ""}, {viewerHelper, ""}});
    SeedValues(HKEY_LOCAL_MACHINE, Below(kDistributionUnitsKey, viewer) + "\\DownloadInformation",
                {{"CODEBASE", "http://panoview.example/cab/panoview.cab"}, {"INF", downloaded + "panoview.inf"}});
    AddOnClass(viewer, "PanoView 360 Control", viewerOcx);
    SeedValues(HKEY_CLASSES_ROOT, "PanoView.Control\\CLSID", {{"", viewer}});
    SeedValues(HKEY_LOCAL_MACHINE, Below(kInstalledComponentsKey, viewer), {{"", "PanoView 360"}});
    std::string moduleName = viewerHelper;
    for (char& c : moduleName)
        if (c == '\\') c = '/';
    SeedValues(HKEY_LOCAL_MACHINE, Below(kModuleUsageKey, moduleName), {{".Owner", viewer}});

    // A game loader whose class is gone: listed under its class id.
    const std::string loader = "{A7D30E19-2B6C-4F85-9E03-C41B7A2D6E58}";
    SeedValues(HKEY_LOCAL_MACHINE, Below(kDistributionUnitsKey, loader) + "\\DownloadInformation",
                {{"CODEBASE", "http://arcade.example/loader.cab"}});

    // A unit installed under a plain name, without files.
    SeedValues(HKEY_LOCAL_MACHINE, Below(kDistributionUnitsKey, "Java Runtime Plug-in Helper") +
                                        "\\DownloadInformation",
                {{"CODEBASE", "http://java.example/jinstall.cab"}});
}

void SeedHelperObjects() {
    const std::string linkChecker = "{5E2B9C71-0A3D-4F68-B7E1-92C4D8A6F305}";
    const std::string linkModule = kAddOnFolder + "\\LinkGuard\\linkguard.dll";
    AddOnFile(linkModule);
    AddOnKey(HKEY_LOCAL_MACHINE, Below(kBrowserHelperObjectsKey, linkChecker));
    AddOnClass(linkChecker, "LinkGuard Safe Browsing", linkModule);
    SeedValues(HKEY_CLASSES_ROOT, "LinkGuard.Helper\\CLSID", {{"", linkChecker}});

    const std::string shopper = "{C0FFEE12-3456-4789-ABCD-0123456789EF}";
    AddOnKey(HKEY_LOCAL_MACHINE, Below(kBrowserHelperObjectsKey, shopper));
    AddOnClass(shopper, "Price Hunter Assistant", "C:\\Program Files\\Price Hunter\\phbho.dll");

    // A helper object registered under a name that is no class id: listed,
    // but Delete cannot clear it.
    AddOnKey(HKEY_LOCAL_MACHINE, Below(kBrowserHelperObjectsKey, "SearchSpy Helper"));
}

void SeedToolbars() {
    // A toolbar with an uninstaller that only waits a second and ends.
    const std::string searchBar = "{8F4E2A61-9C3B-4D17-A5E8-0B6C2D4F7A93}";
    const std::string searchModule = kAddOnFolder + "\\QuickFind\\qfbar.dll";
    AddOnFile(searchModule);
    SeedValues(HKEY_LOCAL_MACHINE, kToolbarsKey, {{searchBar, ""}});
    SeedValues(HKEY_CURRENT_USER, kUserToolbarsKey, {{searchBar, ""}});
    AddOnClass(searchBar, "&QuickFind Toolbar", searchModule);
    SeedValues(HKEY_LOCAL_MACHINE, Below(kUninstallKey, "QuickFind Toolbar"),
                {{"DisplayName", "QuickFind Toolbar"}, {"UninstallString", "\"" + kTrayHelper + "\" 1"}});

    // A toolbar without a module key and without an uninstaller: Delete stays off.
    const std::string weatherBar = "{1D9A7B35-6E2C-4A80-93F4-E5B7C1D02A46}";
    SeedValues(HKEY_LOCAL_MACHINE, kToolbarsKey, {{weatherBar, ""}});
    AddOnClass(weatherBar, "Weather Ticker Bar", "");

    // A toolbar value whose class is gone: not listed.
    SeedValues(HKEY_LOCAL_MACHINE, kToolbarsKey, {{"{0B7C4E29-D1A3-4F56-8B90-2C6E4A8D1F73}", ""}});
}

void SeedButtonsAndPlugins() {
    const std::string folder = kAddOnFolder + "\\Buttons\\";
    AddOnFile(folder + "notes.exe");
    SeedValues(HKEY_LOCAL_MACHINE, Below(kExtensionsKey, "{2E8B4D17-5A93-4C6F-B0E1-7D3A9C5F2B84}"),
                {{"ButtonText", "Quick Notes"},
                 {"Default Visible", "Yes"},
                 {"Exec", folder + "notes.exe"},
                 {"Icon", folder + "notes.exe,101"}});
    SeedValues(HKEY_LOCAL_MACHINE, Below(kExtensionsKey, "{6C1A9E38-B24D-4F07-85A3-D9E0F1B2C347}"),
                {{"ButtonText", "Translate Page"},
                 {"Default Visible", "No"},
                 {"Script", "C:\\Program Files\\Translator\\translate.htm"}});
    // Other plug-ins: a menu entry, a button without a visibility setting,
    // and an extension that names nothing.
    SeedValues(HKEY_LOCAL_MACHINE, Below(kExtensionsKey, "{9A3F0C52-E71B-4D86-A4C9-3B5E8D0F6A21}"),
                {{"MenuText", "Send Page by Mail"}, {"Exec", "C:\\Program Files\\MailIt\\mailit.exe"}});
    SeedValues(HKEY_LOCAL_MACHINE, Below(kExtensionsKey, "{D4E6B1A8-3C25-4F90-8E7D-6A1B2C3D4E5F}"),
                {{"ButtonText", "Research"}, {"Script", "C:\\Program Files\\Research\\panel.htm"}});
    AddOnKey(HKEY_LOCAL_MACHINE, Below(kExtensionsKey, "{F1E2D3C4-B5A6-4978-8A9B-0C1D2E3F4A5B}"));
}

}  // namespace

void SeedExtensionTraces() {
    SeedDownloadedProgramFiles();
    SeedHelperObjects();
    SeedToolbars();
    SeedButtonsAndPlugins();
}
