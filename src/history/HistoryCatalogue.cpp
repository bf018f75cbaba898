// The history section catalogue, the effective mask, the action rules and
// the delete commands' texts.
#include "history/HistoryCatalogue.h"

namespace {

// The system codes the delete commands treat apart, and the code of a file
// list that could not be deleted whole.
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kListedFilesRemained = 5000;

constexpr const char* kGroup = "";
constexpr const char* kByLister = "";

// The tree as the History page shows it, in depth-first order: a section's
// number is its row here.
const std::vector<HistorySection> kSections = {
    {0, "History", 0, 0, kGroup, true},
    {1, "Internet Explorer", 1, 1, kGroup, true},
    {2, "Visited Pages", 2, 2, "Internet Explorer Visited Pages", false},
    {3, "Typed URL's", 2, 32, "Internet Explorer Typed URL's", false},
    {4, "Temporary Files", 2, 2, "Internet Explorer Temporary Files", false},
    {5, "Cookies", 2, 2, "Internet Explorer Cookies", false},
    {6, "Auto Complete Forms", 2, 2, kByLister, false},
    {7, "Auto Complete Passwords", 2, 23, kByLister, false},
    {8, "Index.dat", 2, 4, "Internet Explorer Index.dat File", false},
    {9, "Downloaded Program Files Folder", 2, 3, kByLister, false},
    {10, "Browser Helper Objects", 2, 2, kByLister, false},
    {11, "Mozilla Firefox", 1, 5, kGroup, true},
    {12, "Visited Pages", 2, 29, "Mozilla Visited Pages", false},
    {13, "Windows", 1, 31, kGroup, true},
    {14, "Recent Document List", 2, 17, "Recent Documents", false},
    {15, "Run History", 2, 18, "Run History", false},
    {16, "Find History", 2, 16, "Find History", false},
    {17, "Windows Open/Save History", 2, 22, "Common Open/Save Dialogs Recent File List", false},
    {18, "Windows Clipboard", 2, 24, "Windows Clipboard", false},
    {19, "Windows Recycle Bin", 2, 25, "Recycle Bin", false},
    {20, "Temporary Files Directory", 2, 21, "Windows Temporary Folder Content", false},
    {21, "Windows Paint Recent File List", 2, 20, "Microsoft Paint Recent File List", false},
    {22, "Windows Word Pad Recent File List", 2, 19, "Microsoft WordPad Recent File List", false},
    {23, "Send-to Extensions", 2, 0, "Windows Send-To Extensions", false},
    {24, "Download Installation Folder", 2, 33, "Downloaded Installation Files", false},
    {25, "MS Office", 1, 48, kGroup, true},
    {26, "MS Word Recent File List", 2, 15, "Microsoft Word Recent File List", false},
    {27, "MS Excel Recent File List", 2, 8, "Microsoft Excel Recent File List", false},
    {28, "MS Access Recent File List", 2, 7, "Microsoft Access Recent File List", false},
    {29, "MS Power Point Recent File List", 2, 12, "Microsoft PowerPoint Recent File List", false},
    {30, "MS Front Page Recent File List", 2, 9, "Microsoft FrontPage Recent File List", false},
    {31, "MS Publisher Recent File List", 2, 13, "Microsoft Publisher Recent File List", false},
    {32, "Graphics and Multimedia", 1, 34, kGroup, true},
    {33, "Windows Media Player Play File List", 2, 14, "Windows Media Player Play File List", false},
    {34, "RealPlayer Play File List", 2, 27, "RealPlayer Most Recent Clips", false},
    {35, "InterVideo WinDVD Play File List", 2, 36, "InterVideo WinDVD Last Open Path", false},
    {36, "QuickTime Player Recent File List", 2, 54, "QuickTime Recent File List", false},
    {37, "WinAMP Recent Play List", 2, 55, "WinAMP Recent Play List", false},
    {38, "Jasc PaintShop Pro Recent File List", 2, 41, "Jasc Paint Shop Pro Recent File List", false},
    {39, "Archivers", 1, 47, kGroup, true},
    {40, "WinZIP Recent File List", 2, 39, "WinZip Recent File List", false},
    {41, "WinRAR Recent File List", 2, 40, "WinRAR Recent File List", false},
    {42, "Extensions", 0, 49, kGroup, true},
    {43, "Internet Explorer", 1, 1, kGroup, true},
    {44, "Toolbar's", 2, 1, "Internet Explorer ToolBars", false},
    {45, "Button's", 2, 1, "Internet Explorer Buttons", false},
    {46, "Other Plug-in's", 2, 1, "Internet Explorer Other Plugins", false},
};

struct Confirmation {
    int number;
    const char* text;
};

const Confirmation kDeleteAllConfirmations[] = {
    {2, "Do you really want to clear ALL visited pages?"},
    {3, "Do you really want to clear ALL typed URL's?"},
    {4, "Do you really want to clear ALL temporary files?"},
    {5, "Do you really want to clear ALL cookies?"},
    {6, "Do you really want to clear ALL auto complete forms?"},
    {7, "Do you really want to clear ALL auto complete passwords?"},
    {8, "Do you really want to clear index.dat?"},
    {9, "Do you really want to delete ALL Downloaded Program Files?"},
    {10, "Do you really want to delete ALL Browser Helper Objects?"},
    {14, "Do you really want to clear ALL Recent Documents?"},
    {15, "Do you really want to delete ALL Run History items?"},
    {16, "Do you really want to delete ALL Find History items?"},
    {17, "Do you really want to delete ALL Open/Save History items?"},
    {19, "Do you really want to clear Recycle Bin?"},
    {20, "Do you really want to clear ALL temporary files?"},
    {21, "Do you really want to delete ALL Windows Paint History items?"},
    {22, "Do you really want to delete ALL Windows WordPad History items?"},
    {23, "Do you really want to delete ALL Send-To Extensions?"},
    {24, "Do you really want to delete ALL Downloaded Installation Files?"},
    {26, "Do you really want to delete ALL MS Word History items?"},
    {27, "Do you really want to delete ALL MS Excel History items?"},
    {28, "Do you really want to delete ALL MS Access History items?"},
    {29, "Do you really want to delete ALL MS Power Point History items?"},
    {30, "Do you really want to delete ALL MS FrontPage History items?"},
    {31, "Do you really want to delete ALL MS Publisher History items?"},
    {33, "Do you really want to delete ALL Windows Media Player History items?"},
    {34, "Do you really want to delete ALL RealPlayer History items?"},
    {35, "Do you really want to delete ALL InterVideo WinDVD History items?"},
    {36, "Do you want to delete ALL QuickTime History items?"},
    {37, "Do you really want to delete WinAMP Recent Play List?"},
    {38, "Do you really want to delete ALL Jasc Paint Shop Pro History items?"},
    {40, "Do you really want to delete ALL WinZip History items?"},
    {41, "Do you really want to delete ALL WinRAR History items?"},
};

}  // namespace

