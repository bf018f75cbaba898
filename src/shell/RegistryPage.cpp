// TRegistryPage: creation, events and the Registry branch of the refresh.
#include "shell/RegistryPage.h"

#include "shell/MainLayout.h"
#include "shell/MainUnit.h"

using namespace layout;

TRegistryPage::TRegistryPage(TfrmMain& frame) : TMainPage(frame, kPageRegistry) {
    const int icon = frame.Layout().Scale(16);
    imlRgSectionsIco.Reset(ImageList_Create(icon, icon, ILC_COLOR32 | ILC_MASK, 0, 4));
    AddToolBar(kIdRgToolBar, {aReport, aRgScan, 0, aRgFix, aRgFixAll, aRgSelectNone, aRgSelectAll, 0, aBackUp},
               TfrmMain::kClientWidth);
    tvRgSections = ui::TreeView(AddTree(kIdRgTree, kTreeWidth, 0, imlRgSectionsIco.Get()));
    // The check-box style goes on after creation: a tree created with it
    // loses its items' check states at the first paint.
    const LONG_PTR treeStyle = GetWindowLongPtrA(tvRgSections.Handle(), GWL_STYLE);
    SetWindowLongPtrA(tvRgSections.Handle(), GWL_STYLE, treeStyle | TVS_CHECKBOXES);
    lvRgValues = ui::ListView(AddList(kIdRgList, kTreeWidth, LVS_EX_CHECKBOXES));
    AddListColumns(lvRgValues, frame.Dpi(),
                   {{"Section", 125}, {"Registry Path", 0}, {"File Name", 136}, {"Guess Path", 95}});
}

TRegistryPage::~TRegistryPage() { DestroyHandle(); }

void TRegistryPage::DpiChanged(int oldDpi, int newDpi) {
    // The section pictures arrive with the page's tool; their list takes the new size.
    RenewSectionImages(imlRgSectionsIco, tvRgSections, newDpi);
    RenewToolBarAndColumns(kIdRgToolBar, lvRgValues, oldDpi, newDpi);
}

void TRegistryPage::RefreshView() {
    ui::ActionList& actions = Frame().Actions();
    bool anyChecked = false;
    const auto items = tvRgSections.Items();
    for (size_t i = 1; i < items.size(); ++i) anyChecked = anyChecked || tvRgSections.Checked(items[i]);
    actions.SetEnabled(aRgScan, anyChecked);
    // The fixer's per-section states enable Fix and Fix All and give the
    // section captions and icons; they arrive with the registry scanner.
    actions.SetEnabled(aRgFix, false);
    actions.SetEnabled(aRgFixAll, false);
    actions.SetEnabled(aReport, lvRgValues.Count() > 0);
    actions.SetEnabled(aRgSelectAll, lvRgValues.ShowsCheckBoxes());
    actions.SetEnabled(aRgSelectNone, lvRgValues.ShowsCheckBoxes() && actions.Enabled(aRgFix));
}

LRESULT TRegistryPage::OnNotify(NMHDR* header) {
    if (header->hwndFrom == lvRgValues.Handle()) return OnResultListNotify(header);
    return TMainPage::OnNotify(header);
}
