// Taking the path of the started file out of a startup command line.
#include "formats/CommandLinePath.h"

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string TrimBlanks(const std::string& text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

namespace {

std::string CutBefore(const std::string& text, const std::string& marker) {
    size_t at = text.find(marker);
    return at == std::string::npos ? text : text.substr(0, at);
}

// Quotes, switches and folder variables, for a text that names no file.
std::string StripCommandLine(std::string path, const PathEnvironment& env) {
    path = ReplaceAll(path, "\\??\\", "");
    if (!path.empty() && path[0] == '"') {
        size_t closing = path.find('"', 1);
        path = closing == std::string::npos ? std::string() : path.substr(1, closing - 1);
    }
    path = CutBefore(path, " /");
    path = CutBefore(path, " -");
    path = ReplaceAll(path, "%SystemRoot%", env.windowsDirectory);
    path = ReplaceAll(path, "\\SystemRoot", env.windowsDirectory);
    path = ReplaceAll(path, "%ProgramFiles%", env.programFiles);
    return path;
}

}  // namespace

std::string ExtractCommandLinePath(const std::string& text, const PathEnvironment& env) {
    if (text.empty()) return {};
    std::string path = text;
    if (!env.fileExists(path)) path = StripCommandLine(path, env);
    if (!env.fileExists(path)) {
        const std::string inSystem = env.systemDirectory + "\\" + path;
        if (env.fileExists(inSystem)) path = inSystem;
        const std::string inWindows = env.windowsDirectory + "\\" + path;
        if (env.fileExists(inWindows)) path = inWindows;
    }
    return TrimBlanks(path);
}
