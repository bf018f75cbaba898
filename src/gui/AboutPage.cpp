// AboutPageWindow: the About page with its labels, links and the help text.
#include "gui/AboutPage.h"

#include "platform/Files.h"
#include "platform/Shell.h"
#include "common/ProgramSettings.h"
#include "formats/HelpText.h"
#include "gui/MainLayout.h"
#include "ui/Dpi.h"
#include "ui/KeyboardLink.h"
#include "ui/ModalDialog.h"
#include "ui/RichText.h"

#include <richedit.h>

#include <algorithm>

namespace gui {

using namespace layout;

const char* const AboutPageWindow::kLinkTargets[4] = {
    "https://www.orvelin.example/",
    "mailto:support@orvelin.example",
    "https://forum.orvelin.example/",
    "https://www.orvelin.example/faq/",
};

AboutPageWindow::AboutPageWindow(IPageHost& frame) : PageWindow(frame, kPageAbout) {
    const int panel = kClientWidth - kAboutPanelWidth;
    // A rich edit control shows the help's headings, emphasis and lists. It
    // also breaks lines at spaces only: Wine's edit control breaks after a
    // "/" too, which split "N/A" and "On/Off".
    mHelp = AddControl(ui::RichEditClass(), "", WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                       0, 0, panel, kPageHeight, kIdHelp, WS_EX_CLIENTEDGE, ui::kGrowRight | ui::kGrowDown);
    SendMessageA(mHelp, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    const int left = panel + 16, valueLeft = panel + 124, width = kAboutPanelWidth - 32;
    // The panel of labels keeps its width at the right; the help takes the rest.
    constexpr unsigned kRight = ui::kMoveRight;
    productLabel_ = AddControl("STATIC", "Orvelin", SS_CENTER, left, 16, width, 44, kIdLinkFirst - 1, 0, kRight);
    AddControl("STATIC", "", SS_ETCHEDHORZ, left, 68, width, 2, 0, 0, kRight);
    const char* const pairs[4][2] = {{"Version:", Frame().Settings().version.c_str()},
                                     {"Mod:", "Home Edition"},
                                     {"Manufacturer:", "Orvelin Software"},
                                     {"Data Folder:", Frame().Settings().dataFolder.c_str()}};
    int y = 82;
    for (const auto& pair : pairs) {
        AddControl("STATIC", pair[0], 0, left, y, 104, 16, 0, 0, kRight);
        // A long folder keeps its drive and its last folder in sight.
        AddControl("STATIC", pair[1], SS_PATHELLIPSIS | SS_NOPREFIX, valueLeft, y, width - 108, 16, 0, 0, kRight);
        y += 22;
    }
    AddControl("STATIC", "", SS_ETCHEDHORZ, left, y + 4, width, 2, 0, 0, kRight);
    y += 18;
    const char* const links[4][2] = {{"Web Site:", "www.orvelin.example"},
                                     {"Support:", "support@orvelin.example"},
                                     {"Support Forum:", "forum.orvelin.example"},
                                     {"FAQ:", "www.orvelin.example/faq"}};
    for (int i = 0; i < 4; ++i) {
        AddControl("STATIC", links[i][0], 0, left, y, 104, 16, 0, 0, kRight);
        // Tab reaches the links; Enter or Space opens one as a click does.
        linkLabels_.push_back(AddControl("STATIC", links[i][1], SS_NOTIFY | WS_TABSTOP, valueLeft, y, width - 108,
                                         16, kIdLinkFirst + i, 0, kRight));
        ui::MakeKeyboardLink(linkLabels_.back());
        y += 22;
    }
}

AboutPageWindow::~AboutPageWindow() { DestroyHandle(); }

void AboutPageWindow::ApplyPageFonts(int dpi) {
    platform::GdiHandle oldProduct = std::move(productFont_), oldLink = std::move(linkFont_);
    productFont_.Reset(CreateFontA(-ui::ScaleForDpi(36, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN,
                                   "Courier New"));
    SendMessageA(productLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(productFont_.Get()), FALSE);
    LOGFONTA underlined{};
    GetObjectA(Frame().Font(), sizeof(underlined), &underlined);
    underlined.lfUnderline = TRUE;
    linkFont_.Reset(CreateFontIndirectA(&underlined));
    for (HWND link : linkLabels_) SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), FALSE);
    const int margin = ui::ScaleForDpi(6, dpi);
    SendMessageA(mHelp, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
    // The frame's font reached the help control too, which flattens rich text.
    ShowHelpHtml();
}

void AboutPageWindow::OpenLink(int index) {
    if (index < 0 || index >= 4) return;
    platform::shell::ShellOpen(Frame().Handle(), "open", kLinkTargets[index], 0);
}

namespace {

std::string EscapeHtml(const std::string& text) {
    std::string escaped;
    for (char c : text) escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
    return escaped;
}

}  // namespace

void AboutPageWindow::NavigateHelp(const std::string& path) {
    std::string html;
    if (!platform::files::ReadFileBytes(path, html))
        html = "<p>The page cannot be displayed.</p><p>Cannot find '" + EscapeHtml(path) + "'.</p>";
    helpHtml_ = std::move(html);
    ShowHelpHtml();
}

void AboutPageWindow::ShowHelpHtml() {
    if (!helpHtml_.empty()) ui::SetRichText(mHelp, formats::HtmlToRtf(helpHtml_, "Tahoma", 8));
}

std::string AboutPageWindow::HelpText() const { return ui::ControlText(mHelp); }

void AboutPageWindow::OnCommand(int id, int code, HWND control) {
    if (id >= kIdLinkFirst && id < kIdLinkFirst + 4 && code == STN_CLICKED) {
        OpenLink(id - kIdLinkFirst);
        return;
    }
    PageWindow::OnCommand(id, code, control);
}

LRESULT AboutPageWindow::OnControlColor(HDC dc, HWND control) {
    LRESULT brush = PageWindow::OnControlColor(dc, control);
    if (std::find(linkLabels_.begin(), linkLabels_.end(), control) != linkLabels_.end()) SetTextColor(dc, kLinkColor);
    return brush;
}

LRESULT AboutPageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETCURSOR &&
        std::find(linkLabels_.begin(), linkLabels_.end(), reinterpret_cast<HWND>(wParam)) != linkLabels_.end()) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
    }
    return PageWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace gui
