// The history section catalogue (the fixed nodes of the History tree, by
// section number), the effective mask, the action rules of the History page
// and the texts of its delete commands. Pure data and text: no window.
#pragma once

#include <string>
#include <vector>

// A section is its node's position in a depth-first walk of the whole tree,
// counting from 0. Every History operation switches on this number.
constexpr int kHistorySectionCount = 47;

struct HistorySection {
    int number;
    const char* caption;  // the tree node's caption
    int depth;            // 0 for the two roots
    int icon;             // index into the section image list (also the selected image)
    const char* heading;  // first column caption; "" for groups and sections whose lister sets its columns
    bool group;           // lists nothing
};

// Section numbers the page and the commands name.
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
    hsQuickTime = 36,
    hsPaintShopPro = 38,
    hsExtensions = 42,
    hsToolbars = 44,
    hsButtons = 45,
    hsOtherPlugins = 46,
};

// The whole catalogue, in section-number order.
const std::vector<HistorySection>& HistorySections();
// The section of a number; null when the number is out of range.
const HistorySection* FindHistorySection(int number);
bool IsHistoryGroup(int number);
// Sections whose lister receives no mask and lists everything.
bool HistorySectionTakesMask(int number);

// The mask every lister and every Delete All receives: "*" unless "Use
// Mask:" is ticked and the text is not empty; the text as typed with "Whole
// Word"; otherwise the text with a star added at each end that lacks one.
std::string EffectiveMask(bool useMask, const std::string& text, bool wholeWord);

// ---- columns -------------------------------------------------------------

struct HistoryColumn {
    std::string caption;
    int width;  // at 96 DPI; 0: the client width the other columns leave
};
// The columns a listing of the section sets up; empty for a group (the
// columns stay as they were). headingFromLister: the first caption of the
// sections whose lister names its own column (9, 10), empty until it does.
std::vector<HistoryColumn> HistoryColumnLayout(int number, const std::string& headingFromLister = {});
// The fixed width of the Mozilla section's second column.
constexpr int kPageTypeColumnWidth = 115;

// ---- action rules --------------------------------------------------------

enum class MaskControlsRule { Enabled, Disabled, Unchanged };

// What the rules look at. toolbarCommandFound: for the toolbar section, an
// uninstall command was found for the selected item.
struct HistoryListFacts {
    int section = -1;  // -1: no node selected
    int itemCount = 0;
    bool itemSelected = false;
    bool clipboardHoldsText = false;
    bool toolbarCommandFound = false;
};

struct HistoryActionStates {
    bool deleteEnabled = false;
    bool deleteAllEnabled = false;
    bool updateEnabled = false;
    bool reportEnabled = false;
    MaskControlsRule maskControls = MaskControlsRule::Unchanged;
    bool operator==(const HistoryActionStates&) const = default;
};

HistoryActionStates HistoryActionRules(const HistoryListFacts& facts);

// ---- delete command texts ------------------------------------------------

// The question Delete All asks first; empty when the section deletes without
// asking (12, 45, 46) or has no Delete All.
std::string DeleteAllConfirmation(int number);
// Sections whose Delete works on the whole section and needs no selected item.
bool DeleteNeedsNoItem(int number);
// The question Delete asks: the section's own for 18, 19 and 36, else about the item.
std::string DeleteConfirmation(int number, const std::string& itemText);

// The failure box text of Delete All for a result code other than 0;
// systemText: the system's message for the code.
std::string DeleteAllFailureText(int code, const std::string& systemText);
// The failure box text of Delete for a result code other than 0.
std::string DeleteFailureText(int code, const std::string& itemText, const std::string& systemText);
// Delete's result codes that name the item instead of the system's text.
bool DeleteFailureNamesItem(int code);
