// The print job's page sequence as tables: no device, no link.
#include "printing/PrintPageSequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel {
namespace {

struct SequenceRow {
    const char* Name;
    TdxPageSequenceParams Params;
    std::vector<int> Expected;
};

class PageSequence : public ::testing::TestWithParam<SequenceRow> {};

TEST_P(PageSequence, IsTheListFilteredByPageNumberAndRepeatedForTheCopies)
{
    EXPECT_EQ(dxPageSequence(GetParam().Params), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, PageSequence,
    ::testing::Values(
        SequenceRow{"all_pages", {{1, 2, 3, 4}, 4}, {1, 2, 3, 4}},
        SequenceRow{"a_list_in_its_own_order", {{4, 1, 3}, 4}, {4, 1, 3}},
        SequenceRow{"pages_past_the_report_are_left_out", {{1, 3, 7, 0, -2}, 5}, {1, 3}},
        SequenceRow{"no_pages", {{}, 0}, {}},
        SequenceRow{"a_list_on_a_report_without_pages", {{1, 2}, 0}, {}},
        // By the page's number: "odd pages of 2-5" are 3 and 5, not the
        // pages at the 1st and 3rd places of the list (2 and 4).
        SequenceRow{"odd_pages_of_2_5", {{2, 3, 4, 5}, 9, ppnOdd}, {3, 5}},
        SequenceRow{"even_pages_of_2_5", {{2, 3, 4, 5}, 9, ppnEven}, {2, 4}},
        SequenceRow{"even_pages_of_a_list_out_of_order", {{6, 3, 2, 5}, 9, ppnEven}, {6, 2}},
        SequenceRow{"even_pages_of_page_1_leave_nothing", {{1}, 9, ppnEven}, {}},
        SequenceRow{"two_copies_not_collated", {{1, 2, 3}, 3, ppnAll, 2, false}, {1, 1, 2, 2, 3, 3}},
        SequenceRow{"two_copies_collated", {{1, 2, 3}, 3, ppnAll, 2, true}, {1, 2, 3, 1, 2, 3}},
        SequenceRow{"no_copies_print_one", {{1, 2}, 2, ppnAll, 0, false}, {1, 2}},
        SequenceRow{"negative_copies_print_one", {{1, 2}, 2, ppnAll, -4, true}, {1, 2}},
        SequenceRow{"odd_pages_three_copies_collated", {{1, 2, 3}, 3, ppnOdd, 3, true}, {1, 3, 1, 3, 1, 3}},
        SequenceRow{"even_pages_two_copies_not_collated", {{1, 2, 3, 4}, 4, ppnEven, 2, false}, {2, 2, 4, 4}}),
    [](const ::testing::TestParamInfo<SequenceRow>& Info) { return std::string(Info.param.Name); });

struct OrderRow {
    const char* Name;
    std::vector<int> Pages;
    std::vector<int> Places;
    int Across;
    std::vector<int> Expected;
};

class DownThenAcross : public ::testing::TestWithParam<OrderRow> {};

TEST_P(DownThenAcross, PrintsEachPageColumnTopToBottom)
{
    const OrderRow& row = GetParam();
    EXPECT_EQ(dxPagesDownThenAcross(row.Pages, row.Places, row.Across), row.Expected);
}

// Pages are numbered over then down: on a grid 2 wide and 2 tall, 1 2 / 3 4.
INSTANTIATE_TEST_SUITE_P(
    Tables, DownThenAcross,
    ::testing::Values(
        OrderRow{"two_by_two", {1, 2, 3, 4}, {0, 1, 2, 3}, 2, {1, 3, 2, 4}},
        OrderRow{"three_wide_two_tall", {1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5}, 3, {1, 4, 2, 5, 3, 6}},
        OrderRow{"two_wide_three_tall", {1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5}, 2, {1, 3, 5, 2, 4, 6}},
        // Empty pages hidden: page n shows the grid place in Places; the
        // grid's place 2 (row 1, column 0) is empty.
        OrderRow{"a_hidden_empty_page", {1, 2, 3}, {0, 1, 3}, 2, {1, 2, 3}},
        OrderRow{"a_hidden_empty_page_in_column_two", {1, 2, 3}, {0, 2, 3}, 2, {1, 2, 3}},
        OrderRow{"three_tall_column_one_sparse", {1, 2, 3, 4, 5}, {0, 1, 3, 4, 5}, 2, {1, 4, 2, 3, 5}},
        OrderRow{"one_wide", {1, 2, 3}, {0, 1, 2}, 1, {1, 2, 3}},
        OrderRow{"pages_without_a_place_come_last", {1, 2, 9}, {0, 1}, 2, {1, 2, 9}}),
    [](const ::testing::TestParamInfo<OrderRow>& Info) { return std::string(Info.param.Name); });

TEST(PrintProgressTotal, CountsPositionsTimesCopiesHalvedForOddOrEvenPages)
{
    struct Row {
        int Positions, Copies;
        TdxPrintPageNums PageNums;
        int Expected;
    };
    const Row rows[] = {
        {4, 1, ppnAll, 4},  {4, 2, ppnAll, 8},  {4, 0, ppnAll, 4}, {5, 1, ppnEven, 2},
        {5, 1, ppnOdd, 3},  {5, 3, ppnOdd, 8},  {5, 3, ppnEven, 7}, {0, 2, ppnOdd, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(dxPrintProgressTotal(r.Positions, r.Copies, r.PageNums), r.Expected)
            << r.Positions << " positions, " << r.Copies << " copies, choice " << int(r.PageNums);
}

} // namespace
} // namespace qel