const std::vector<HistorySection>& HistorySections() { return kSections; }

const HistorySection* FindHistorySection(int number) {
    if (number < 0 || number >= kHistorySectionCount) return nullptr;
    return &kSections[number];
}

bool IsHistoryGroup(int number) {
    const HistorySection* section = FindHistorySection(number);
    return section && section->group;
}

bool HistorySectionTakesMask(int number) {
    switch (number) {
        case hsIndexDat:
        case hsClipboard:
        case hsRecycleBin:
        case hsToolbars:
        case hsButtons:
        case hsOtherPlugins: return false;
        default: return !IsHistoryGroup(number) && FindHistorySection(number) != nullptr;
    }
}

std::string EffectiveMask(bool useMask, const std::string& text, bool wholeWord) {
    if (!useMask || text.empty()) return "*";
    if (wholeWord) return text;
    std::string mask = text;
    if (mask.front() != '*') mask.insert(mask.begin(), '*');
    if (mask.back() != '*') mask.push_back('*');
    return mask;
}

std::vector<HistoryColumn> HistoryColumnLayout(int number, const std::string& headingFromLister) {
    const HistorySection* section = FindHistorySection(number);
    if (!section || section->group) return {};
    switch (number) {
        case hsAutoCompleteForms:
        case hsAutoCompletePasswords: return {{"ID", 150}, {"Value", 0}};
        case hsDownloadedProgramFiles:
        case hsBrowserHelperObjects:
            // Until the section's lister names its column, the list's own caption.
            return {{headingFromLister.empty() ? "Value" : headingFromLister, 250}, {"CLSID", 0}};
        case hsMozillaVisitedPages: return {{section->heading, 0}, {"Count, Page Type", kPageTypeColumnWidth}};
        default: return {{section->heading, 0}};
    }
}

