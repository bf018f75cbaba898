// The History sections' ids. An id names its section for good, wherever the
// node shows in the tree: the demo's and a console program's section
// argument and a restarted program's chosen node are ids. A new section
// takes the next free id; its row says where it shows (HistoryNode).
#pragma once

namespace history {

enum HistorySectionId : int {
    hsHistory = 0,  // a group, as are the other ids marked so
    hsInternetExplorer = 1,  // group
    hsIEVisitedPages = 2,
    hsIETypedUrls = 3,
    hsIETemporaryFiles = 4,
    hsIECookies = 5,
    hsAutoCompleteForms = 6,
    hsAutoCompletePasswords = 7,
    hsIndexDat = 8,
    hsDownloadedProgramFiles = 9,
    hsBrowserHelperObjects = 10,
    hsMozillaFirefox = 11,  // group
    hsMozillaVisitedPages = 12,
    hsWindows = 13,  // group
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
    hsMSOffice = 25,  // group
    hsMSWordRecent = 26,
    hsMSExcelRecent = 27,
    hsMSAccessRecent = 28,
    hsMSPowerPointRecent = 29,
    hsMSFrontPageRecent = 30,
    hsMSPublisherRecent = 31,
    hsMultimedia = 32,  // group
    hsMediaPlayerRecent = 33,
    hsRealPlayerRecent = 34,
    hsWinDvdRecent = 35,
    hsQuickTime = 36,
    hsWinAmpRecent = 37,
    hsPaintShopPro = 38,
    hsArchivers = 39,  // group
    hsWinZipRecent = 40,
    hsWinRarRecent = 41,
    hsExtensions = 42,  // group
    hsExtensionsIE = 43,  // group
    hsToolbars = 44,
    hsButtons = 45,
    hsOtherPlugins = 46,
    // The next free id: 47.
};

// The parent of a root node.
constexpr int kTreeRoot = -1;

}  // namespace history
