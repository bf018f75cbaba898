// The title strip pTitle: the title image and the four title buttons, each a
// "hot" picture with a "dis" picture stacked above it. The current page's
// button shows neither picture, so the title image shows through.
#pragma once

#include "platform/Handles.h"
#include "ui/Dpi.h"
#include "ui/Window.h"

#include <array>
#include <functional>

namespace gui {

constexpr int kPageCount = 4;

class TitleStrip : public ui::Window {
public:
    static constexpr int kHeight = 68;

    // onClick receives the page of the button clicked. Sizes are 96-DPI
    // pixels; the strip and its pictures scale to the DPI.
    TitleStrip(HWND parent, int width, int dpi, std::function<void(int)> onClick);
    // Lays the strip out again for another DPI.
    void SetDpi(int dpi);

    // After a page switch: the new current button's pictures are hidden, the
    // hot pictures of the other three shown (their dis pictures keep state).
    void UpdatePictures(int currentPage);
    // The pointer left a hot picture or the strip, or moved elsewhere over the
    // window: the dis pictures of the three other buttons show again.
    void ShowDisPictures();
    // The pointer is at a point of the strip (client coordinates).
    void PointerAt(POINT point);
    // A click at a point: switches page when a picture is visible there.
    void ClickAt(POINT point);

    bool HotVisible(int page) const { return buttons_[page].hotVisible; }
    bool DisVisible(int page) const { return buttons_[page].disVisible; }
    RECT ButtonRect(int page) const { return buttons_[page].rect; }
    int CurrentPage() const { return current_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Button {
        RECT rect{};
        platform::GdiHandle hot, dis;  // ibtn…Hot, ibtn…Dis
        bool hotVisible = true;
        bool disVisible = true;
    };
    int ButtonAt(POINT point) const;  // a button with a visible picture, or -1
    int Scale(int pixels) const { return ui::ScaleForDpi(pixels, dpi_); }
    void PlaceButtons();
    void Paint(HDC dc);

    std::array<Button, kPageCount> buttons_;
    platform::GdiHandle title_, titleLine_;  // imgTitle, imgTitleLine
    int current_ = 0;
    int width_ = 0;
    int dpi_ = ui::kBaseDpi;
    bool tracking_ = false;
    std::function<void(int)> onClick_;
};

}  // namespace gui
