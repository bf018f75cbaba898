// The row that takes a removed row's place in a list.
#include "ui/ListPlace.h"

#include <gtest/gtest.h>

namespace {

TEST(ListPlace, TheRowThatTakesARemovedRowsPlace) {
    const struct {
        int removedRow, rowCount, place;
    } cases[] = {
        {0, 3, 0},   // the first went: the next one moved up
        {1, 3, 1},   // a middle one
        {3, 3, 2},   // the last of four went: the new last
        {5, 3, 2},   // several went from the end
        {0, 1, 0},   // one row left
        {0, 0, -1},  // the list is empty
        {-1, 3, -1}, // no row was chosen
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::RowTakingPlace(c.removedRow, c.rowCount), c.place) << c.removedRow << " of " << c.rowCount;
}

}  // namespace
