// FileVersionInfo: the file a command line starts, and that file's version
// resource. The main window owns the one instance the program uses.
#pragma once

#include "formats/CommandLinePath.h"

#include <string>

class FileVersionInfo {
public:
    static constexpr const char* kNotAvailable = "<info not available>";

    // Describes the running program until the first other GetInfo.
    FileVersionInfo();

    // The file path a command line starts (may not exist). Leaves the
    // properties as they are.
    std::string Pars(const std::string& commandLine) const;
    // The same against folders the caller read once (SystemPathEnvironment):
    // reading them costs more than the rest of Pars, so a listing reads them
    // once and not for every row.
    std::string Pars(const std::string& commandLine, const PathEnvironment& folders) const;

    // Pars, then fills every property from that file's version resource and
    // sets ParsLocation. Never throws for a missing or resource-less file.
    void GetInfo(const std::string& commandLine);

    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string Internalname;
    std::string LegalCopyright;
    std::string LegalTradeMarks;
    std::string OriginalFilename;
    std::string ProductName;
    std::string ProductVersion;
    std::string Comments;
    std::string MajorVersion;
    std::string MinorVersion;
    std::string Release;
    std::string Build;
    std::string Compiled;
    std::string DirectShow;
    std::string OLESelfRegister;
    std::string ParsLocation;

private:
    void SetAllValues(const std::string& value);
    void SplitFileVersion();
};

// The folders bare names and folder variables of command lines resolve
// against, as the system gives them now.
PathEnvironment SystemPathEnvironment();

// The four parts of a file version text ("1.2.3.4", "1, 2, 3, 4", "5.6").
struct FileVersionParts {
    std::string major, minor, release, build;
};
FileVersionParts SplitFileVersionText(const std::string& fileVersion);
