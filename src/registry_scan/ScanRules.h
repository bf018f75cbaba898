// How the scanner's sections turn registry data into the file reference they
// test; text rules only, so they are the same on every machine.
#pragma once

#include <windows.h>

#include <string>

namespace registry_scan {

// The 95/98/Me family: the 9x platform with version 4.0, 4.10 or 4.90. A
// record that could not be read counts as the NT family.
bool IsWindows9xFamily(const OSVERSIONINFOA& version, bool versionRead);

// A help value: its data is a folder and its name the help file.
std::string HelpFileReference(const std::string& folder, const std::string& fileName);

// A font value's data; a bare file name lies in the fixed fonts folder
// "C:\WINDOWS\FONTS\" (that folder, whatever the Windows folder is).
std::string FontFileReference(const std::string& data);

// A run-history value ends in "\1" or the like: that goes, and a program
// without the exact extension ".exe" gets it. Empty for data too short to
// name anything.
std::string RunHistoryReference(const std::string& data);

// The folder a share entry (one "Name=Value" line after another, each ended
// by a NUL) shares: its "Path=" line; empty when it has none.
std::string SharedFolderPath(const std::string& lines);

}  // namespace registry_scan
