// The section rows' registry and the Delete question.
#include "history/HistorySectionRow.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace history {
namespace {

std::string SectionName(int id) { return "history section " + std::to_string(id); }

}  // namespace

HistoryDeleteAll AtOnce(std::function<int(const std::vector<HistoryRow>& listed, const std::string& mask)> clear) {
    return [clear = std::move(clear)](const std::vector<HistoryRow>& listed, const std::string& mask,
                                      common::IProgressSink&, common::StopToken) {
        return HistoryDeleteAllResult{.code = clear(listed, mask)};
    };
}

namespace {

// Counts rows and keeps none of them.
class CountingSink final : public IHistorySink {
public:
    void Add(HistoryRow&&) override { ++count; }
    void Notice(const std::string&) override {}
    size_t count = 0;
};

}  // namespace

std::function<size_t()> CountingRows(HistoryLister list, std::string mask) {
    return [list = std::move(list), mask = std::move(mask)] {
        CountingSink sink;
        list(sink, mask, common::StopToken());
        return sink.count;
    };
}

bool ClearsMoreThanTheMask(const HistorySectionRow& row, const std::string& mask) {
    return row.wholeCount && row.takesMask && mask != "*";
}

std::string WholeClearQuestionFor(const HistorySectionRow& row, size_t shown) {
    const size_t whole = row.wholeCount ? row.wholeCount() : shown;
    return WholeClearQuestion(shown, whole, row.heading.empty() ? row.caption : row.heading);
}

std::string DeleteConfirmation(const HistorySectionRow& row, const std::string& itemText) {
    if (!row.deleteQuestion.empty()) return row.deleteQuestion;
    return "Do you really want to clear " + itemText + "?";
}

std::string UninstallConfirmation(const std::string& itemText, const std::string& command) {
    return "Run the uninstaller of " + itemText + "?\r\n" + command;
}

HistorySectionRow NamingFiles(HistorySectionRow row) {
    row.rowsNameFiles = true;
    return row;
}

std::string RowFilePath(const HistorySectionRow& section, const HistoryRow& item) {
    return section.rowsNameFiles ? item.caption : std::string();
}

void HistorySectionRegistry::Add(const HistoryNode& node, HistorySectionRow row) {
    if (node.id < 0) throw std::logic_error(SectionName(node.id) + " has no id");
    if (Registered(node.id)) throw std::logic_error(SectionName(node.id) + " is registered twice");
    row.id = node.id;
    row.parent = node.parent;
    row.order = node.order;
    row.caption = node.caption;
    row.picture = node.picture;
    rows_.push_back(std::move(row));
}

void HistorySectionRegistry::RegisterGroup(const HistoryNode& node) {
    // A group lists nothing, so no mask is checked for it.
    Add(node, {.group = true, .takesMask = false});
}

void HistorySectionRegistry::Register(const HistoryNode& node, HistorySectionRow row) {
    row.group = false;
    if (row.columns.empty()) row.columns = {{row.heading, 0}};
    Add(node, std::move(row));
}

bool HistorySectionRegistry::Registered(int id) const {
    return std::any_of(rows_.begin(), rows_.end(), [id](const HistorySectionRow& row) { return row.id == id; });
}

std::map<int, std::vector<size_t>> HistorySectionRegistry::ChildrenInOrder() const {
    std::map<int, std::vector<size_t>> children;  // by parent id: indexes into rows_
    for (size_t i = 0; i < rows_.size(); ++i) children[rows_[i].parent].push_back(i);
    for (auto& [parent, kids] : children) {
        const auto group = std::find_if(rows_.begin(), rows_.end(),
                                        [parent](const HistorySectionRow& row) { return row.id == parent; });
        if (parent != kTreeRoot && (group == rows_.end() || !group->group))
            throw std::logic_error(SectionName(rows_[kids[0]].id) + "'s parent " + std::to_string(parent) +
                                   " is no group of the tree");
        std::stable_sort(kids.begin(), kids.end(),
                         [this](size_t a, size_t b) { return rows_[a].order < rows_[b].order; });
        for (size_t k = 1; k < kids.size(); ++k)
            if (rows_[kids[k]].order == rows_[kids[k - 1]].order)
                throw std::logic_error(SectionName(rows_[kids[k]].id) + " has the order of " +
                                       SectionName(rows_[kids[k - 1]].id));
    }
    return children;
}

std::vector<HistorySectionRow> HistorySectionRegistry::TakeTree() {
    const std::map<int, std::vector<size_t>> children = ChildrenInOrder();
    // Depth first from the roots; a node in a loop of parents is never reached.
    std::vector<size_t> order;
    std::vector<size_t> pending;  // a stack: the next node on top
    const auto pushChildren = [&](int parent) {
        const auto found = children.find(parent);
        if (found != children.end()) pending.insert(pending.end(), found->second.rbegin(), found->second.rend());
    };
    pushChildren(kTreeRoot);
    while (!pending.empty()) {
        order.push_back(pending.back());
        pending.pop_back();
        pushChildren(rows_[order.back()].id);
    }
    std::vector<bool> reached(rows_.size(), false);
    for (size_t i : order) reached[i] = true;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!reached[i]) throw std::logic_error(SectionName(rows_[i].id) + " is reached from no root");

    std::vector<HistorySectionRow> tree;
    tree.reserve(rows_.size());
    for (size_t i : order) tree.push_back(std::move(rows_[i]));
    rows_.clear();
    return tree;
}

}  // namespace history
