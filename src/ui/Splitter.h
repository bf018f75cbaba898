// A vertical splitter between two side-by-side controls: a strip over their
// common edge that takes the mouse (a left-right cursor) and reports where
// the edge is dragged. It paints nothing, so both controls' borders show.
#pragma once

#include "ui/Window.h"

#include <functional>

namespace ui {

class Splitter : public Window {
public:
    // Width of the strip in 96-DPI pixels, centred on the edge.
    static constexpr int kWidth = 6;

    // onDrag gets the edge's new place in the parent's client pixels while
    // the left button drags the strip.
    Splitter(HWND parent, int id, std::function<void(int edge)> onDrag);
    ~Splitter() override;

    // A drag as the mouse would make it: pressed at the strip's x, moved to
    // the parent's x, released (the tests' way in; the mouse comes here too).
    void Press(int stripX);
    void DragTo(int parentX);
    void Release();
    bool Dragging() const { return dragging_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<void(int)> onDrag_;
    int grabOffset_ = 0;  // where in the strip it was taken
    bool dragging_ = false;
};

}  // namespace ui
