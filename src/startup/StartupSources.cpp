// The table of startup sources. A new source is one row here, its reader
// (and presence test) in StartUpFunctions, and its test.
#include "startup/StartupSources.h"

#include "common/Common.h"
#include "startup/StartUpFunctions.h"

#include <algorithm>

namespace startup {

namespace {

constexpr SourceAllows kRunKeyAllows{.add = true, .remove = true, .onOff = true, .info = true};
constexpr SourceAllows kRunKeyNodeAllows{.add = true, .remove = true, .onOff = true, .dropTarget = true, .info = true};
constexpr SourceAllows kFileAllows{.edit = true, .info = true};
constexpr SourceAllows kInfoOnly{.info = true};

StartupSource RunKeyRow(int id, const char* name, int order) {
    return {.id = id, .caption = name, .parent = kSuRegistry, .order = order, .kind = SourceKind::RunKey,
            .allows = kRunKeyNodeAllows, .read = ReadRunKeySource, .present = RunKeyHasValues, .runKey = name,
            .inSnapshot = true};
}

StartupSource FileRow(int id, const char* caption, int order, SourceReader read, FileFolder folder,
                      const char* fileName) {
    return {.id = id, .caption = caption, .parent = kSuStartUpFiles, .order = order, .kind = SourceKind::File,
            .allows = kFileAllows, .read = read, .present = SourceFileExists, .folder = folder, .fileName = fileName};
}

std::vector<StartupSource> MakeSources() {
    return {
        {.id = kSuAll, .caption = "All", .kind = SourceKind::Mixed, .allows = kInfoOnly, .read = ReadEverything},
        {.id = kSuRegistry, .caption = "Registry", .parent = kSuAll, .order = 0, .kind = SourceKind::RunKey,
         .allows = kRunKeyAllows, .read = ReadAllRunKeys},
        RunKeyRow(kSuRun, "Run", 0),
        RunKeyRow(kSuRunOnce, "RunOnce", 1),
        RunKeyRow(kSuRunOnceEx, "RunOnceEx", 2),
        RunKeyRow(kSuRunService, "RunService", 3),
        RunKeyRow(kSuRunServiceOnce, "RunServiceOnce", 4),
        {.id = kSuStartUpFiles, .caption = "StartUp Files", .parent = kSuAll, .order = 1, .kind = SourceKind::File,
         .allows = kInfoOnly, .read = ReadChildSources},
        FileRow(kSuWinIni, "Win.ini", 0, ReadWinIni, FileFolder::Windows, "Win.ini"),
        FileRow(kSuSystemIni, "System.ini", 1, ReadSystemIni, FileFolder::Windows, "System.ini"),
        FileRow(kSuWininitIni, "Wininit.ini", 2, ReadWininitIni, FileFolder::Windows, "wininit.ini"),
        FileRow(kSuWinstartBat, "Winstart.bat", 3, ReadSettingLines, FileFolder::Windows, "winstart.bat"),
        FileRow(kSuAutoexecBat, "Autoexec.bat", 4, ReadSettingLines, FileFolder::DriveC, "autoexec.bat"),
        FileRow(kSuConfigSys, "Config.sys", 5, ReadSettingLines, FileFolder::DriveC, "config.sys"),
        FileRow(kSuDosstartBat, "Dosstart.bat", 6, ReadSettingLines, FileFolder::Windows, "dosstart.bat"),
        FileRow(kSuAutoexecNt, "Autoexec.nt", 7, ReadLoadHighLines, FileFolder::System32, "autoexec.nt"),
        FileRow(kSuConfigNt, "Config.nt", 8, ReadSettingLines, FileFolder::System32, "config.nt"),
        {.id = kSuAutostart, .caption = "Autostart", .parent = kSuAll, .order = 2, .kind = SourceKind::StartupFolder,
         .allows = {.add = true, .remove = true, .info = true}, .read = ReadStartupFolderSource,
         .present = StartupFolderHasFiles},
    };
}

bool TreeBefore(const StartupSource* a, const StartupSource* b) { return a->order < b->order; }

void AppendSubtree(int id, std::vector<const StartupSource*>& out) {
    for (const StartupSource* child : ChildSources(id)) {
        out.push_back(child);
        AppendSubtree(child->id, out);
    }
}

}  // namespace

const std::vector<StartupSource>& StartupSources() {
    static const std::vector<StartupSource> sources = [] {
        std::vector<StartupSource> rows = MakeSources();
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
        return rows;
    }();
    return sources;
}

const StartupSource& SourceOf(int id) {
    static const StartupSource none{};
    for (const StartupSource& source : StartupSources())
        if (source.id == id) return source;
    return none;
}

std::vector<const StartupSource*> ChildSources(int id) {
    std::vector<const StartupSource*> children;
    for (const StartupSource& source : StartupSources())
        if (source.parent == id && source.id != kNoSource) children.push_back(&source);
    std::stable_sort(children.begin(), children.end(), TreeBefore);
    return children;
}

std::vector<const StartupSource*> SourcesInTreeOrder() {
    std::vector<const StartupSource*> ordered;
    AppendSubtree(kNoSource, ordered);
    return ordered;
}

bool IsGroupSection(int id) { return id != kNoSource && !ChildSources(id).empty(); }

std::vector<const StartupSource*> RunKeySources() {
    std::vector<const StartupSource*> runKeys;
    for (const StartupSource* source : SourcesInTreeOrder())
        if (source->runKey) runKeys.push_back(source);
    return runKeys;
}

std::vector<std::string> SnapshotRunKeyNames() {
    std::vector<std::string> names;
    for (const StartupSource* source : RunKeySources())
        if (source->inSnapshot) names.push_back(source->runKey);
    return names;
}

std::string SourceFilePath(const StartupSource& source) {
    if (!source.fileName) return {};
    switch (source.folder) {
    case FileFolder::Windows: return WindowsDirectory() + "\\" + source.fileName;
    case FileFolder::System32: return WindowsDirectory() + "\\system32\\" + source.fileName;
    case FileFolder::DriveC: return std::string("C:\\") + source.fileName;
    case FileFolder::None: break;
    }
    return {};
}

}  // namespace startup
