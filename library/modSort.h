#pragma once

#include <QVariant>
#include <QVariantList>
#include <vector>

// Table helpers for the library: a multi-key row sort and the removal of one
// row of a two-column table.

// A table of variant cells addressed table(column, row). Columns and rows keep
// the bounds the table was made with (a table may run from column 0 or 1, and
// from row 0 or 1). A default-constructed table is no table at all; the sort
// refuses it, as it refuses any value that is not a table.
class VariantTable {
public:
    VariantTable() = default;
    // Every cell empty. lastRow may be firstRow - 1 for a table without rows.
    VariantTable(int firstColumn, int lastColumn, int firstRow, int lastRow);

    bool isArray() const { return m_isArray; }
    int firstColumn() const { return m_firstColumn; }
    int lastColumn() const { return m_firstColumn + m_columnCount - 1; }
    int firstRow() const { return m_firstRow; }
    int lastRow() const { return m_firstRow + m_rowCount - 1; }
    int rowCount() const { return m_rowCount; }
    bool hasCell(int column, int row) const;

    // A cell; raises error 9 (subscript out of range) outside the table.
    QVariant& operator()(int column, int row);
    const QVariant& operator()(int column, int row) const;

private:
    size_t offset(int column, int row) const;

    bool m_isArray = false;
    int m_firstColumn = 0;
    int m_columnCount = 0;
    int m_firstRow = 0;
    int m_rowCount = 0;
    std::vector<QVariant> m_cells; // row by row
};

// One sort key: a column and whether it sorts descending.
struct SortKey {
    int column = 0;
    bool descending = false;
};

// Sorts the table's rows in place. sortSpec holds pairs of a column number and
// a descending flag (True or False); the first pair is the primary key, each
// further pair breaks the ties of the pairs before it. Columns and flags may be
// given as numbers, booleans or text ("2", "true"). A table that is not a
// table, or sort keys that do not hold (see ValidateSortSpec), is
// reported to the reader in a message box and leaves the table unchanged. Text
// cells compare ignoring case in the locale's collation, so "10" sorts before
// "9"; number cells compare as numbers. Rows equal on every key have no
// defined order.
void SortArray(VariantTable& table, const QVariantList& sortSpec);

// 0 when sortSpec is valid for a table of columns firstColumn to lastColumn;
// otherwise the code of the first failing pair, checked pair by pair:
// 1 a column that is not the text of a 16-bit whole number ("2.5", "x", " 2"),
// 2 a column outside the table, 3 an order that is neither True nor False, or
// missing (an odd number of elements).
int ValidateSortSpec(int firstColumn, int lastColumn, const QVariantList& sortSpec);

// The message SortArray shows for a ValidateSortSpec code (1 to 3).
QString SortSpecMessage(int code);

// -1, 0 or 1 as row a of table ta sorts before, with or after row b of table tb.
int CompareRows(const VariantTable& ta, int a, const VariantTable& tb, int b, const std::vector<SortKey>& keys);

// target(column, targetRow) = source(column, sourceRow) for every column of the target table.
void CopyRow(int targetRow, VariantTable& target, int sourceRow, const VariantTable& source);

// Sorts rows first to last (a partition sort); ranges of fewer than two rows stay as they are.
void QuickSortRows(VariantTable& table, int first, int last, const std::vector<SortKey>& keys);

// Removes one row of a two-column table: the rows after it move up one place
// and the table ends one row earlier. Only columns 0 and 1 are kept; the first
// row index stays what it was. Returns the new table, which also replaces the
// argument. A row outside the table is logged and changes nothing.
VariantTable RemoveRow(VariantTable& table, int row);
