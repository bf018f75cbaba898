// The restart's command line, built and read back.
#include "gui/RestartRequest.h"

#include "platform/Text.h"

#include <shellapi.h>

#include <charconv>
#include <vector>

namespace gui {

namespace {

constexpr const char* kAfter = "--restarted-from";
constexpr const char* kPage = "--page";
constexpr const char* kNode = "--node";
constexpr const char* kRow = "--row";
constexpr const char* kRowIndex = "--row-index";

template <typename Number>
bool ParseNumber(const std::string& text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

std::vector<std::string> SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!split) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(platform::text::Narrow(split[i]));
    LocalFree(split);
    return arguments;
}

}  // namespace

std::string QuoteArgument(const std::string& argument) {
    // Backslashes count only before a quote: doubled there (and before the
    // closing quote), and each quote escaped.
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string RestartArguments(const RestartRequest& request) {
    std::string arguments = std::string(kAfter) + " " + std::to_string(request.previousProcess);
    if (request.page >= 0) arguments += std::string(" ") + kPage + " " + std::to_string(request.page);
    if (request.hasNode) arguments += std::string(" ") + kNode + " " + std::to_string(request.node);
    if (!request.row.empty()) arguments += std::string(" ") + kRow + " " + QuoteArgument(request.row);
    if (request.rowIndex >= 0) arguments += std::string(" ") + kRowIndex + " " + std::to_string(request.rowIndex);
    return arguments;
}

RestartRequest ParseRestartArguments(const std::wstring& commandLine) {
    const std::vector<std::string> arguments = SplitCommandLine(commandLine);
    RestartRequest request;
    for (size_t i = 0; i + 1 < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        const std::string& value = arguments[i + 1];
        bool understood = false;
        if (name == kAfter) understood = ParseNumber(value, request.previousProcess);
        else if (name == kPage) understood = ParseNumber(value, request.page);
        else if (name == kNode) understood = request.hasNode = ParseNumber(value, request.node);
        else if (name == kRow) understood = true, request.row = value;
        else if (name == kRowIndex) understood = ParseNumber(value, request.rowIndex) && request.rowIndex >= 0;
        if (!understood) return {};
    }
    if (arguments.size() % 2 != 0 || request.previousProcess == 0) return {};
    return request;
}

}  // namespace gui
