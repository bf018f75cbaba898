// Seeds the demo machine with Firefox traces: a profile whose history file
// holds visits to several hosts, one of them hidden (a frame the browser
// loaded on its own) and one visited only once. A history file already there
// is left as it is, so a second seeding changes nothing.
#include "platform/Files.h"
#include "platform/Processes.h"

#include <cstdio>
#include <string>

void SeedMozillaTraces();

namespace {

namespace files = platform::files;

const char* const kProfileName = "k4x9q2mf.default";

// The file as the browser lays it out: its header and column names, an
// empty line, the dictionary of addresses, hosts and visit times, the
// table's line, one row per visit (one of them split over two lines), and
// the table's end.
const char* const kHistoryText =
    "// <!-- <mdb:mork:z v=\"1.4\"/> -->\r\n"
    "< <(a=c)> // (f=iso-8859-1)\r\n"
    "  (8A=Typed)(8B=LastPageVisited)(8C=ByteOrder)(80=ns:history:db:row:scope:history:all)\r\n"
    "  (81=ns:history:db:table:kind:history)(82=URL)(83=Referrer)(84=LastVisitDate)\r\n"
    "  (85=FirstVisitDate)(86=VisitCount)(87=Name)(88=Hostname)(89=Hidden)>\r\n"
    "\r\n"
    "<(80=LE)(A0=www.lakeside-weather.example)(A1=www.copperleaf-books.example)\r\n"
    "  (A2=forum.tinkerbox.example)(A3=www.greenfork-recipes.example)(A4=mail.quillpost.example)\r\n"
    "  (A5=ads.clickmeadow.example)(A6=tickets.harborline-rail.example)\r\n"
    "  (B0=http://www.lakeside-weather.example/forecast/week.html)\r\n"
    "  (B1=http://www.lakeside-weather.example/radar/)\r\n"
    "  (B2=http://www.copperleaf-books.example/catalogue/new-arrivals.html)\r\n"
    "  (B3=http://forum.tinkerbox.example/thread/4411-soldering-irons)\r\n"
    "  (B4=http://forum.tinkerbox.example/thread/4472-bench-power-supply)\r\n"
    "  (B5=http://forum.tinkerbox.example/)(B6=http://www.greenfork-recipes.example/soups/lentil.html)\r\n"
    "  (B7=http://mail.quillpost.example/inbox)(B8=http://ads.clickmeadow.example/frame/468x60.html)\r\n"
    "  (B9=http://tickets.harborline-rail.example/timetable?from=Westport&to=Millbrook)\r\n"
    "  (C0=1196112000000000)(C1=1196198400000000)(C2=1196284800000000)(C3=1196371200000000)\r\n"
    "  (C4=1196457600000000)(C5=1196544000000000)\r\n"
    "  (D0=Lakeside Weather - the week ahead)(D1=Copperleaf Books: new arrivals)(D2=Tinkerbox forum)>\r\n"
    "{1:^80 {(k^81:c)(s=9)[1(^8C=LE)]}\r\n"
    "[2(^82^B0)(^84^C3)(^85^C0)(^88^A0)(^87^D0)(^86=4)]\r\n"
    "[3(^82^B1)(^84^C4)(^85^C1)(^88^A0)(^86=2)]\r\n"
    "[4(^82^B2)(^84^C2)(^85^C0)(^88^A1)(^87^D1)(^86=3)]\r\n"
    "[5(^82^B3)(^84^C5)(^85^C2)(^88^A2)(^87^D2)\r\n"
    "  (^86=5)]\r\n"
    "[6(^82^B4)(^84^C5)(^85^C3)(^88^A2)(^86=2)]\r\n"
    "[7(^82^B5)(^84^C4)(^85^C1)(^88^A2)(^86=7)]\r\n"
    "[8(^82^B6)(^84^C3)(^85^C2)(^88^A3)(^86=2)]\r\n"
    "[9(^82^B7)(^84^C5)(^85^C0)(^88^A4)(^86=12)]\r\n"
    "[A(^82^B8)(^84^C4)(^85^C1)(^88^A5)(^89=1)(^86=3)]\r\n"
    "[B(^82^B9)(^84^C2)(^85^C2)(^88^A6)(^86=1)]\r\n"
    "}\r\n";

}  // namespace

void SeedMozillaTraces() {
    const std::string appData = platform::processes::EnvironmentVariable("APPDATA");
    if (appData.empty()) {
        std::fprintf(stderr, "no APPDATA folder: no Firefox profile seeded\n");
        return;
    }
    const std::string firefox = appData + "\\Mozilla\\Firefox\\";
    const std::string profile = firefox + "Profiles\\" + kProfileName + "\\";
    if (!files::CreateFolderPath(profile)) {
        std::fprintf(stderr, "the Firefox profile folder could not be made\n");
        return;
    }
    const std::string profilesIni = firefox + "profiles.ini";
    if (!files::FileExists(profilesIni))
        files::WriteFileBytes(profilesIni, std::string("[General]\r\nStartWithLastProfile=1\r\n\r\n[Profile0]\r\n"
                                                       "Name=default\r\nIsRelative=1\r\nPath=Profiles/") +
                                               kProfileName + "\r\n");
    const std::string history = profile + "history.dat";
    if (!files::FileExists(history) && !files::WriteFileBytes(history, kHistoryText))
        std::fprintf(stderr, "the Firefox history file could not be written\n");
}
