// Where the demo's seeder leaves what its tour opens: both must name the same file.
#pragma once

#include "common/Common.h"

#include <string>

namespace demo {

// The user's Documents folder (CSIDL_PERSONAL), where a user keeps a saved snapshot.
constexpr int kCsidlPersonal = 5;

// The startup snapshot saved before the seeder changed the machine: the
// comparison dialog loads it in the tour.
inline std::string SnapshotPath() { return SpecialFolderPath(kCsidlPersonal) + "\\StartUp(Demo).xml"; }

}  // namespace demo
