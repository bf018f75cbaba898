// TfrmMain: the StartUp page: the section tree's events, showing a listing,
// Update and the StartUp branch of the central refresh.
#include "shell/MainUnit.h"

#include "platform/Files.h"
#include "platform/Shell.h"

#include <map>

void TfrmMain::SelectSuSection(int position) {
    if (HTREEITEM item = tvSuSections.ItemWithData(position)) tvSuSections.Select(item);
}

int TfrmMain::SelectedSuPosition() const {
    HTREEITEM item = tvSuSections.Selected();
    return item ? static_cast<int>(tvSuSections.Data(item)) : -1;
}

void TfrmMain::ClearSuValues() {
    ListRebuilding = true;
    lvSuValues.Clear();
    ImageList_RemoveAll(imlSuTmpIco.Get());
    ListRebuilding = false;
}

void TfrmMain::FillSuValues(const StartupListing& listing) {
    ListRebuilding = true;
    lvSuValues.SetExtendedStyle(LVS_EX_CHECKBOXES, listing.checkBoxes ? LVS_EX_CHECKBOXES : 0);
    std::map<std::string, int> iconIndex;  // one icon per file and listing
    for (const StartupRow& row : listing.rows) {
        int image = -1;
        if (!row.iconFile.empty()) {
            auto found = iconIndex.find(row.iconFile);
            if (found == iconIndex.end()) {
                platform::IconHandle icon = platform::shell::ExtractFirstIcon(row.iconFile);
                int added = icon ? ImageList_AddIcon(imlSuTmpIco.Get(), icon.Get()) : -1;
                found = iconIndex.emplace(row.iconFile, added).first;
            }
            image = found->second;
        }
        const int index = lvSuValues.AddItem(row.caption, image, MakeRowData(++suRowSerial_, row.subItems.size()));
        if (listing.checkBoxes) lvSuValues.SetChecked(index, row.checked);
        for (size_t k = 0; k < row.subItems.size(); ++k)
            lvSuValues.SetText(index, static_cast<int>(k + 1), row.subItems[k]);
    }
    suPopup_ = listing.popup;
    ListRebuilding = false;
}

void TfrmMain::RelistSuSection() {
    ClearSuValues();
    const int position = SelectedSuPosition();
    if (position < 0) return;
    StartupListing listing;
    ListSection(position, listing, *versionInfo_);
    FillSuValues(listing);
}

void TfrmMain::SuTreeChanged() {
    RelistSuSection();
    RefreshView();
}

void TfrmMain::SuTreeExpanded(HTREEITEM item, bool expanded) {
    tvSuSections.SetImage(item, expanded ? kSuImageExpanded : kSuImagePresent);
}

void TfrmMain::aSuUpdateExecute() {
    if (CurrentPage != kPageStartUp) return;
    RelistSuSection();
    SortListAgain(lvSuValues.Handle());
    RefreshView();
}

bool TfrmMain::SelectedSuRowDescribable() {
    const int row = lvSuValues.Selected();
    const int position = SelectedSuPosition();
    if (row < 0 || position < 0 || RowSubItemCount(lvSuValues.Data(row)) == 0) return false;
    const std::string path =
        ::ProgramInfoPath(position, lvSuValues.Text(row, 0), lvSuValues.Text(row, 1), *versionInfo_);
    return CanDescribeFile(path, *versionInfo_);
}

void TfrmMain::RefreshStartUp() {
    suPresence_ = UpdateSectionFlags();
    for (HTREEITEM item : tvSuSections.Items()) {
        const int position = static_cast<int>(tvSuSections.Data(item));
        if (!IsGroupSection(position)) tvSuSections.SetImage(item, SectionImage(position, suPresence_));
    }
    const int position = SelectedSuPosition();
    const bool rowSelected = lvSuValues.Selected() >= 0;
    const bool registryOrAutostart =
        (position >= kSuRegistry && position <= kSuRunServiceOnce) || position == kSuAutostart;
    const bool fileSection = position >= kSuWinIni && position <= kSuConfigNt;
    actions_.SetEnabled(aSuUpdate, position >= 0);
    actions_.SetEnabled(aSuAdd, registryOrAutostart);
    actions_.SetEnabled(aSuDelete, rowSelected && registryOrAutostart);
    actions_.SetEnabled(aSuCheck, rowSelected && lvSuValues.ShowsCheckBoxes());
    actions_.SetEnabled(aSuEdit, fileSection && platform::files::FileExists(SectionFilePath(position)));
    actions_.SetEnabled(aSuInfo, rowSelected && SelectedSuRowDescribable());
    actions_.SetEnabled(aReport, lvSuValues.Count() > 0);
}
