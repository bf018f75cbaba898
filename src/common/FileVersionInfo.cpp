// FileVersionInfo: command-line paths and version resources.
#include "common/FileVersionInfo.h"

#include "common/Common.h"
#include "formats/CommandLinePath.h"
#include "platform/Files.h"
#include "platform/Version.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Sub-block texts keep their doubled separators; the version query skips
// empty path components.
const char kTranslationBlock[] = "\\\\VarFileInfo\\\\Translation";
const char kStringBlockFormat[] = "\\\\StringFileInfo\\\\%.4x%.4x\\\\";

// Text before the first separator, and the rest after it.
void CutAtSeparator(const std::string& text, char separator, std::string& before,
                    std::string& rest) {
    size_t at = text.find(separator);
    if (at == std::string::npos) {
        before.clear();
        rest = text;
    } else {
        before = text.substr(0, at);
        rest = text.substr(at + 1);
    }
}

}  // namespace

PathEnvironment SystemPathEnvironment() {
    return PathEnvironment{platform::files::FileExists, WindowsDirectory(), RawSystemDirectory(),
                           SpecialFolderPath(kCsidlProgramFiles)};
}

FileVersionParts SplitFileVersionText(const std::string& fileVersion) {
    const std::string na = FileVersionInfo::kNotAvailable;
    char separator = fileVersion.find('.') != std::string::npos   ? '.'
                     : fileVersion.find(',') != std::string::npos ? ','
                                                                   : '\0';
    if (fileVersion.empty() || separator == '\0') return {na, na, na, na};
    FileVersionParts parts;
    std::string rest;
    size_t at = fileVersion.find(separator);
    parts.major = fileVersion.substr(0, at);
    rest = fileVersion.substr(at + 1);
    CutAtSeparator(std::string(rest), separator, parts.minor, rest);
    CutAtSeparator(std::string(rest), separator, parts.release, rest);
    parts.build = rest;
    return parts;
}

FileVersionInfo::FileVersionInfo() { GetInfo(platform::files::ModuleFileName()); }

std::string FileVersionInfo::Pars(const std::string& commandLine) const {
    return Pars(commandLine, SystemPathEnvironment());
}

std::string FileVersionInfo::Pars(const std::string& commandLine, const PathEnvironment& folders) const {
    return ExtractCommandLinePath(commandLine, folders);
}

void FileVersionInfo::SetAllValues(const std::string& value) {
    for (std::string* field : {&CompanyName, &FileDescription, &FileVersion, &Internalname,
                               &LegalCopyright, &LegalTradeMarks, &OriginalFilename, &ProductName,
                               &ProductVersion, &Comments, &MajorVersion, &MinorVersion, &Release,
                               &Build, &Compiled, &DirectShow, &OLESelfRegister})
        *field = value;
}

void FileVersionInfo::SplitFileVersion() {
    FileVersionParts parts = SplitFileVersionText(FileVersion);
    MajorVersion = parts.major;
    MinorVersion = parts.minor;
    Release = parts.release;
    Build = parts.build;
}

void FileVersionInfo::GetInfo(const std::string& commandLine) {
    const std::string path = Pars(commandLine);
    ParsLocation = path;
    DWORD size = platform::version::InfoSize(path);
    std::vector<BYTE> block;
    const void* data = nullptr;
    UINT length = 0;
    if (size == 0 || !platform::version::ReadInfo(path, size, block) ||
        !platform::version::QueryValue(block, kTranslationBlock, data, length) || length < 4) {
        SetAllValues(kNotAvailable);
        return;
    }
    WORD language = 0, codePage = 0;
    std::memcpy(&language, data, sizeof(language));
    std::memcpy(&codePage, static_cast<const BYTE*>(data) + 2, sizeof(codePage));
    char prefix[64];
    std::snprintf(prefix, sizeof(prefix), kStringBlockFormat, language, codePage);

    struct Field {
        const char* name;
        std::string* property;
    };
    const Field fields[] = {
        {"CompanyName", &CompanyName},         {"FileDescription", &FileDescription},
        {"FileVersion", &FileVersion},         {"InternalName", &Internalname},
        {"LegalCopyright", &LegalCopyright},   {"LegalTradeMarks", &LegalTradeMarks},
        {"OriginalFilename", &OriginalFilename}, {"ProductName", &ProductName},
        {"ProductVersion", &ProductVersion},   {"Comments", &Comments},
        {"LastCompiled", &Compiled},           {"DirectShow", &DirectShow},
        {"OLESelfRegister", &OLESelfRegister},
    };
    for (const Field& field : fields) {
        const bool isCompany = field.property == &CompanyName;
        if (platform::version::QueryValue(block, prefix + std::string(field.name), data, length)) {
            const char* text = static_cast<const char*>(data);
            *field.property = std::string(text, strnlen(text, length));
        } else {
            *field.property = isCompany ? std::string() : std::string(kNotAvailable);
        }
    }
    SplitFileVersion();
}
