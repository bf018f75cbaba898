// The section rows' registry and the Delete question.
#include "history/HistorySectionRow.h"

#include <stdexcept>

namespace history {
namespace {

HistorySectionRow TreeRow(const HistorySection& section) {
    HistorySectionRow row;
    row.number = section.number;
    row.caption = section.caption;
    row.picture = section.icon;
    row.depth = section.depth;
    row.group = section.group;
    // A group lists nothing, so no mask is checked for it.
    row.takesMask = !section.group;
    return row;
}

std::string SectionName(int number) { return "history section " + std::to_string(number); }

}  // namespace

HistoryDeleteAll AtOnce(std::function<int(const std::vector<HistoryRow>& listed, const std::string& mask)> clear) {
    return [clear = std::move(clear)](const std::vector<HistoryRow>& listed, const std::string& mask,
                                      IHistoryDeleteProgress&, const common::StopToken&) {
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

HistorySectionRegistry::HistorySectionRegistry() : registered_(kHistorySectionCount, false) {
    rows_.reserve(kHistorySectionCount);
    for (const HistorySection& section : HistorySections()) rows_.push_back(TreeRow(section));
}

void HistorySectionRegistry::Register(int number, HistorySectionRow row) {
    const HistorySection* section = FindHistorySection(number);
    if (!section) throw std::logic_error(SectionName(number) + " is not in the tree");
    if (section->group) throw std::logic_error(SectionName(number) + " is a group and lists nothing");
    if (registered_[number]) throw std::logic_error(SectionName(number) + " is registered twice");
    const HistorySectionRow tree = TreeRow(*section);
    row.number = tree.number;
    row.caption = tree.caption;
    row.picture = tree.picture;
    row.depth = tree.depth;
    row.group = false;
    if (row.columns.empty()) row.columns = {{row.heading, 0}};
    rows_[number] = std::move(row);
    registered_[number] = true;
}

void HistorySectionRegistry::RegisterPlaceholders(std::initializer_list<Placeholder> placeholders) {
    for (const Placeholder& placeholder : placeholders)
        Register(placeholder.number,
                 {.heading = placeholder.heading, .deleteAllQuestion = placeholder.deleteAllQuestion});
}

bool HistorySectionRegistry::Registered(int number) const {
    return number >= 0 && number < kHistorySectionCount && registered_[number];
}

void HistorySectionRegistry::CheckComplete() const {
    for (const HistorySectionRow& row : rows_)
        if (!row.group && !registered_[row.number])
            throw std::logic_error(SectionName(row.number) + " (" + row.caption + ") has no row");
}

}  // namespace history
