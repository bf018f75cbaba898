// What an Orvelin restarted as administrator is told by the one it replaces:
// which process to wait for (the single-instance guard would refuse it while
// the old one lives), and the page, tree node and row to show again.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

struct RestartRequest {
    DWORD previousProcess = 0;  // 0: a plain start
    int page = -1;              // -1: the page the window remembers
    LPARAM node = 0;            // the selected tree node's data
    bool hasNode = false;
    std::string row;            // the selected row's caption; "" for none
    int rowIndex = -1;          // where that row was: of rows with one caption, the one shown
};

// The command line arguments that carry the request.
std::string RestartArguments(const RestartRequest& request);
// The request in the program's command line (as Windows splits it); a plain
// start, or arguments that are not a restart's, give the default request.
RestartRequest ParseRestartArguments(const std::wstring& commandLine);
// An argument quoted as Windows splits command lines back.
std::string QuoteArgument(const std::string& argument);

}  // namespace gui
