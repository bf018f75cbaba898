// Seeds the demo machine with the Windows traces the history page lists:
// recent documents, Run, Find and Open/Save histories, Paint, WordPad and
// Paint Shop Pro lists, the temporary folder, Send-To and downloaded
// installations. Everything is written only when missing, so a demo start
// after a clean-up puts the traces back and a second seeding changes nothing.
#include "common/Common.h"
#include "history/HsFunMultimedia.h"
#include "history/HsFunMyComputer.h"
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
using Values = std::vector<std::pair<std::string, std::string>>;

void TraceValues(const std::string& path, const Values& values) {
    platform::KeyHandle key;
    if (platform::reg::CreateKey(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE | KEY_SET_VALUE, key) != ERROR_SUCCESS)
        return;
    for (const auto& [name, text] : values) {
        DWORD type = 0, size = 0;
        if (platform::reg::QueryValueInfo(key.Get(), name, type, size) != ERROR_SUCCESS)
            platform::reg::SetString(key.Get(), name, text);
    }
}

void TraceFile(const std::string& path, const std::string& contents) {
    if (files::FileExists(path)) return;
    files::CreateFolderPath(files::ExtractFilePath(path));
    files::WriteFileBytes(path, contents);
}

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
    TraceValues(kRunMruKey, {{"c", "C:\\Program Files\\Harbor Notes\\harbor.exe\\1"},
                             {"d", "cmd\\1"},
                             {"e", "\\\\fileserver\\shared\\minutes\\1"},
                             {kMruListValue, "cdeab"}});
}

void SeedFindHistory() {
    const std::string base = kFindHistoryKey;
    TraceValues(base + "\\5603", {{"000", "invoice*.pdf"}, {"001", "holiday photos"}});
    TraceValues(base + "\\5604", {{"000", "tax return"}, {"001", "Meadowbrook"}});
    TraceValues(base + "\\5647", {{"000", "FILESERVER"}});
}

void SeedOpenSaveHistory() {
    const std::string base = kOpenSaveKey;
    TraceValues(base + "\\txt", {{"a", "C:\\Users\\Public\\Documents\\shopping list.txt"},
                                 {"b", "D:\\Notes\\call with Ravenna Ltd.txt"},
                                 {kMruListValue, "ba"}});
    TraceValues(base + "\\jpg", {{"a", "C:\\Users\\Public\\Pictures\\Lakeside Trip 2023\\pier.jpg"}, {kMruListValue, "a"}});
    TraceValues(base + "\\*", {{"a", "C:\\Users\\Public\\Documents\\shopping list.txt"},
                               {"b", "C:\\Users\\Public\\Pictures\\Lakeside Trip 2023\\pier.jpg"},
                               {"c", "D:\\Finance\\household budget.xls"},
                               {kMruListValue, "cba"}});
}

void SeedApplicationLists() {
    TraceValues(kPaintRecentKey, {{"File1", "C:\\Users\\Public\\Pictures\\floor plan.bmp"},
                                  {"File2", "C:\\Users\\Public\\Pictures\\birthday card.png"}});
    TraceValues(kWordPadRecentKey, {{"File1", "C:\\Users\\Public\\Documents\\letter to Mrs Okafor.rtf"},
                                    {"File2", "D:\\Notes\\recipe ideas.txt"}});
    TraceValues(kPaintShopProKeys[0], {{"File1", "C:\\Scans\\old family photo 1987.tif"}});
    TraceValues(kPaintShopProKeys[1], {{"File1", "C:\\Users\\Public\\Pictures\\logo draft.psp"},
                                       {"File2", "C:\\Users\\Public\\Pictures\\banner.psp"}});
    TraceValues(kPaintShopProKeys[2], {{"File1", "D:\\Design\\Greenfield poster.pspimage"}});
}

void SeedFolders() {
    const std::string temp = TemporaryFolder();
    TraceFile(temp + "\\~df3A91.tmp", "scratch");
    TraceFile(temp + "\\setup_2023-08-14.log", "Setup finished.\r\n");
    TraceFile(temp + "\\HarborNotesUpdate\\payload.cab", "cabinet");

    const std::string sendTo = SendToFolder();
    TraceShortcut(sendTo, "Harbor Notes", "C:\\Program Files\\Harbor Notes\\harbor.exe");
    TraceShortcut(sendTo, "Backup Stick (E)", "E:\\");

    const std::string downloaded = DownloadedInstallationsFolder();
    TraceFile(downloaded + "\\{3F2A1B4C-9D8E-4F70-A1B2-C3D4E5F60718}\\HarborNotes.msi", "msi");
    TraceFile(downloaded + "\\PhotoTidy 3.2\\PhotoTidy-3.2-setup.msi", "msi");
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
