// The history section catalogue: the effective mask and the delete
// commands' failure texts.
#include "history/HistoryCatalogue.h"

namespace history {
namespace {

// The system codes the delete commands treat apart, and the code of a file
// list that could not be deleted whole.
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kListedFilesRemained = 5000;

}  // namespace

std::string EffectiveMask(bool useMask, const std::string& text, bool wholeWord) {
    if (!useMask || text.empty()) return "*";
    if (wholeWord) return text;
    std::string mask = text;
    if (mask.front() != '*') mask.insert(mask.begin(), '*');
    if (mask.back() != '*') mask.push_back('*');
    return mask;
}

std::string DeleteAllFailureText(int code, const std::string& systemText) {
    std::string text = "Can't clear some item's. \r\n";
    if (code == kFileNotFound || code == kAccessDenied) return text + systemText;
    return text + "Error code: " + std::to_string(code);
}

bool DeleteFailureNamesItem(int code) { return code == kFileNotFound || code == kListedFilesRemained; }

std::string DeleteFailureText(int code, const std::string& itemText, const std::string& systemText) {
    if (DeleteFailureNamesItem(code)) return "Can't clear item: " + itemText;
    if (code == kFileOutsideFolder)
        return itemText + " was left alone: it lies outside the folder (it is a link to a file elsewhere).";
    // A code the system has no text for still says what went wrong.
    return systemText.empty() ? "Error code: " + std::to_string(code) : systemText;
}

std::string WholeClearQuestion(size_t shown, size_t whole, const std::string& caption) {
    return "The mask shows " + std::to_string(shown) + " of " + std::to_string(whole) + " items, but " + caption +
           " can only be cleared whole. Clear all " + std::to_string(whole) + "?";
}

std::string LeftOutsideText(size_t count) {
    if (count == 1) return "1 file was left alone: it lies outside the folder (it is a link to a file elsewhere).";
    return std::to_string(count) + " files were left alone: they lie outside the folder (links to files elsewhere).";
}

}  // namespace history
