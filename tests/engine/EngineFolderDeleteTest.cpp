// Deleting the files of a folder without a window: where a file really is
// (links to files elsewhere are left alone, their targets untouched), paths
// of any length, a Delete All's progress and stop, and the Startup folders'
// Delete with the reason a file stays.
#include "common/Common.h"
#include "history/HistoryCatalogue.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "history/WindowsHistory.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "startup/StartUpEditing.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace history;
using namespace testing_support;
namespace files = platform::files;

namespace {

std::string Tag() { return "orv-fd-" + std::to_string(GetCurrentProcessId()); }

// "*text*", built by appending: GCC 12 warns falsely (-Wrestrict) on a
// literal + std::string temporary.
std::string Around(const std::string& text) {
    std::string mask = "*";
    mask += text;
    mask += '*';
    return mask;
}

bool Holds(const std::vector<HistoryRow>& rows, const std::string& caption) {
    return std::any_of(rows.begin(), rows.end(), [&](const HistoryRow& row) { return row.caption == caption; });
}

// A folder removed with everything below it on scope exit.
struct RemovedTree {
    std::string path;
    ~RemovedTree() { RemoveFolderTree(path); }
};

std::vector<HistoryRow> Listed(const HistorySectionRow& row, const std::string& mask) {
    HistoryRowList rows;
    row.list(rows, mask, {});
    return rows.rows;
}

TEST(FinalPaths, InsideAFolderMeansBelowItAtASeparatorWithCaseIgnored) {
    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        bool inside;
    } cases[] = {
        {L"\\\\?\\C:\\windows\\temp\\a.txt", L"\\\\?\\C:\\windows\\temp", true},
        {L"\\\\?\\C:\\WINDOWS\\Temp\\sub\\a.txt", L"\\\\?\\C:\\windows\\temp", true},
        {L"\\\\?\\C:\\windows\\temp\\a.txt", L"\\\\?\\C:\\windows\\temp\\", true},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\", true},
        {L"\\\\?\\C:\\windows\\tempest\\a.txt", L"\\\\?\\C:\\windows\\temp", false},  // a sibling sharing the start
        {L"\\\\?\\C:\\windows\\temp", L"\\\\?\\C:\\windows\\temp", false},           // the folder itself
        {L"\\\\?\\C:\\windows\\temp\\", L"\\\\?\\C:\\windows\\temp", false},
        {L"\\\\?\\Z:\\tmp\\target.txt", L"\\\\?\\C:\\windows\\temp", false},
        {L"\\\\?\\C:\\windows\\a.txt", L"\\\\?\\C:\\windows\\temp", false},
        {L"", L"\\\\?\\C:\\windows\\temp", false},
        {L"\\\\?\\C:\\windows\\temp\\a.txt", L"", false},  // a folder that could not be opened holds nothing
        {L"\\\\?\\C:\\windows\\temp\\a.txt", L"\\\\\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(files::IsInsideFolder(c.path, c.folder), c.inside)
            << platform::text::Narrow(c.path) << " in " << platform::text::Narrow(c.folder);
}

// The four folder sections: a file of the section's folder that is a link
// to a file elsewhere is listed, but neither Delete nor Delete All takes it
// or its target; the rest goes.
TEST(FolderSectionLinks, DeleteAndDeleteAllLeaveLinksToFilesElsewhereAlone) {
    const struct {
        int section;
        std::string (*folder)();
    } sections[] = {{hsRecentDocuments, RecentDocumentsFolder},
                    {hsTemporaryFolder, TemporaryFolder},
                    {hsSendTo, SendToFolder},
                    {hsDownloadedInstallations, DownloadedInstallationsFolder}};
    ScopedFolder elsewhere("folder links elsewhere");
    for (const auto& s : sections) {
        const HistorySectionRow& row = HistorySectionRowOf(s.section);
        const std::string ours = s.folder() + "\\" + Tag();
        ASSERT_TRUE(files::CreateFolderPath(ours)) << ours;
        // The links go first, then the folder: a Windows delete of a link
        // would take its target.
        RemovedTree removed{ours};
        ScopedFile target(elsewhere.Path() + "\\target.txt", "kept"), plain(ours + "\\plain.txt", "goes");
        ScopedFile nested(ours + "\\sub\\nested.txt", "goes");
        const std::string link = ours + "\\link.txt", nestedLink = ours + "\\sub\\nested-link.txt";
        ScopedUnixLink made(link, target.Path()), nestedMade(nestedLink, target.Path());
        if (!made.Made() || !nestedMade.Made()) GTEST_SKIP() << "no Unix links to be had (not under Wine)";

        const std::string mask = Around(Tag());
        const std::vector<HistoryRow> listed = Listed(row, mask);
        EXPECT_TRUE(Holds(listed, link)) << s.section;
        EXPECT_EQ(row.deleteOne(HistoryRow{link, {}, {}}), kFileOutsideFolder) << s.section;
        EXPECT_EQ(DeleteFailureText(kFileOutsideFolder, link, ""),
                  link + " was left alone: it lies outside the folder (it is a link to a file elsewhere).");

        common::NoProgress quiet;
        const HistoryDeleteAllResult result = row.deleteAll(listed, mask, quiet, {});
        EXPECT_EQ(result.code, 0) << s.section;
        EXPECT_EQ(result.leftOutside, 2u) << s.section;
        EXPECT_FALSE(result.stopped);
        EXPECT_FALSE(files::FileExists(plain.Path())) << s.section;
        EXPECT_FALSE(files::FileExists(nested.Path())) << s.section;
        std::string kept;
        EXPECT_TRUE(files::ReadFileBytes(target.Path(), kept)) << s.section;
        EXPECT_EQ(kept, "kept");
        EXPECT_TRUE(files::FileExists(link));  // the link stays too, still leading to its target
        EXPECT_TRUE(Holds(Listed(row, mask), link));
    }
    EXPECT_EQ(LeftOutsideText(1), "1 file was left alone: it lies outside the folder (it is a link to a file elsewhere).");
    EXPECT_EQ(LeftOutsideText(2), "2 files were left alone: they lie outside the folder (links to files elsewhere).");
}

// A file whose path is longer than the ANSI calls take is listed and deleted
// like any other. Each file sits in folders of its own so that its whole
// path has exactly the length of its case.
std::string PathOfLength(const std::string& base, size_t length) {
    std::string path = base;
    while (length - path.size() > 120) path += "\\" + std::string(100, 'd');
    const size_t nameLength = length - path.size() - 1;
    return path + "\\" + std::string(nameLength - 4, 'n') + ".tmp";
}

bool WriteAnyLength(const std::string& path, const std::string& bytes) {
    std::string folder = files::ExtractFilePath(path);
    for (size_t cut = folder.find('\\', 3); cut != std::string::npos; cut = folder.find('\\', cut + 1))
        CreateDirectoryW(files::WidePathAnyLength(folder.substr(0, cut)).c_str(), nullptr);
    platform::FileHandle file(CreateFileW(files::WidePathAnyLength(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

TEST(FolderSectionLongPaths, FilesOfAnyLengthAreListedAndDeleted) {
    const HistorySectionRow& row = HistorySectionRowOf(hsTemporaryFolder);
    const std::string ours = TemporaryFolder() + "\\" + Tag() + "-long";
    RemovedTree removed{ours};
    std::vector<std::string> paths;
    for (size_t length : {size_t{200}, size_t{259}, size_t{260}, size_t{261}, size_t{300}, size_t{1000}}) {
        paths.push_back(PathOfLength(ours + "\\" + std::to_string(length), length));
        ASSERT_EQ(paths.back().size(), length);
        ASSERT_TRUE(WriteAnyLength(paths.back(), "x")) << length;
        ASSERT_TRUE(files::FileExistsAnyLength(paths.back())) << length;
    }
    const std::string mask = Around(Tag() + "-long");
    std::vector<std::string> listed = Captions(Listed(row, mask));
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected = paths;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);

    // Delete takes the longest, Delete All the rest.
    EXPECT_EQ(row.deleteOne(HistoryRow{paths.back(), {}, {}}), 0);
    EXPECT_FALSE(files::FileExistsAnyLength(paths.back()));
    common::NoProgress quiet;
    const HistoryDeleteAllResult result = row.deleteAll({}, mask, quiet, {});
    EXPECT_EQ(result.code, 0);
    for (const std::string& path : paths) EXPECT_FALSE(files::FileExistsAnyLength(path)) << path.size();
    EXPECT_TRUE(Listed(row, mask).empty());
}

// Records the progress and asks for the stop once `stopAt` files are done.
class StoppingProgress final : public common::IProgressSink {
public:
    explicit StoppingProgress(size_t stopAt) : stopAt_(stopAt) {}
    void Notice(const std::string&) override {}
    void Progress(size_t done, size_t total, const std::string&) override {
        calls.push_back({done, total});
        if (done == stopAt_) source_.RequestStop();
    }
    common::StopToken Token() const { return source_.Token(); }
    std::vector<std::pair<size_t, size_t>> calls;

private:
    size_t stopAt_;
    common::StopSource source_;
};

TEST(FolderDeleteAll, TellsItsProgressFileByFileAndStopsBetweenFiles) {
    ScopedFolder folder("folder delete progress");
    const struct {
        size_t stopAt;
        size_t deleted;
        bool stopped;
    } cases[] = {{2, 2, true}, {5, 5, false}, {0, 0, true}};
    for (const auto& c : cases) {
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(files::WriteFileBytes(folder.Path() + "\\f" + std::to_string(i), "x"));
        StoppingProgress progress(c.stopAt);
        const HistoryDeleteAllResult result = DeleteFilesByMask(folder.Path(), "*", progress, progress.Token());
        EXPECT_EQ(result.stopped, c.stopped) << c.stopAt;
        std::vector<std::string> left;
        ListAllFilesRecursive(folder.Path(), &left);
        EXPECT_EQ(left.size(), 5 - c.deleted) << c.stopAt;
        std::vector<std::pair<size_t, size_t>> expected{{0, 0}};
        for (size_t done = 1; done <= c.deleted; ++done) expected.push_back({done, 5});
        EXPECT_EQ(progress.calls, expected) << c.stopAt;
    }
}

// ---- the Startup folders --------------------------------------------------------

TEST(StartupFolderDelete, RefusesWhatItMustNotDeleteAndSaysWhy) {
    using startup::StartupFileOutcome;
    const std::string folder = SpecialFolderPath(kCsidlStartup);
    ASSERT_FALSE(folder.empty());
    ScopedFolder elsewhere("startup links elsewhere");
    ScopedFile target(elsewhere.Path() + "\\OrvSfTarget.exe", "MZ"), plain(folder + "\\OrvSf Plain.exe", "MZ"),
        readOnly(folder + "\\OrvSf Kept.exe", "MZ");
    ASSERT_TRUE(SetFileAttributesA(readOnly.Path().c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string link = folder + "\\OrvSf Linked.exe";
    ScopedUnixLink made(link, target.Path());

    const struct {
        std::string path;
        StartupFileOutcome outcome;
        std::string problem;
    } cases[] = {
        {readOnly.Path(), StartupFileOutcome::ReadOnly,
         "'OrvSf Kept.exe' was not deleted: the file is read-only. Clear its read-only attribute first if it should go."},
        {target.Path(), StartupFileOutcome::NotInStartupFolder,
         "'OrvSfTarget.exe' was not deleted: it is not in a Startup folder."},
        {folder + "\\..\\OrvSf Plain.exe", StartupFileOutcome::NotInStartupFolder,
         "'OrvSf Plain.exe' was not deleted: it is not in a Startup folder."},
        {folder, StartupFileOutcome::NotInStartupFolder,
         std::string("'") + files::ExtractFileName(folder) + "' was not deleted: it is not in a Startup folder."},
        {folder + "\\OrvSf Missing.exe", StartupFileOutcome::Gone, ""},
        {plain.Path(), StartupFileOutcome::Deleted, ""},
        {plain.Path(), StartupFileOutcome::Gone, ""},
    };
    for (const auto& c : cases) {
        const startup::StartupFileDeleteResult result = startup::DeleteStartupFile(c.path);
        EXPECT_EQ(result.outcome, c.outcome) << c.path;
        EXPECT_EQ(result.problem, c.problem) << c.path;
    }
    // The read-only file stays, read-only.
    EXPECT_EQ(GetFileAttributesA(readOnly.Path().c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

    // A link to a file elsewhere: neither it nor its target goes.
    if (!made.Made()) GTEST_SKIP() << "no Unix links to be had (not under Wine)";
    const startup::StartupFileDeleteResult result = startup::DeleteStartupFile(link);
    EXPECT_EQ(result.outcome, StartupFileOutcome::Outside);
    EXPECT_EQ(result.problem, "'OrvSf Linked.exe' was left alone: it is a link to a file outside the Startup folder.");
    std::string kept;
    EXPECT_TRUE(files::ReadFileBytes(target.Path(), kept));
    EXPECT_EQ(kept, "MZ");
    EXPECT_TRUE(files::FileExists(link));
}

}  // namespace
