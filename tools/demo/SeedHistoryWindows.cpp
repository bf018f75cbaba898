// Seeds the demo machine with the Windows traces the history page lists:
// recent documents, Run, Find and Open/Save histories, Paint, WordPad and
// Paint Shop Pro lists, the temporary folder, Send-To and downloaded
// installations. Everything is written only when missing, so a demo start
// after a clean-up puts the traces back and a second seeding changes nothing.
#include "SeedTraces.h"
#include "common/Common.h"
#include "history/PlayerHistory.h"
#include "history/WindowsHistory.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <string>
#include <utility>
#include <vector>

void SeedWindowsTraces();

using namespace history;

namespace {

namespace files = platform::files;
using demo::SeedFile;
using demo::SeedValues;
using demo::Values;

void TraceShortcut(const std::string& folder, const std::string& name, const std::string& target) {
    if (folder.empty()) return;
    const std::string path = folder + "\\" + name + ".lnk";
    if (files::FileExists(path)) return;
    files::CreateFolderPath(folder);
    platform::shell::LinkFields fields;
    fields.target = target;
    fields.workingDirectory = files::ExtractFilePath(target);
    platform::shell::WriteLink(path, fields);
}

void SeedRecentDocuments() {
    const std::string recent = RecentDocumentsFolder();
    TraceShortcut(recent, "Quarterly Report Q3.docx", "C:\\Users\\Public\\Documents\\Quarterly Report Q3.docx");
    TraceShortcut(recent, "Lakeside Trip 2023", "C:\\Users\\Public\\Pictures\\Lakeside Trip 2023");
    TraceShortcut(recent, "household budget.xls", "D:\\Finance\\household budget.xls");
    TraceShortcut(recent, "Kündigung Entwurf.txt", "C:\\Users\\Public\\Documents\\Kündigung Entwurf.txt");
}

// The registry scanner's demo entries use the names "a" and "b" here.
void SeedRunHistory() {
    SeedValues(HKEY_CURRENT_USER, kRunMruKey, {{"c", "C:\\Program Files\\Harbor Notes\\harbor.exe\\1"},
                             {"d", "cmd\\1"},
                             {"e", "\\\\fileserver\\shared\\minutes\\1"},
                             {kMruListValue, "cdeab"}});
}

void SeedFindHistory() {
    const std::string base = kFindHistoryKey;
    SeedValues(HKEY_CURRENT_USER, base + "\\5603", {{"000", "invoice*.pdf"}, {"001", "holiday photos"}});
    SeedValues(HKEY_CURRENT_USER, base + "\\5604", {{"000", "tax return"}, {"001", "Meadowbrook"}});
    SeedValues(HKEY_CURRENT_USER, base + "\\5647", {{"000", "FILESERVER"}});
}

void SeedOpenSaveHistory() {
    const std::string base = kOpenSaveKey;
    SeedValues(HKEY_CURRENT_USER, base + "\\txt", {{"a", "C:\\Users\\Public\\Documents\\shopping list.txt"},
                                 {"b", "D:\\Notes\\call with Ravenna Ltd.txt"},
                                 {kMruListValue, "ba"}});
    SeedValues(HKEY_CURRENT_USER, base + "\\jpg", {{"a", "C:\\Users\\Public\\Pictures\\Lakeside Trip 2023\\pier.jpg"}, {kMruListValue, "a"}});
    SeedValues(HKEY_CURRENT_USER, base + "\\*", {{"a", "C:\\Users\\Public\\Documents\\shopping list.txt"},
                               {"b", "C:\\Users\\Public\\Pictures\\Lakeside Trip 2023\\pier.jpg"},
                               {"c", "D:\\Finance\\household budget.xls"},
                               {kMruListValue, "cba"}});
}

void SeedApplicationLists() {
    SeedValues(HKEY_CURRENT_USER, kPaintRecentKey, {{"File1", "C:\\Users\\Public\\Pictures\\floor plan.bmp"},
                                  {"File2", "C:\\Users\\Public\\Pictures\\birthday card.png"}});
    SeedValues(HKEY_CURRENT_USER, kWordPadRecentKey, {{"File1", "C:\\Users\\Public\\Documents\\letter to Mrs Okafor.rtf"},
                                    {"File2", "D:\\Notes\\recipe ideas.txt"}});
    SeedValues(HKEY_CURRENT_USER, kPaintShopProKeys[0], {{"File1", "C:\\Scans\\old family photo 1987.tif"}});
    SeedValues(HKEY_CURRENT_USER, kPaintShopProKeys[1], {{"File1", "C:\\Users\\Public\\Pictures\\logo draft.psp"},
                                       {"File2", "C:\\Users\\Public\\Pictures\\banner.psp"}});
    SeedValues(HKEY_CURRENT_USER, kPaintShopProKeys[2], {{"File1", "D:\\Design\\Greenfield poster.pspimage"}});
}

void SeedFolders() {
    const std::string temp = TemporaryFolder();
    SeedFile(temp + "\\~df3A91.tmp", "scratch");
    SeedFile(temp + "\\setup_2023-08-14.log", "Setup finished.\r\n");
    SeedFile(temp + "\\HarborNotesUpdate\\payload.cab", "cabinet");

    const std::string sendTo = SendToFolder();
    TraceShortcut(sendTo, "Harbor Notes", "C:\\Program Files\\Harbor Notes\\harbor.exe");
    TraceShortcut(sendTo, "Backup Stick (E)", "E:\\");

    const std::string downloaded = DownloadedInstallationsFolder();
    SeedFile(downloaded + "\\{3F2A1B4C-9D8E-4F70-A1B2-C3D4E5F60718}\\HarborNotes.msi", "msi");
    SeedFile(downloaded + "\\PhotoTidy 3.2\\PhotoTidy-3.2-setup.msi", "msi");
}

}  // namespace

void SeedWindowsTraces() {
    SeedRecentDocuments();
    SeedRunHistory();
    SeedFindHistory();
    SeedOpenSaveHistory();
    SeedApplicationLists();
    SeedFolders();
}
