// AboutPageWindow: the About page: product, version and support labels, the
// four link labels and the help text mHelp.
#pragma once

#include "platform/Handles.h"
#include "gui/MainPage.h"

#include <string>
#include <vector>

namespace gui {

class AboutPageWindow : public PageWindow {
public:
    explicit AboutPageWindow(IPageHost& frame);
    ~AboutPageWindow() override;

    HWND mHelp = nullptr;

    void ApplyPageFonts(int dpi) override;
    HWND InitialFocus() const override { return mHelp; }
    // Lets the help control show a file (FormActivate loads Help.html).
    void NavigateHelp(const std::string& path);
    std::string HelpText() const;
    // The addresses the links open.
    static const char* const kLinkTargets[4];
    void OpenLink(int index);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT OnControlColor(HDC dc, HWND control) override;

private:
    // Shows helpHtml_ as rich text.
    void ShowHelpHtml();

    std::string helpHtml_;
    HWND productLabel_ = nullptr;
    std::vector<HWND> linkLabels_;
    platform::GdiHandle productFont_, linkFont_;
};

}  // namespace gui
