#include "library/modSort.h"

#include "app/core/AppPaths.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A table of columns 0..n-1 from rows of values, rows numbered from firstRow.
VariantTable Table(const std::vector<QVariantList>& rows, int firstRow = 0, int firstColumn = 0)
{
    const int columns = rows.empty() ? 1 : int(rows.front().size());
    VariantTable t(firstColumn, firstColumn + columns - 1, firstRow, firstRow + int(rows.size()) - 1);
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < columns; ++c)
            t(firstColumn + c, firstRow + r) = rows[size_t(r)][c];
    return t;
}

QStringList Column(const VariantTable& t, int column)
{
    QStringList out;
    for (int r = t.firstRow(); r <= t.lastRow(); ++r)
        out << t(column, r).toString();
    return out;
}

class SortTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    ScriptedPrompter prompter;
};

TEST_F(SortTest, ValidationCodesFollowTheFirstFailingPair)
{
    // Columns 0..2.
    EXPECT_EQ(ValidateSortSpec(0, 2, {"2", "TRUE", 0, false}), 0); // a whole number's text, a flag's text
    EXPECT_EQ(ValidateSortSpec(0, 2, {2.5, true}), 1);
    EXPECT_EQ(ValidateSortSpec(0, 2, {"x", true}), 1);
    EXPECT_EQ(ValidateSortSpec(0, 2, {"02", true}), 1);  // converts to 2, but is not its text
    EXPECT_EQ(ValidateSortSpec(0, 2, {40000, true}), 1); // not a 16-bit number
    EXPECT_EQ(ValidateSortSpec(1, 2, {0, true}), 2);     // below a lower bound of 1
    EXPECT_EQ(ValidateSortSpec(0, 2, {1, "yes"}), 3);
    EXPECT_EQ(ValidateSortSpec(0, 2, {1}), 3); // the order is missing
    EXPECT_EQ(ValidateSortSpec(0, 2, {0, true, 9, "x"}), 2);
}

TEST_F(SortTest, RefusalsAreToldAndLeaveTheTableAlone)
{
    VariantTable none;
    SortArray(none, {0, false});
    VariantTable t = Table({{"b"}, {"a"}});
    SortArray(t, {2.5, true});
    SortArray(t, {1, true});
    SortArray(t, {0, "up"});
    const QStringList expected = {"Error:  Not A Valid Array", "Error:  Invalid Column Reference",
                                  "Error:  Column Reference Outside Of Array Bounds",
                                  "Error:  Invalid Sort Order Type"};
    ASSERT_EQ(prompter.questions().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(prompter.questions()[i].text, expected[qsizetype(i)]);
        EXPECT_EQ(prompter.questions()[i].buttons, PromptButtons::Ok);
        EXPECT_TRUE(prompter.questions()[i].title.isEmpty()); // the program's own title
    }
    EXPECT_EQ(Column(t, 0), QStringList({"b", "a"}));
}

TEST_F(SortTest, TextsOrderAsTextIgnoringCaseAndNumbersAsNumbers)
{
    VariantTable texts = Table({{"9"}, {"10"}, {"2"}, {"b"}, {"A"}});
    SortArray(texts, {0, false});
    EXPECT_EQ(Column(texts, 0), QStringList({"10", "2", "9", "A", "b"}));

    VariantTable numbers = Table({{9}, {10}, {2}});
    SortArray(numbers, {0, true});
    EXPECT_EQ(Column(numbers, 0), QStringList({"10", "9", "2"}));
}

TEST_F(SortTest, TiesAreBrokenByTheNextPair)
{
    VariantTable t = Table({{"b", "1"}, {"A", "1"}, {"a", "3"}, {"B", "2"}, {"a", "2"}});
    SortArray(t, {0, false, "1", "True"});
    EXPECT_EQ(Column(t, 0).join(QString()).toLower(), QStringLiteral("aaabb"));
    EXPECT_EQ(Column(t, 1), QStringList({"3", "2", "1", "2", "1"}));
}

TEST_F(SortTest, ShortRangesAndTheTablesOwnBoundsAreKept)
{
    VariantTable one = Table({{"z"}});
    SortArray(one, {0, false});
    VariantTable empty(0, 1, 0, -1);
    SortArray(empty, {0, false});
    EXPECT_EQ(Column(one, 0), QStringList({"z"}));
    EXPECT_EQ(empty.rowCount(), 0);

    // Columns 1..2 and rows 1..3; whole rows move.
    VariantTable t = Table({{"c", 3}, {"a", 1}, {"b", 2}}, 1, 1);
    SortArray(t, {1, false});
    EXPECT_EQ(t.firstRow(), 1);
    EXPECT_EQ(Column(t, 2), QStringList({"1", "2", "3"}));
    EXPECT_TRUE(prompter.questions().empty());
}

TEST_F(SortTest, LargeOrderedTablesSort)
{
    // An ordered table is what the catalogue sorts most often; it must neither
    // exhaust the stack nor take quadratic time.
    constexpr int n = 200000;
    VariantTable t(0, 0, 0, n - 1);
    for (int r = 0; r < n; ++r)
        t(0, r) = r;
    SortArray(t, {0, true});
    for (int r = 0; r < n; ++r)
        ASSERT_EQ(t(0, r).toInt(), n - 1 - r) << r;
}

TEST_F(SortTest, RemoveRowClosesTheGap)
{
    VariantTable t = Table({{"r0", "t0"}, {"r1", "t1"}, {"r2", "t2"}});
    const VariantTable result = RemoveRow(t, 0);
    EXPECT_EQ(Column(t, 0), QStringList({"r1", "r2"}));
    EXPECT_EQ(Column(t, 1), QStringList({"t1", "t2"}));
    EXPECT_EQ(Column(result, 0), Column(t, 0));

    // Rows from 1 stay rows from 1; a third column is not carried over.
    VariantTable fromOne = Table({{"a", "1", "x"}, {"b", "2", "y"}, {"c", "3", "z"}}, 1);
    RemoveRow(fromOne, 2);
    EXPECT_EQ(fromOne.firstRow(), 1);
    EXPECT_EQ(fromOne.lastColumn(), 1);
    EXPECT_EQ(Column(fromOne, 0), QStringList({"a", "c"}));

    // A row that is not there changes nothing and is logged.
    RemoveRow(fromOne, 3);
    EXPECT_EQ(Column(fromOne, 0), QStringList({"a", "c"}));
    EXPECT_TRUE(QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath())).contains(QStringLiteral("RemoveRow")));
}

} // namespace
