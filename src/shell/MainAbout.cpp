// TfrmMain: the About page with its labels, links and the help text.
#include "shell/MainUnit.h"

#include "platform/Files.h"
#include "platform/Shell.h"
#include "shell/HelpText.h"
#include "shell/MainLayout.h"

using namespace layout;

namespace {

HWND Label(HWND page, const char* text, int x, int y, int width, int height, DWORD style = 0,
           int id = 0) {
    return CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, page,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                           nullptr);
}

}  // namespace

void TfrmMain::CreateAboutPage() {
    HWND page = CreatePageWindow(kPageAbout);
    const int panel = kClientWidth - kAboutPanelWidth;
    mHelp = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                            0, 0, panel, kPageHeight, page,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdHelp)), GetModuleHandleA(nullptr),
                            nullptr);
    const int left = panel + 16, valueLeft = panel + 124, width = kAboutPanelWidth - 32;
    Label(page, "Orvelin", left, 16, width, 44, SS_CENTER, kIdLinkFirst - 1);
    Label(page, "", left, 68, width, 2, SS_ETCHEDHORZ);
    const char* const pairs[3][2] = {{"Version:", "2.0"}, {"Mod:", "Home Edition"}, {"Manufacturer:", "Orvelin Software"}};
    int y = 82;
    for (const auto& pair : pairs) {
        Label(page, pair[0], left, y, 104, 16);
        Label(page, pair[1], valueLeft, y, width - 108, 16);
        y += 22;
    }
    Label(page, "", left, y + 4, width, 2, SS_ETCHEDHORZ);
    y += 18;
    const char* const links[4][2] = {{"Web Site:", "www.orvelin.example"},
                                     {"Support:", "support@orvelin.example"},
                                     {"Support Forum:", "forum.orvelin.example"},
                                     {"FAQ:", "www.orvelin.example/faq"}};
    for (int i = 0; i < 4; ++i) {
        Label(page, links[i][0], left, y, 104, 16);
        HWND link = Label(page, links[i][1], valueLeft, y, width - 108, 16, SS_NOTIFY, kIdLinkFirst + i);
        SetPropA(link, "OrvLink", reinterpret_cast<HANDLE>(1));
        linkLabels_.push_back(link);
        y += 22;
    }
}

void TfrmMain::ApplyAboutFonts() {
    productFont_.Reset(CreateFontA(-36, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New"));
    SendMessageA(GetDlgItem(tsPage(kPageAbout), kIdLinkFirst - 1), WM_SETFONT,
                 reinterpret_cast<WPARAM>(productFont_.Get()), FALSE);
    LOGFONTA underlined{};
    GetObjectA(font_.Get(), sizeof(underlined), &underlined);
    underlined.lfUnderline = TRUE;
    linkFont_.Reset(CreateFontIndirectA(&underlined));
    for (HWND link : linkLabels_) SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), FALSE);
}

void TfrmMain::OpenLink(int index) {
    if (index < 0 || index >= 4) return;
    platform::shell::ShellOpen(Handle(), "open", kLinkTargets[index], 0);
}

void TfrmMain::NavigateHelp(const std::string& path) {
    std::string html;
    const std::string text = platform::files::ReadFileBytes(path, html)
                                 ? HtmlToPlainText(html)
                                 : "The page cannot be displayed.\r\n\r\nCannot find '" + path + "'.";
    SetWindowTextA(mHelp, text.c_str());
}

std::string TfrmMain::HelpText() const { return ui::ControlText(mHelp); }
