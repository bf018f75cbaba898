// The registry keys the scanner's sections walk, below their roots, written
// once: the sections read them, and the fix keeps them from being deleted.
#pragma once

namespace registry_scan::scan_keys {

inline constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";      // HKLM
inline constexpr char kClassIds[] = "CLSID";                                                          // HKCR
inline constexpr char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";                                // HKLM
inline constexpr char kHtmlHelp[] = "SOFTWARE\\Microsoft\\Windows\\HTML Help";                       // HKLM
inline constexpr char kFonts9x[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";            // HKLM
inline constexpr char kFontsNt[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";         // HKLM
inline constexpr char kRunHistory[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";  // HKCU
inline constexpr char kMenuOrder2[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs";  // HKCU
inline constexpr char kMenuOrder[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";  // HKCU
inline constexpr char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";    // HKLM
inline constexpr char kShares9x[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Network\\LanMan";  // HKLM
inline constexpr char kSharesNt[] = "SYSTEM\\ControlSet001\\Services\\lanmanserver\\Shares";         // HKLM
inline constexpr char kApproved[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";  // HKLM
inline constexpr char kSoundApps[] = "AppEvents\\Schemes\\Apps";                                      // HKCU
inline constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";      // HKLM
inline constexpr char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";  // HKCU

}  // namespace registry_scan::scan_keys
