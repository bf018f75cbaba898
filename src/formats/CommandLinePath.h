// Taking the path of the started file out of a startup command line. Pure
// text logic; the file system is reached through the environment given.
#pragma once

#include <functional>
#include <string>

struct PathEnvironment {
    std::function<bool(const std::string&)> fileExists;
    std::string windowsDirectory;  // as the system gives it
    std::string systemDirectory;   // as the system gives it, no separator added
    std::string programFiles;
};

// The file a command line starts: quotes, switches (" /", " -"), "\??\",
// "%SystemRoot%", "\SystemRoot" and "%ProgramFiles%" are dealt with, bare
// names are looked up in the system and Windows folders, and the result is
// trimmed. The result may name a file that does not exist.
std::string ExtractCommandLinePath(const std::string& text, const PathEnvironment& env);

// Replaces every occurrence of from (case-sensitive).
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// Removes leading and trailing blanks and control characters.
std::string TrimBlanks(const std::string& text);
