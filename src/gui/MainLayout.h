// Sizes, colours and control identifiers of the main window.
#pragma once

#include <windows.h>

namespace gui {

namespace layout {

constexpr COLORREF kFormColor = RGB(224, 223, 227);
constexpr COLORREF kListColor = RGB(255, 245, 229);
constexpr COLORREF kVendorText = RGB(255, 162, 0);
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr COLORREF kSelectionColor = RGB(255, 214, 153);  // the shown section while the tree is unfocused

// The main window's client size at 96 DPI; it scales with the window's DPI.
constexpr int kClientWidth = 794;
constexpr int kClientHeight = 568;

constexpr int kTitleHeight = 68;
constexpr int kVendorHeight = 17;
constexpr int kPageTop = kTitleHeight;
constexpr int kPageHeight = kClientHeight - kTitleHeight - kVendorHeight;
constexpr int kStripHeight = 40;
constexpr int kTreeWidth = 269;
constexpr int kHistoryTreeWidth = 275;
constexpr int kAboutPanelWidth = 316;
constexpr int kDefaultColumnWidth = 50;

enum ControlId : int {
    kIdTitle = 100,
    kIdVendor,
    kIdSuToolBar,
    kIdSuTree,
    kIdSuList,
    kIdRgToolBar,
    kIdRgTree,
    kIdRgList,
    kIdHsToolBar,
    kIdHsTree,
    kIdHsList,
    kIdUseMask,
    kIdMask,
    kIdWholeWord,
    kIdHelp,
    kIdHsProgress,
    kIdHsStop,
    kIdLinkFirst = 200,  // four link labels
};

}  // namespace layout

// The form colour's brush, shared by the window classes for the program's life.
HBRUSH FormBrush();

}  // namespace gui
