// The history section catalogue: the tree, the effective mask and the
// delete commands' failure texts.
#include "history/HistoryCatalogue.h"

namespace history {
namespace {

// The system codes the delete commands treat apart, and the code of a file
// list that could not be deleted whole.
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kListedFilesRemained = 5000;

// The tree as the History page shows it, in depth-first order: a section's
// number is its row here.
const std::vector<HistorySection> kSections = {
    {0, "History", 0, 0, true},
    {1, "Internet Explorer", 1, 1, true},
    {2, "Visited Pages", 2, 2, false},
    {3, "Typed URL's", 2, 32, false},
    {4, "Temporary Files", 2, 2, false},
    {5, "Cookies", 2, 2, false},
    {6, "Auto Complete Forms", 2, 2, false},
    {7, "Auto Complete Passwords", 2, 23, false},
    {8, "Index.dat", 2, 4, false},
    {9, "Downloaded Program Files Folder", 2, 3, false},
    {10, "Browser Helper Objects", 2, 2, false},
    {11, "Mozilla Firefox", 1, 5, true},
    {12, "Visited Pages", 2, 29, false},
    {13, "Windows", 1, 31, true},
    {14, "Recent Document List", 2, 17, false},
    {15, "Run History", 2, 18, false},
    {16, "Find History", 2, 16, false},
    {17, "Windows Open/Save History", 2, 22, false},
    {18, "Windows Clipboard", 2, 24, false},
    {19, "Windows Recycle Bin", 2, 25, false},
    {20, "Temporary Files Directory", 2, 21, false},
    {21, "Windows Paint Recent File List", 2, 20, false},
    {22, "Windows Word Pad Recent File List", 2, 19, false},
    {23, "Send-to Extensions", 2, 0, false},
    {24, "Download Installation Folder", 2, 33, false},
    {25, "MS Office", 1, 48, true},
    {26, "MS Word Recent File List", 2, 15, false},
    {27, "MS Excel Recent File List", 2, 8, false},
    {28, "MS Access Recent File List", 2, 7, false},
    {29, "MS Power Point Recent File List", 2, 12, false},
    {30, "MS Front Page Recent File List", 2, 9, false},
    {31, "MS Publisher Recent File List", 2, 13, false},
    {32, "Graphics and Multimedia", 1, 34, true},
    {33, "Windows Media Player Play File List", 2, 14, false},
    {34, "RealPlayer Play File List", 2, 27, false},
    {35, "InterVideo WinDVD Play File List", 2, 36, false},
    {36, "QuickTime Player Recent File List", 2, 54, false},
    {37, "WinAMP Recent Play List", 2, 55, false},
    {38, "Jasc PaintShop Pro Recent File List", 2, 41, false},
    {39, "Archivers", 1, 47, true},
    {40, "WinZIP Recent File List", 2, 39, false},
    {41, "WinRAR Recent File List", 2, 40, false},
    {42, "Extensions", 0, 49, true},
    {43, "Internet Explorer", 1, 1, true},
    {44, "Toolbar's", 2, 1, false},
    {45, "Button's", 2, 1, false},
    {46, "Other Plug-in's", 2, 1, false},
};

}  // namespace

const std::vector<HistorySection>& HistorySections() { return kSections; }

const HistorySection* FindHistorySection(int number) {
    if (number < 0 || number >= kHistorySectionCount) return nullptr;
    return &kSections[number];
}

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