HistoryActionStates HistoryActionRules(const HistoryListFacts& facts) {
    HistoryActionStates states;
    const bool hasItems = facts.itemCount > 0;
    states.reportEnabled = hasItems;
    const HistorySection* section = FindHistorySection(facts.section);
    if (!section || section->group) {
        // Nothing to list or delete: no node, or a group node.
        states.maskControls = section ? MaskControlsRule::Disabled : MaskControlsRule::Unchanged;
        return states;
    }
    states.updateEnabled = true;
    switch (facts.section) {
        case hsMozillaVisitedPages:
            states.deleteAllEnabled = hasItems;
            states.maskControls = MaskControlsRule::Enabled;
            break;
        case hsClipboard:
            states.deleteEnabled = facts.clipboardHoldsText;
            states.maskControls = MaskControlsRule::Disabled;
            break;
        case hsToolbars:
            states.deleteEnabled = facts.itemSelected && facts.toolbarCommandFound;
            states.maskControls = MaskControlsRule::Unchanged;
            break;
        case hsButtons:
        case hsOtherPlugins:
            states.deleteEnabled = facts.itemSelected;
            states.deleteAllEnabled = hasItems;
            states.maskControls = MaskControlsRule::Unchanged;
            break;
        default:
            states.deleteEnabled = facts.itemSelected;
            states.deleteAllEnabled = hasItems;
            states.maskControls = MaskControlsRule::Enabled;
            break;
    }
    return states;
}

std::string DeleteAllConfirmation(int number) {
    for (const Confirmation& confirmation : kDeleteAllConfirmations)
        if (confirmation.number == number) return confirmation.text;
    return {};
}

bool DeleteNeedsNoItem(int number) { return number == hsClipboard || number == hsRecycleBin || number == hsQuickTime; }

std::string DeleteConfirmation(int number, const std::string& itemText) {
    switch (number) {
        case hsClipboard: return "Do you really want to clear Clipboard?";
        case hsRecycleBin: return "Do you really want to clear Recycle Bin?";
        case hsQuickTime:
            return "You can clear only ALL QuickTime Recent File List.\r\nDo you want to delete ALL QuickTime History "
                   "items?";
        default: return "Do you really want to clear " + itemText + "?";
    }
}

std::string DeleteAllFailureText(int code, const std::string& systemText) {
    std::string text = "Can't clear some item's. \r\n";
    if (code == kFileNotFound || code == kAccessDenied) return text + systemText;
    return text + "Error code: " + std::to_string(code);
}

bool DeleteFailureNamesItem(int code) { return code == kFileNotFound || code == kListedFilesRemained; }

std::string DeleteFailureText(int code, const std::string& itemText, const std::string& systemText) {
    if (DeleteFailureNamesItem(code)) return "Can't clear item: " + itemText;
    // A code the system has no text for still says what went wrong.
    return systemText.empty() ? "Error code: " + std::to_string(code) : systemText;
}
