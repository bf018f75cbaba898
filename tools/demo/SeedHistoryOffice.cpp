// Seeds the demo machine with the Office recent lists the history page
// reads from the registry: Access, PowerPoint and Publisher under one Office
// version, and FrontPage's recent pages. Word and Excel are read from their
// running programs, which the demo machine does not have, so their sections
// stay empty. Values are written only when missing: seeding twice changes
// nothing.
#include "SeedTraces.h"
#include "history/OfficeRecentLists.h"
#include "platform/Handles.h"
#include "platform/Registry.h"

#include <string>
#include <utility>
#include <vector>

void SeedOfficeTraces();

using namespace history;

namespace {

using demo::SeedValues;
using demo::Values;

// Office 2003 keeps its settings under version 11.0.
const std::string kVersion = std::string(kOfficeKey) + "\\11.0\\";

}  // namespace

void SeedOfficeTraces() {
    SeedValues(HKEY_CURRENT_USER, kVersion + "Common\\General", {{"RecentFiles", "9"}});
    // Access keeps its other settings beside the list; only MRU1 to MRU9 are entries.
    SeedValues(HKEY_CURRENT_USER, kVersion + kAccessList.listKey,
                {{"MRU1", "C:\\Users\\Public\\Documents\\Harbor Club\\members.mdb"},
                 {"MRU2", "D:\\Finance\\household accounts 2023.mdb"},
                 {"MRU3", "\\\\fileserver\\shared\\inventory\\stock control.mdb"},
                 {"Default Database Directory", "C:\\Users\\Public\\Documents"}});
    SeedValues(HKEY_CURRENT_USER, kVersion + kPowerPointList.listKey,
                {{"File1", "C:\\Users\\Public\\Documents\\Quarterly Review Q3.ppt"},
                 {"File2", "D:\\Talks\\Meadowbrook school visit.ppt"},
                 {"File3", "C:\\Users\\Public\\Documents\\Ravenna Ltd pitch (draft).pps"}});
    SeedValues(HKEY_CURRENT_USER, kVersion + kPublisherList.listKey,
                {{"File1", "C:\\Users\\Public\\Documents\\summer fair flyer.pub"},
                 {"File2", "D:\\Design\\Greenfield newsletter autumn.pub"}});
    SeedValues(HKEY_CURRENT_USER, kFrontPageRecentKey, {{"Url1", "C:\\Users\\Public\\Documents\\My Web Sites\\harbor-club\\index.htm"},
                                      {"Url2", "http://intranet/teams/finance/default.htm"},
                                      {"Url3", "C:\\Users\\Public\\Documents\\My Web Sites\\recipes\\soups.htm"}});
}
