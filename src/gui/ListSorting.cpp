// The column sorting shared by the three result lists.
#include "gui/ListSorting.h"

namespace gui {

namespace {

unsigned char UpperAscii(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

std::string* ComparedText(SortRow& row, int column) {
    if (column == 0) return &row.caption;
    const size_t index = static_cast<size_t>(column - 1);
    return index < row.subItems.size() ? &row.subItems[index] : nullptr;
}

void MergeSort(std::vector<SortRow>& rows, std::vector<SortRow>& scratch, size_t begin, size_t end,
               int column, bool descending) {
    if (end - begin < 2) return;
    const size_t middle = begin + (end - begin) / 2;
    MergeSort(rows, scratch, begin, middle, column, descending);
    MergeSort(rows, scratch, middle, end, column, descending);
    size_t left = begin, right = middle, out = begin;
    while (left < middle && right < end) {
        // Take from the right only when it is strictly smaller: stable.
        if (CompareRows(rows[right], rows[left], column, descending) < 0)
            scratch[out++] = std::move(rows[right++]);
        else
            scratch[out++] = std::move(rows[left++]);
    }
    while (left < middle) scratch[out++] = std::move(rows[left++]);
    while (right < end) scratch[out++] = std::move(rows[right++]);
    for (size_t i = begin; i < end; ++i) rows[i] = std::move(scratch[i]);
}

}  // namespace

int CompareTextAscii(const std::string& a, const std::string& b) {
    const size_t length = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < length; ++i) {
        int difference = UpperAscii(a[i]) - UpperAscii(b[i]);
        if (difference != 0) return difference;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareRows(SortRow& a, SortRow& b, int column, bool descending) {
    std::string* textA = ComparedText(a, column);
    std::string* textB = ComparedText(b, column);
    if (!textA || !textB) return 0;
    if (textA->empty()) textA->assign(1, ' ');
    if (textB->empty()) textB->assign(1, ' ');
    return descending ? CompareTextAscii(*textB, *textA) : CompareTextAscii(*textA, *textB);
}

void SortRows(std::vector<SortRow>& rows, int column, bool descending) {
    std::vector<SortRow> scratch(rows.size());
    MergeSort(rows, scratch, 0, rows.size(), column, descending);
}

const SortState& ClickColumn(SortState& state, int column) {
    state.sortedOnce = true;
    state.column = column;
    state.descending = !state.descending;
    return state;
}

}  // namespace gui
