// Firefox's visited-page history file (history.dat, the Mork text format),
// read as the History page shows it: one group per host with its row count
// and the flags of its first row. Pure text: no window, no file access.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One host of a history file.
struct MozillaHostName {
    int32_t count = 0;     // the rows with this host key
    std::string hostKey;   // the reference naming the host; empty for rows without one
    std::string hostName;  // looked up in the file's dictionary ("" for an empty key)
    std::string pageType;  // the flags of the group's first row
};
// The hosts in the order of their first row.
using MozillaHostGroups = std::vector<MozillaHostName>;

// A file the reader cannot make sense of: no dictionary, or one that is
// never closed, or a file too large to be a history file.
class MozillaHistoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file larger than this is refused rather than read into memory.
constexpr size_t kMaxMozillaHistoryBytes = size_t{64} << 20;

// The flag texts of a row: hidden, or eleven blanks; then "[Flash]" when the
// row's last and first visit are the same, or nothing.
inline constexpr std::string_view kMozillaHiddenFlag = "[Hiden]";
inline constexpr std::string_view kMozillaNotHidden = "           ";
inline constexpr std::string_view kMozillaFlashFlag = "[Flash]";

// Reads the whole text of a history file into its host groups (empty keys
// included, as a group of their own). Lines end at CR LF, LF or a lone CR.
// Time and memory are linear in the text. Raises MozillaHistoryError for a
// file without a dictionary (an empty line followed by a line starting
// "<(", closed by ")>") or one over kMaxMozillaHistoryBytes.
MozillaHostGroups ParseMozillaHistory(std::string_view text);

// The count column's text: the count and its padding (10 blanks after one
// digit, 8 after two, 6 after three, 4 after four, 2 after five, 1 after more).
std::string MozillaCountText(int32_t count);

// The text up to the first ")" of at most 255 characters that follow the
// first occurrence of key in line; empty when the key does not occur.
std::string_view MozillaValueAfter(std::string_view line, std::string_view key);
