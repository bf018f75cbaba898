// THistoryPage: creation, events, the mask controls and the History branch
// of the refresh.
#include "shell/HistoryPage.h"

#include "shell/MainLayout.h"
#include "shell/MainUnit.h"

using namespace layout;

THistoryPage::THistoryPage(TfrmMain& frame) : TMainPage(frame, kPageHistory) {
    const int icon = frame.Layout().Scale(16);
    imlHiSectionsIco.Reset(ImageList_Create(icon, icon, ILC_COLOR32 | ILC_MASK, 0, 4));
    AddToolBar(kIdHsToolBar, {aReport, aHsUpdate, 0, aHsDelete, aHsDeleteAll}, 170);
    cbUseMask = AddControl("BUTTON", "Use Mask:", WS_TABSTOP | BS_AUTOCHECKBOX, 182, 11, 72, 18, kIdUseMask);
    edtMask = AddControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 258, 9, 193, 21, kIdMask, WS_EX_CLIENTEDGE);
    cbWholeWord = AddControl("BUTTON", "Whole Word", WS_TABSTOP | BS_AUTOCHECKBOX, 460, 11, 90, 18, kIdWholeWord);
    tvHsSections = ui::TreeView(AddTree(kIdHsTree, kHistoryTreeWidth, 0, imlHiSectionsIco.Get()));
    lvHsValues = ui::ListView(AddList(kIdHsList, kHistoryTreeWidth, LVS_EX_FULLROWSELECT));
    AddListColumns(lvHsValues, frame.Dpi(), {{"Value", 0}});
    SetMaskControls(true);
}

THistoryPage::~THistoryPage() { DestroyHandle(); }

void THistoryPage::DpiChanged(int oldDpi, int newDpi) {
    // The section pictures arrive with the page's tool; their list takes the new size.
    RenewSectionImages(imlHiSectionsIco, tvHsSections, newDpi);
    RenewToolBarAndColumns(kIdHsToolBar, lvHsValues, oldDpi, newDpi);
}

void THistoryPage::SetMaskControls(bool allowed) {
    EnableWindow(cbUseMask, allowed);
    const bool maskOn = allowed && SendMessageA(cbUseMask, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(edtMask, maskOn);
    EnableWindow(cbWholeWord, maskOn);
    InvalidateRect(edtMask, nullptr, TRUE);
}

void THistoryPage::RefreshView() {
    // The section rules (Delete, Delete All, Update, mask controls) arrive
    // with the history sections.
    Frame().Actions().SetEnabled(aReport, lvHsValues.Count() > 0);
}

LRESULT THistoryPage::OnNotify(NMHDR* header) {
    if (header->hwndFrom == lvHsValues.Handle()) return OnResultListNotify(header);
    return TMainPage::OnNotify(header);
}

void THistoryPage::OnCommand(int id, int code, HWND control) {
    if (id == kIdUseMask && code == BN_CLICKED) {
        Frame().RefreshView();
        return;
    }
    TMainPage::OnCommand(id, code, control);
}

void THistoryPage::OnContextMenu(HWND source, POINT screen) {
    if (source == lvHsValues.Handle()) ShowActionMenu(source, screen, {aHsDelete, aHsDeleteAll, 0, aReport});
}

LRESULT THistoryPage::OnControlColor(HDC dc, HWND control) {
    if (control != edtMask) return TMainPage::OnControlColor(dc, control);
    // The mask field shows the window colour when it can be typed in and
    // the button-face colour when not.
    const int colour = IsWindowEnabled(edtMask) ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(colour));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
}
