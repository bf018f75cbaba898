// THistoryPage: the History page: the section tree tvHsSections, the trace
// list lvHsValues, the mask controls ("Use Mask:" cbUseMask, edtMask,
// "Whole Word" cbWholeWord) and the History branch of the central refresh.
// The sections, their listing and the delete commands arrive with the
// history tool (history/); their handlers go here.
#pragma once

#include "platform/Handles.h"
#include "shell/MainPage.h"

class THistoryPage : public TMainPage {
public:
    explicit THistoryPage(TfrmMain& frame);
    ~THistoryPage() override;

    ui::TreeView tvHsSections;
    ui::ListView lvHsValues;
    HWND cbUseMask = nullptr, edtMask = nullptr, cbWholeWord = nullptr;

    ui::TreeView SectionTree() const override { return tvHsSections; }
    void RefreshView() override;  // the History branch of the central refresh
    void DpiChanged(int oldDpi, int newDpi) override;
    // The mask-controls switch.
    void SetMaskControls(bool allowed);

protected:
    LRESULT OnNotify(NMHDR* header) override;
    void OnCommand(int id, int code, HWND control) override;
    void OnContextMenu(HWND source, POINT screen) override;
    LRESULT OnControlColor(HDC dc, HWND control) override;

private:
    platform::ImageListHandle imlHiSectionsIco;
};
