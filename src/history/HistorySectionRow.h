// Everything the History page knows about one section, as one row: its tree
// node, its list's columns, how the mask and the commands apply to it, the
// questions its commands ask, and its tool (lister, Delete, Delete All).
// Each family file registers its sections' rows (HistorySectionTable.h); the
// tree is built from the rows' nodes.
#pragma once

#include "history/HistoryCatalogue.h"
#include "history/HistorySectionIds.h"
#include "history/HistorySink.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace history {

struct HistoryColumn {
    std::string caption;
    int width;  // at 96 DPI; 0: the client width the other columns leave
};

// Which column takes up the width the others leave when the list is fitted.
enum class ColumnFit {
    // The first: the fixed columns after it are set to their captions and
    // widths again (and added when missing), the first gets the rest.
    FirstFills,
    // The second: it gets what the first leaves, as the first is sized now.
    SecondFills,
};

// How the commands and the mask controls follow the list (HistoryActionRules).
enum class HistoryActionRule {
    // Delete with a selected row, Delete All with rows; the mask controls on.
    Default,
    // Delete All only (Mozilla's visited pages); the mask controls on.
    DeleteAllOnly,
    // Delete clears the whole source while it holds something (the
    // clipboard); no Delete All; the mask controls off.
    WholeContent,
    // Delete with a selected row whose uninstall command is known (the
    // toolbars); no Delete All; the mask controls left as they are.
    UninstallCommand,
    // As Default, but the mask controls left as they are (buttons, other plug-ins).
    MaskUntouched,
};

// Removes the trace of one listed row: 0 done, else a result code
// (DeleteFailureText). Sections whose Delete needs no row get an empty one.
using HistoryDeleteOne = std::function<int(const HistoryRow& item)>;
// What a Delete All did.
struct HistoryDeleteAllResult {
    int code = 0;  // 0 done, else a result code (DeleteAllFailureText)
    // Files found in the section's folder that really lie elsewhere (links
    // to files outside it): left alone (LeftOutsideText).
    size_t leftOutside = 0;
    bool stopped = false;  // a stop ended it before every trace was dealt with
    // Everything listed went: the list is emptied (for a section that is not
    // listed again after its Delete All).
    bool clearList = false;
    // A plain box shown after the removal (instead of a result code's box,
    // for sections whose failure has words of its own); the list stays.
    std::string notice{};
    // For a section not listed again: the sources (HistoryRow::source) whose
    // traces all went, so their rows leave the list while the others stay.
    std::vector<std::string> clearedSources{};
};
// Clears the section: the rows listed now (for the sections that walk them)
// and the effective mask, telling its progress and ending early once a stop
// is asked. It may run off the window thread: it reaches no window.
using HistoryDeleteAll = std::function<HistoryDeleteAllResult(
    const std::vector<HistoryRow>& listed, const std::string& mask, common::IProgressSink& progress,
    common::StopToken stop)>;
// A Delete All of one quick step (a key's values, the recycle bin): it tells
// no progress and takes no stop; clear returns the result code.
HistoryDeleteAll AtOnce(std::function<int(const std::vector<HistoryRow>& listed, const std::string& mask)> clear);

// A node of the History tree, declared once with its section's row (or as a
// group, HistorySectionTable.cpp).
struct HistoryNode {
    int id;               // HistorySectionId
    int parent;           // the group it shows under; kTreeRoot for a root
    int order;            // its place among its parent's children, smallest first
    const char* caption;  // the tree node's caption
    int picture;          // index into the section image list (also the selected image)
};

struct HistorySectionRow {
    // The tree node: filled in from the node at registration.
    int id = -1;
    int parent = kTreeRoot;
    int order = 0;
    std::string caption{};
    int picture = 0;
    bool group = false;  // lists nothing

    // The list. heading: its first column's caption ("" for the sections
    // whose columns name themselves). columns: left empty at registration,
    // the heading alone, filling the width.
    std::string heading{};
    std::vector<HistoryColumn> columns{};
    ColumnFit fit = ColumnFit::FirstFills;
    // false: the lister is given "*" and the mask is not checked.
    bool takesMask = true;
    HistoryActionRule actions = HistoryActionRule::Default;

