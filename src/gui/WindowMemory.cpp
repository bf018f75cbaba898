// The main window's remembered state in its ini file.
#include "gui/WindowMemory.h"

#include "platform/Files.h"

#include <charconv>

namespace gui {

namespace {

namespace files = platform::files;

constexpr const char* kWindowSection = "Window";
constexpr const char* kColumnsSection = "Columns";
constexpr const char* kPageNames[kPageCount] = {"StartUp", "Registry", "History", "About"};

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

int ReadInt(const std::string& file, const char* section, const std::string& key, int fallback, int low, int high) {
    int value = 0;
    if (!ParseInt(files::ReadIniString(file, section, key), value) || value < low || value > high) return fallback;
    return value;
}

std::vector<int> ParseWidths(const std::string& text) {
    std::vector<int> widths;
    size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        int width = 0;
        if (!ParseInt(text.substr(start, comma - start), width) || width < 0 || width > 10000) return {};
        widths.push_back(width);
        start = comma + 1;
    }
    return widths;
}

std::string JoinWidths(const std::vector<int>& widths) {
    std::string text;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (i) text += ',';
        text += std::to_string(widths[i]);
    }
    return text;
}

}  // namespace

RememberedWindow ReadRememberedWindow(const std::string& file) {
    RememberedWindow window;
    constexpr int kFar = 1 << 20;
    const char* const edges[4] = {"Left", "Top", "Right", "Bottom"};
    LONG* const targets[4] = {&window.normal.left, &window.normal.top, &window.normal.right, &window.normal.bottom};
    bool complete = true;
    for (int i = 0; i < 4; ++i) {
        int value = 0;
        complete = complete && ParseInt(files::ReadIniString(file, kWindowSection, edges[i]), value) &&
                   value > -kFar && value < kFar;
        *targets[i] = value;
    }
    window.found = complete && window.normal.right > window.normal.left && window.normal.bottom > window.normal.top;
    if (!window.found) window.normal = RECT{};
    window.dpi = ReadInt(file, kWindowSection, "Dpi", 96, 48, 960);
    window.maximised = ReadInt(file, kWindowSection, "Maximized", 0, 0, 1) == 1;
    window.page = ReadInt(file, kWindowSection, "Page", kPageStartUp, 0, kPageCount - 1);
    for (int page = 0; page < kPageCount; ++page) {
        window.splits[page] = ReadInt(file, kWindowSection, std::string("Split") + kPageNames[page], 0, -kFar, kFar);
        window.columnWidths[page] = ParseWidths(files::ReadIniString(file, kColumnsSection, kPageNames[page]));
    }
    window.sort.sortedOnce = ReadInt(file, kColumnsSection, "Sorted", 0, 0, 1) == 1;
    window.sort.column = ReadInt(file, kColumnsSection, "SortColumn", 0, 0, 255);
    window.sort.descending = ReadInt(file, kColumnsSection, "SortDescending", 0, 0, 1) == 1;
    return window;
}

bool WriteRememberedWindow(const std::string& file, const RememberedWindow& window) {
    if (!files::CreateFolderPath(files::ExtractFilePath(file))) return false;
    const auto number = [](long value) { return std::to_string(value); };
    bool written = files::WriteIniString(file, kWindowSection, "Left", number(window.normal.left)) &&
                   files::WriteIniString(file, kWindowSection, "Top", number(window.normal.top)) &&
                   files::WriteIniString(file, kWindowSection, "Right", number(window.normal.right)) &&
                   files::WriteIniString(file, kWindowSection, "Bottom", number(window.normal.bottom)) &&
                   files::WriteIniString(file, kWindowSection, "Dpi", number(window.dpi)) &&
                   files::WriteIniString(file, kWindowSection, "Maximized", window.maximised ? "1" : "0") &&
                   files::WriteIniString(file, kWindowSection, "Page", number(window.page));
    for (int page = 0; page < kPageCount && written; ++page)
        written = files::WriteIniString(file, kWindowSection, std::string("Split") + kPageNames[page],
                                        number(window.splits[page])) &&
                  files::WriteIniString(file, kColumnsSection, kPageNames[page], JoinWidths(window.columnWidths[page]));
    return written && files::WriteIniString(file, kColumnsSection, "Sorted", window.sort.sortedOnce ? "1" : "0") &&
           files::WriteIniString(file, kColumnsSection, "SortColumn", number(window.sort.column)) &&
           files::WriteIniString(file, kColumnsSection, "SortDescending", window.sort.descending ? "1" : "0");
}

}  // namespace gui
