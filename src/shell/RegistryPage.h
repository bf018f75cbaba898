// TRegistryPage: the Registry page: the section tree tvRgSections with its
// check boxes, the problem list lvRgValues and the Registry branch of the
// central refresh. The scanner, its results and the fixing arrive with the
// registry tool (registry_scan/); their handlers go here.
#pragma once

#include "platform/Handles.h"
#include "shell/MainPage.h"

class TRegistryPage : public TMainPage {
public:
    explicit TRegistryPage(TfrmMain& frame);
    ~TRegistryPage() override;

    ui::TreeView tvRgSections;
    ui::ListView lvRgValues;

    ui::TreeView SectionTree() const override { return tvRgSections; }
    void RefreshView() override;  // the Registry branch of the central refresh
    void DpiChanged(int oldDpi, int newDpi) override;

protected:
    LRESULT OnNotify(NMHDR* header) override;

private:
    platform::ImageListHandle imlRgSectionsIco;
};