    // The questions. Delete All asks deleteAllQuestion first, and nothing
    // when it is empty; Delete asks deleteQuestion, or about the row when it
    // is empty (DeleteConfirmation).
    std::string deleteAllQuestion{};
    std::string deleteQuestion{};
    // Delete clears the whole source: it needs no selected row, and the list
    // is shown again whatever the answer.
    bool deleteNeedsNoItem = false;

    // The tool. An empty lister lists nothing; an empty Delete does nothing
    // and reports 0; an empty Delete All does nothing at all.
    HistoryLister list{};
    bool listsOnWorker = false;  // the listing runs off the window thread
    HistoryDeleteOne deleteOne{};
    HistoryDeleteAll deleteAll{};
    // false: Delete All clears by a fixed mask, by the listed rows or whole
    // files, so a mask typed since the listing is not checked before it.
    bool deleteAllUsesMask = true;
    bool relistAfterDeleteAll = true;
    // WholeContent: whether the source holds anything Delete could clear.
    std::function<bool()> contentPresent{};
    // UninstallCommand: the command that removes a listed row's trace;
    // empty when none is known (Delete stays disabled).
    std::function<std::string(const HistoryRow& item)> uninstallCommand{};
    // Set for a section whose Delete All can only clear its source whole (a
    // file, a store, a fixed mask), whatever the page's mask: the number of
    // items it would clear. With a mask other than "*" the page asks
    // WholeClearQuestion before Delete All.
    std::function<size_t()> wholeCount{};
    // Each row's caption is a file's full path (a folder's files, a recent
    // file list): "Open File Location" shows it while it exists.
    bool rowsNameFiles = false;
};

// The row with rowsNameFiles set: for the recent file lists, whose captions
// are full paths (a web address among them is offered no file location).
HistorySectionRow NamingFiles(HistorySectionRow row);

// A whole count: the rows the lister gives for the mask, notices passed over.
std::function<size_t()> CountingRows(HistoryLister list, std::string mask);

// Whether Delete All of the section must ask first that the whole source
// goes: it clears whole and the effective mask shows only part of it.
bool ClearsMoreThanTheMask(const HistorySectionRow& row, const std::string& mask);
// That question (WholeClearQuestion) for the rows shown, the whole counted
// now; the section is named by its heading, or its tree caption without one.
std::string WholeClearQuestionFor(const HistorySectionRow& row, size_t shown);

// The file a listed row of the section names, or "" when it names none.
std::string RowFilePath(const HistorySectionRow& section, const HistoryRow& item);

// The question Delete asks before removing the item (or the whole source).
std::string DeleteConfirmation(const HistorySectionRow& row, const std::string& itemText);
// The question Delete asks before it starts a row's uninstaller, showing the
// command it will run (UninstallCommand sections; asked with No the default).
std::string UninstallConfirmation(const std::string& itemText, const std::string& command);

// Collects the rows the family files register and arranges them as the tree.
class HistorySectionRegistry {
public:
    // Registers a group: a node that lists nothing. Both registrations raise
    // std::logic_error for a negative id or one registered already.
    void RegisterGroup(const HistoryNode& node);
    // Registers the row of a listing section with its node; empty columns
    // become the heading alone.
    void Register(const HistoryNode& node, HistorySectionRow row);
    bool Registered(int id) const;

    // Every row in registration order.
    const std::vector<HistorySectionRow>& Rows() const { return rows_; }
    // Every row in tree order, depth first: each node, then its children by
    // their order (the roots too by theirs). Raises std::logic_error naming a
    // node whose parent is no group registered here, two siblings of the same
    // order, or a node no root leads to (a loop of parents).
    std::vector<HistorySectionRow> TakeTree();

private:
    void Add(const HistoryNode& node, HistorySectionRow row);
    // Each parent's children (indexes into rows_) by their order; raises as TakeTree.
    std::map<int, std::vector<size_t>> ChildrenInOrder() const;
    std::vector<HistorySectionRow> rows_;
};

}  // namespace history
