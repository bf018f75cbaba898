// A backup point made by hand that can be restored only in part: a machine
// file that is not a registry file, and a user file with a key that can be
// written (base\back), one that cannot (base\read only) and one of another
// root (HKEY_LOCAL_MACHINE\<foreignBelow>), all removed or put back on scope exit.
#pragma once

#include "EngineTestSupport.h"
#include "RestrictedRegKey.h"
#include "formats/RegFile.h"

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

class PartlyRestorablePoint {
public:
    // point: the point's folder (trailing "\"); base: the user key's full
    // name ("HKEY_CURRENT_USER\" + relative); foreignName: a name no other
    // test uses for the machine key that must not be written.
    PartlyRestorablePoint(const std::string& point, const std::string& base, const std::string& relative,
                          const std::string& foreignName)
        : foreignBelow("Software\\" + foreignName + std::to_string(GetCurrentProcessId())),
          garbage_(point + "HKEY_LOCAL_MACHINE.reg", std::string("\xFF\xFE" "x\0y\0", 6)),
          readOnly_(HKEY_CURRENT_USER, relative + "\\read only") {
        foreignKey_.Add(HKEY_LOCAL_MACHINE, foreignBelow);  // should a regression write it
        WriteUserFile(point, base);
    }

    const std::string foreignBelow;  // below HKEY_LOCAL_MACHINE

private:
    void WriteUserFile(const std::string& point, const std::string& base) {
        std::string error;
        ASSERT_TRUE(backup::SaveRegFile(
            point + "HKEY_CURRENT_USER.reg",
            {{base + "\\back", {{"v", REG_DWORD, {9, 0, 0, 0}, false}}},
             {base + "\\read only", {{"w", REG_DWORD, {1, 0, 0, 0}, false}}},
             {"HKEY_LOCAL_MACHINE\\" + foreignBelow, {{"x", REG_DWORD, {1, 0, 0, 0}, false}}}},
            error))
            << error;
    }

    ScopedFile garbage_;
    ScopedRegKeys foreignKey_;
    ScopedReadOnlyKey readOnly_;
};

}  // namespace testing_support
