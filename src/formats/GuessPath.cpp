// Guessing the full path of the file a registry value names. The machine is
// reached only through the environment given, so this runs anywhere.
#include "formats/GuessPath.h"

namespace registry_scan {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The text up to (not including) the first marker.
std::string CutAt(const std::string& text, char marker) {
    const size_t at = text.find(marker);
    return at == std::string::npos ? text : text.substr(0, at);
}

// The text up to and including the first marker.
std::string KeepThrough(const std::string& text, const std::string& marker) {
    const size_t at = text.find(marker);
    return at == std::string::npos ? text : text.substr(0, at + marker.size());
}

std::string ReplaceFirst(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Letters A to Z only: other bytes (parts of UTF-8 characters) stay as they are.
std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool HasFolderPart(const std::string& path) { return path.find_first_of("\\:") != std::string::npos; }

bool HasExtension(const std::string& path) {
    const size_t dot = path.find_last_of(".\\:");
    return dot != std::string::npos && path[dot] == '.';
}

std::string TrimRightBlanks(std::string text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    return text;
}

// Only the program of a command line: up to its ".exe", then up to a ".dll";
// a rundll32 line names rundll32.exe whatever library it loads.
std::string ProgramPart(const std::string& text) {
    if (StartsWith(text, "rundll32")) return "rundll32.exe";
    return KeepThrough(KeepThrough(text, ".exe"), ".dll");
}

std::string ExpandFolderVariables(std::string text, const GuessEnvironment& env) {
    text = ReplaceFirst(text, "%systemroot%\\system32\\", env.systemFolder);
    text = ReplaceFirst(text, "%systemroot%\\", env.windowsFolder);
    return ReplaceFirst(text, "%programfiles%\\", env.programFiles);
}

// A share name such as "d$" stands for the drive; a bare file name is looked
// for in the Windows folder, else taken to be in the system folder.
std::string PlaceInFolder(const std::string& text, const GuessEnvironment& env) {
    if (!text.empty() && text.back() == '$') return text.substr(0, text.size() - 1) + ":\\";
    if (HasFolderPart(text)) return text;
    return (env.fileExists(env.windowsFolder + text) ? env.windowsFolder : env.systemFolder) + text;
}

// A name without extension loses its arguments and gains ".exe" when that
// program exists.
std::string CompleteProgramName(std::string text, const GuessEnvironment& env) {
    if (HasExtension(text)) return text;
    text = CutAt(text, ' ');
    return env.fileExists(text + ".exe") ? text + ".exe" : text;
}

}  // namespace

std::string CleanFileReference(const std::string& text, const GuessEnvironment& env) {
    if (text.empty() || StartsWith(text, "\\\\")) return text;
    std::string path = CutAt(AsciiLower(text), '/');
    if (StartsWith(path, "\"")) path.erase(0, 1);
    path = CutAt(ExpandFolderVariables(ProgramPart(path), env), ',');
    if (!path.empty() && path.back() == '"') path.pop_back();
    return path;
}

std::string GuessFilePath(const std::string& text, const GuessEnvironment& env) {
    if (text.empty() || StartsWith(text, "\\\\")) return text;
    std::string path = CompleteProgramName(PlaceInFolder(CleanFileReference(text, env), env), env);
    if (path.find(':') == std::string::npos) path = env.systemFolder + path;
    return TrimRightBlanks(path);
}

namespace {

// "//server/share/…" names a network path as "\\server\share\…" does (the
// system reads "/" as "\"), quoted or not; the file reference rules would
// cut it at its first "/" and see nothing.
bool NamesNetworkPath(const std::string& reference) {
    const size_t start = reference.find_first_not_of(" \"");
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    return start != std::string::npos && start + 1 < reference.size() && slash(reference[start]) &&
           slash(reference[start + 1]);
}

}  // namespace

ReferenceCheck CheckFileReference(const std::string& reference, const GuessEnvironment& env) {
    // A network path is never opened: a server that does not answer would
    // hold the scan, and an absent one says nothing of the file.
    if (reference.empty() || NamesNetworkPath(reference) ||
        !env.canJudgeMissing(CleanFileReference(reference, env)))
        return {};
    if (env.fileExists(reference)) return {};
    std::string guess = GuessFilePath(reference, env);
    if (!env.canJudgeMissing(guess) || env.fileExists(guess) || env.folderExists(reference)) return {};
    return {true, reference, std::move(guess)};
}

}  // namespace registry_scan
