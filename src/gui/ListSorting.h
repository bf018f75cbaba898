// The column sorting shared by the three result lists: one sort state for
// all of them and the compare rule. Pure text logic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

struct SortState {
    int column = 0;           // last clicked column
    bool descending = false;  // inverted by every click, whichever list
    bool sortedOnce = false;  // set by the first click
};

// One row as the sort sees it: its key, its caption and its sub-values
// (as many as the row has).
struct SortRow {
    std::intptr_t key = 0;
    std::string caption;
    std::vector<std::string> subItems;
};

// Byte by byte, a..z taken as A..Z.
int CompareTextAscii(const std::string& a, const std::string& b);

// The compare rule. Column 0 compares captions; column k compares the
// (k-1)-th sub-values when both rows have them, else the pair is equal. An
// empty text compared is first replaced, in the row, by " ".
int CompareRows(SortRow& a, SortRow& b, int column, bool descending);

// Sorts the rows in place (stable merge sort; it tolerates the rule's
// equal pairs, which are not transitive).
void SortRows(std::vector<SortRow>& rows, int column, bool descending);

// A column click: sets sorted-once, remembers the column, inverts the
// direction. Returns the state to sort with.
const SortState& ClickColumn(SortState& state, int column);

}  // namespace gui
