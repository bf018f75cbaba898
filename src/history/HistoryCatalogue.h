// The history section catalogue: the fixed nodes of the History tree (by
// section number, with their captions, depths and pictures), the effective
// mask and the delete commands' failure texts. Pure data and text: no window.
// What each section lists, deletes and asks is its registered row
// (HistorySectionRow.h).
#pragma once

#include <string>
#include <vector>

namespace history {

// A section is its node's position in a depth-first walk of the whole tree,
// counting from 0.
constexpr int kHistorySectionCount = 47;

struct HistorySection {
    int number;
    const char* caption;  // the tree node's caption
    int depth;            // 0 for the two roots
    int icon;             // index into the section image list (also the selected image)
    bool group;           // lists nothing
};

// Section numbers the family files register their rows under.
enum HistorySectionNumber : int {
    hsHistory = 0,
    hsIEVisitedPages = 2,
    hsIETypedUrls = 3,
    hsIETemporaryFiles = 4,
    hsIECookies = 5,
    hsAutoCompleteForms = 6,
    hsAutoCompletePasswords = 7,
    hsIndexDat = 8,
    hsDownloadedProgramFiles = 9,
    hsBrowserHelperObjects = 10,
    hsMozillaVisitedPages = 12,
    hsRecentDocuments = 14,
    hsRunHistory = 15,
    hsFindHistory = 16,
    hsOpenSaveHistory = 17,
    hsClipboard = 18,
    hsRecycleBin = 19,
    hsTemporaryFolder = 20,
    hsPaintRecent = 21,
    hsWordPadRecent = 22,
    hsSendTo = 23,
    hsDownloadedInstallations = 24,
    hsMSWordRecent = 26,
    hsMSExcelRecent = 27,
    hsMSAccessRecent = 28,
    hsMSPowerPointRecent = 29,
    hsMSFrontPageRecent = 30,
    hsMSPublisherRecent = 31,
    hsMediaPlayerRecent = 33,
    hsRealPlayerRecent = 34,
    hsWinDvdRecent = 35,
    hsQuickTime = 36,
    hsWinAmpRecent = 37,
    hsPaintShopPro = 38,
    hsWinZipRecent = 40,
    hsWinRarRecent = 41,
    hsExtensions = 42,
    hsToolbars = 44,
    hsButtons = 45,
    hsOtherPlugins = 46,
};

// The whole catalogue, in section-number order.
const std::vector<HistorySection>& HistorySections();
// The section of a number; null when the number is out of range.
const HistorySection* FindHistorySection(int number);

// The mask every lister and every Delete All receives: "*" unless "Use
// Mask:" is ticked and the text is not empty; the text as typed with "Whole
// Word"; otherwise the text with a star added at each end that lacks one.
std::string EffectiveMask(bool useMask, const std::string& text, bool wholeWord);

// Delete's result code for a file that really lies outside its section's
// folder (a link to a file elsewhere): it was left alone.
constexpr int kFileOutsideFolder = 5001;

// The failure box text of Delete All for a result code other than 0;
// systemText: the system's message for the code.
std::string DeleteAllFailureText(int code, const std::string& systemText);
// The failure box text of Delete for a result code other than 0.
std::string DeleteFailureText(int code, const std::string& itemText, const std::string& systemText);
// Delete's result codes that name the item instead of the system's text.
bool DeleteFailureNamesItem(int code);
// The question Delete All asks where the section can only be cleared whole
// and the mask shows shown of its whole items.
std::string WholeClearQuestion(size_t shown, size_t whole, const std::string& caption);
// The box text of a Delete All that left count files alone because they
// lie outside the section's folder.
std::string LeftOutsideText(size_t count);

}  // namespace history
