// Guessing the full path of the file a registry value names, and the test
// that decides whether a file reference is dead. Pure text: the machine is
// asked only through the GuessEnvironment (registry_scan/GuessPathSystem.h
// makes the running machine's).
#pragma once

#include <functional>
#include <string>

namespace registry_scan {

// What the guess asks of the machine. Folders carry a trailing "\"
// (programFiles may be empty when the machine does not say).
struct GuessEnvironment {
    std::function<bool(const std::string&)> fileExists;
    std::function<bool(const std::string&)> folderExists;
    std::string windowsFolder;
    std::string systemFolder;
    std::string programFiles;
    // Whether a file missing at a path can be told as missing at all (see
    // platform::files::CanJudgeMissing); asked before any existence test.
    std::function<bool(const std::string&)> canJudgeMissing = [](const std::string&) { return true; };
};

// The text steps that need no machine: lower case, switches, quotes, the
// program part of a command line, folder variables, icon indexes. A text
// beginning with "\\" (a network path) and an empty text are returned as
// they are.
std::string CleanFileReference(const std::string& text, const GuessEnvironment& env);

// The most likely full path of the file a value names, often a whole command
// line. A guess only: shown and tested, never written anywhere.
std::string GuessFilePath(const std::string& text, const GuessEnvironment& env);

// The general test of a file reference R: a problem when R is not empty,
// the program part of R and the guess of R can both be judged missing, no
// file R exists, no file named by the guess of R exists and no folder R
// exists. A problem carries R as file name and its guess as guess path.
struct ReferenceCheck {
    bool problem = false;
    std::string fileName;
    std::string guessPath;
};
ReferenceCheck CheckFileReference(const std::string& reference, const GuessEnvironment& env);

}  // namespace registry_scan
