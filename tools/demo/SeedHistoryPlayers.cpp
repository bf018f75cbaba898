// The demo machine's players' and archivers' recent lists: Media Player,
// RealPlayer (two versions), WinDVD, QuickTime (with its favorites file),
// Winamp (with its play list), WinZip and WinRAR. Everything is written
// only when missing, so seeding twice changes nothing.
#include "SeedTraces.h"
#include "common/Common.h"
#include "history/ArchiverHistory.h"
#include "history/PlayerHistory.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Registry.h"

#include <string>
#include <utility>
#include <vector>

void SeedPlayerAndArchiverTraces();

using namespace history;

namespace {

namespace files = platform::files;
using demo::SeedFile;
using demo::SeedValues;
using demo::Values;

constexpr int kCsidlAppData = 0x1A;

void SeedMediaPlayer() {
    SeedValues(HKEY_CURRENT_USER, kMediaPlayerRecentKey,
                {{"File0", "C:\\Users\\Public\\Music\\Harbour Lights\\01 - Morning Tide.wma"},
                 {"File1", "C:\\Users\\Public\\Videos\\Lakeside Trip 2023\\boat ride.wmv"},
                 {"File2", "D:\\Podcasts\\Garden Hour\\episode 42.mp3"}});
}

void SeedRealPlayer() {
    const std::string base = kRealPlayerKey;
    const struct {
        const char* version;
        const char* clip;
        const char* text;
    } clips[] = {
        {"6.0", "MostRecentClips1", "C:\\Users\\Public\\Videos\\city council meeting.rm"},
        {"6.0", "MostRecentClips2", "http://radio.example.net/live/jazz.ram"},
        {"10.0", "MostRecentClips1", "D:\\Lectures\\astronomy week 3.rmvb"},
        {"10.0", "MostRecentClips2", "C:\\Users\\Public\\Music\\interview with Ms Adeyemi.ra"},
        {"10.0", "MostRecentClips3", "http://news.example.org/clips/evening-bulletin.rm"},
    };
    for (const auto& clip : clips)
        SeedValues(HKEY_CURRENT_USER, base + "\\" + clip.version + "\\Preferences\\" + clip.clip, {{"", clip.text}});
    // A setting beside the clips, which no removal touches.
    SeedValues(HKEY_CURRENT_USER, base + "\\10.0\\Preferences\\Volume", {{"", "80"}});
}

void SeedWinDvd() {
    const std::string base = kInterVideoKey;
    SeedValues(HKEY_CURRENT_USER, base + "\\DVD4", {{"LASTOPENPATH", "E:\\VIDEO_TS"}});
    SeedValues(HKEY_CURRENT_USER, base + "\\DVD5", {{"LASTOPENPATH", "D:\\Movies\\Family Wedding 2019\\VIDEO_TS"}});
    SeedValues(HKEY_CURRENT_USER, base + "\\Common", {{"InstallPath", "C:\\Program Files\\InterVideo\\DVD5"}});
}

void SeedQuickTime() {
    SeedValues(HKEY_CURRENT_USER, kQuickTimeRecentKey,
                {{"Movie1", "C:\\Users\\Public\\Videos\\product launch trailer.mov"},
                 {"Movie2", "D:\\Holiday\\Lisbon tram.mov"},
                 {"Movie3", "Untitled"}});
    SeedValues(HKEY_LOCAL_MACHINE, kQuickTimeRecentKey, {{"Movie1", "C:\\Users\\Public\\Videos\\sample.mov"}});
    const std::string appData = ShellFolderPath(kCsidlAppData);
    if (appData.empty()) return;
    const std::string folder = appData + "\\Apple Computer\\QuickTime";
    SeedValues(HKEY_CURRENT_USER, kQuickTimePreferencesKey, {{"FolderPath", folder}});
    SeedFile(folder + "\\QuickTimeFavorites.qtr", "qtfav\r\nD:\\Holiday\\Lisbon tram.mov\r\n");
    SeedFile(folder + "\\QuickTime.qtp", "preferences");
}

void SeedWinamp() {
    const std::string folder = "C:\\Program Files\\Winamp";
    SeedValues(HKEY_CURRENT_USER, kWinampKey, {{"", folder}});
    SeedFile(folder + "\\winamp.m3u",
              "#EXTM3U\r\n"
              "#EXTINF:245,Harbour Lights - Morning Tide\r\n"
              "C:\\Users\\Public\\Music\\Harbour Lights\\01 - Morning Tide.mp3\r\n"
              "#EXTINF:198,Harbour Lights - Gulls\r\n"
              "C:\\Users\\Public\\Music\\Harbour Lights\\02 - Gulls.mp3\r\n"
              "#EXTINF:-1,Jazz Radio\r\n"
              "http://radio.example.net/live/jazz.pls\r\n"
              "D:\\Podcasts\\Garden Hour\\episode 42.mp3\r\n");
    SeedFile(folder + "\\winamp.ini", "[Winamp]\r\nvolume=200\r\n");
}

void SeedArchivers() {
    SeedValues(HKEY_CURRENT_USER, kWinZipRecentKey,
                {{"filemenu1", "C:\\Users\\Public\\Downloads\\holiday photos.zip"},
                 {"filemenu2", "D:\\Backup\\tax documents 2022.zip"},
                 {"filemenu3", "C:\\Users\\Public\\Documents\\project plans.zip"}});
    SeedValues(HKEY_LOCAL_MACHINE, kWinZipRecentKey, {{"filemenu1", "C:\\Program Files\\Shared\\drivers.zip"}});
    SeedValues(HKEY_CURRENT_USER, kWinRarRecentKey,
                {{"1", "C:\\Users\\Public\\Downloads\\font pack.rar"},
                 {"2", "D:\\Backup\\mail archive 2021.rar"},
                 {"3", "C:\\Users\\Public\\Downloads\\Meadowbrook site"}});
}

}  // namespace

void SeedPlayerAndArchiverTraces() {
    SeedMediaPlayer();
    SeedRealPlayer();
    SeedWinDvd();
    SeedQuickTime();
    SeedWinamp();
    SeedArchivers();
}
