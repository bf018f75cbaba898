// How a dialog over the frame hands on a change refused for want of
// administrator rights: the frame tells it and may offer the restart as
// administrator (IPageHost::OfferElevatedRestart).
#pragma once

#include "platform/Dialogs.h"

#include <windows.h>

#include <functional>
#include <string>

namespace gui {

// refusal: what was not done and why; owner: the dialog the box belongs
// to; otherwise: the kind of box when no restart is offered. True when the
// restart is under way: the dialog then closes.
using ElevationOffer =
    std::function<bool(const std::string& refusal, HWND owner, platform::dialogs::BoxKind otherwise)>;

}  // namespace gui
