// The graphics and multimedia programs' traces: the Paint Shop Pro recent
// lists, and the rows of the Graphics and Multimedia sections
// (RegisterMultimediaSections).
#pragma once

#include "common/StopToken.h"
#include "history/HistorySink.h"

#include <string>

namespace history {

// Keys under HKEY_CURRENT_USER of Paint Shop Pro's versions 5, 7 and 8, in that order.
extern const char* const kPaintShopProKeys[3];

// Reports the texts of the three lists' values that fit the mask, in the
// keys' order (an invalid mask raises EMaskException); ends early once a
// stop is asked.
void ListPaintShopPro(IHistorySink& sink, const std::string& mask, const common::StopToken& stop = {});

}  // namespace history
