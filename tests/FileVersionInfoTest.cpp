// FileVersionInfo on real files of the test machine.
#include "common/Common.h"
#include "common/FileVersionInfo.h"
#include "platform/Files.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

TEST(FileVersionInfo, DescribesTheRunningProgramAfterConstruction) {
    FileVersionInfo info;
    EXPECT_TRUE(SameCaption(info.ParsLocation, platform::files::ModuleFileName()));
    // Test programs carry no version resource of their own.
    EXPECT_EQ(info.FileVersion, FileVersionInfo::kNotAvailable);
}

TEST(FileVersionInfo, ReadsEveryStringOfAFullResource) {
    ScopedFolder folder("fvi_full");
    const std::string helper = CopyHelper("orvhelper.exe", folder.Path(), "full helper.exe");
    FileVersionInfo info;
    info.GetInfo("\"" + helper + "\" /tray");
    EXPECT_EQ(info.ParsLocation, helper);
    EXPECT_EQ(info.CompanyName, "Orvelin Test Works");
    EXPECT_EQ(info.FileDescription, "Orvelin test helper");
    EXPECT_EQ(info.FileVersion, "1.2.3.4 test build");
    EXPECT_EQ(info.Internalname, "orvhelper");
    EXPECT_EQ(info.LegalCopyright, "Copyright (C) 2026 Orvelin Test Works");
    EXPECT_EQ(info.LegalTradeMarks, "Orvelin Helper(TM)");
    EXPECT_EQ(info.OriginalFilename, "orvhelper.exe");
    EXPECT_EQ(info.ProductName, "Orvelin Helper");
    EXPECT_EQ(info.ProductVersion, "1.2");
    EXPECT_EQ(info.Comments, "Started, found and ended by the tests");
    EXPECT_EQ(info.Compiled, "2026-12-07");
    EXPECT_EQ(info.DirectShow, "No");
    EXPECT_EQ(info.OLESelfRegister, "No");
    EXPECT_EQ(info.MajorVersion, "1");
    EXPECT_EQ(info.MinorVersion, "2");
    EXPECT_EQ(info.Release, "3");
    EXPECT_EQ(info.Build, "4 test build");
}

TEST(FileVersionInfo, MissingStringsOfASparseResource) {
    ScopedFolder folder("fvi_sparse");
    const std::string helper = CopyHelper("orvhelper_min.exe", folder.Path());
    FileVersionInfo info;
    info.GetInfo(helper);
    EXPECT_EQ(info.CompanyName, "");  // the one name that reads as empty
    EXPECT_EQ(info.FileDescription, "Sparse helper");
    EXPECT_EQ(info.FileVersion, "7,5");
    EXPECT_EQ(info.MajorVersion, "7");
    EXPECT_EQ(info.MinorVersion, "");
    EXPECT_EQ(info.Release, "");
    EXPECT_EQ(info.Build, "5");
    for (const std::string* value : {&info.Internalname, &info.LegalCopyright, &info.LegalTradeMarks,
                                     &info.OriginalFilename, &info.ProductName, &info.ProductVersion,
                                     &info.Comments, &info.Compiled, &info.DirectShow, &info.OLESelfRegister})
        EXPECT_EQ(*value, FileVersionInfo::kNotAvailable);
}

TEST(FileVersionInfo, FilesWithoutAResourceGiveInfoNotAvailable) {
    ScopedFolder folder("fvi_none");
    ScopedFile text(folder.Path() + "\\notes.txt", "plain text");
    FileVersionInfo info;
    for (const std::string& line : {text.Path(), folder.Path() + "\\missing.exe -x", std::string()}) {
        info.GetInfo(line);
        EXPECT_EQ(info.CompanyName, FileVersionInfo::kNotAvailable) << line;
        EXPECT_EQ(info.FileVersion, FileVersionInfo::kNotAvailable) << line;
        EXPECT_EQ(info.Build, FileVersionInfo::kNotAvailable) << line;
        EXPECT_EQ(info.OLESelfRegister, FileVersionInfo::kNotAvailable) << line;
    }
    info.GetInfo(folder.Path() + "\\missing.exe -x");
    EXPECT_EQ(info.ParsLocation, folder.Path() + "\\missing.exe");
}

TEST(FileVersionInfo, ParsFindsProgramsOfTheWindowsFolders) {
    FileVersionInfo info;
    const std::string system = SystemDirectory();
    const std::string windows = WindowsDirectory();
    EXPECT_TRUE(SameCaption(info.Pars("notepad.exe"), system + "notepad.exe"));
    EXPECT_TRUE(SameCaption(info.Pars("%SystemRoot%\\regedit.exe"), windows + "\\regedit.exe"));
    // Folders read once give what Pars reads for itself.
    const PathEnvironment folders = SystemPathEnvironment();
    for (const char* line : {"notepad.exe", "%SystemRoot%\\regedit.exe", "\"%ProgramFiles%\\x y\\z.exe\" /s", ""})
        EXPECT_EQ(info.Pars(line, folders), info.Pars(line)) << line;
    EXPECT_EQ(info.Pars("\"%ProgramFiles%\\x y\\z.exe\" /s", folders),
              SpecialFolderPath(kCsidlProgramFiles) + "\\x y\\z.exe");
    // Pars leaves the properties alone.
    info.GetInfo("notepad.exe");
    const std::string before = info.ParsLocation;
    info.Pars("regedit.exe");
    EXPECT_EQ(info.ParsLocation, before);
}

}  // namespace
