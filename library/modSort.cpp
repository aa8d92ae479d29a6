#include "library/modSort.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"

#include <QCollator>
#include <limits>

namespace {

QString Text(const QVariant& v)
{
    // A boolean reads as "True"/"False"; the checks compare it ignoring case.
    return v.toString();
}

bool IsNumber(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

double AsNumber(const QVariant& v)
{
    if (!v.isValid())
        return 0;
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? -1 : 0; // True is -1, as stored tables have it
    return v.toDouble();
}

const QCollator& TextCollator()
{
    static const QCollator collator = [] {
        QCollator c; // the locale's collation
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        return c;
    }();
    return collator;
}

int Sign(double d)
{
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

// Two numbers compare as numbers, two texts as text ignoring case; a number
// sorts before a text. An empty cell is 0 beside a number and "" beside a text.
int CompareCells(const QVariant& a, const QVariant& b)
{
    // Two texts, the usual case, compare without a conversion of either.
    if (a.metaType().id() == QMetaType::QString && b.metaType().id() == QMetaType::QString)
        return Sign(TextCollator().compare(*static_cast<const QString*>(a.constData()),
                                           *static_cast<const QString*>(b.constData())));
    const bool aNumber = IsNumber(a), bNumber = IsNumber(b);
    const bool aEmpty = !a.isValid(), bEmpty = !b.isValid();
    if ((aNumber || aEmpty) && (bNumber || bEmpty) && (aNumber || bNumber))
        return Sign(AsNumber(a) - AsNumber(b));
    if (aNumber != bNumber && !aEmpty && !bEmpty)
        return aNumber ? -1 : 1;
    return Sign(TextCollator().compare(aEmpty ? QString() : Text(a), bEmpty ? QString() : Text(b)));
}

bool IsWholeNumberText(const QString& text, int& value)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max())
        return false;
    // "02", "+2" and " 2" convert to 2 but are not its text.
    if (QString::number(n) != text)
        return false;
    value = n;
    return true;
}

bool IsOrderText(const QString& text)
{
    return text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
           text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0;
}

} // namespace

VariantTable::VariantTable(int firstColumn, int lastColumn, int firstRow, int lastRow)
    : m_isArray(true), m_firstColumn(firstColumn), m_columnCount(qMax(0, lastColumn - firstColumn + 1)),
      m_firstRow(firstRow), m_rowCount(qMax(0, lastRow - firstRow + 1))
{
    m_cells.resize(size_t(m_columnCount) * size_t(m_rowCount));
}

bool VariantTable::hasCell(int column, int row) const
{
    return m_isArray && column >= m_firstColumn && column <= lastColumn() && row >= m_firstRow && row <= lastRow();
}

size_t VariantTable::offset(int column, int row) const
{
    if (!hasCell(column, row))
        RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return size_t(row - m_firstRow) * size_t(m_columnCount) + size_t(column - m_firstColumn);
}

QVariant& VariantTable::operator()(int column, int row)
{
    return m_cells[offset(column, row)];
}

const QVariant& VariantTable::operator()(int column, int row) const
{
    return m_cells[offset(column, row)];
}

int ValidateSortSpec(int firstColumn, int lastColumn, const QVariantList& sortSpec)
{
    for (qsizetype i = 0; i < sortSpec.size(); i += 2) {
        int column = 0;
        if (!IsWholeNumberText(Text(sortSpec[i]), column))
            return 1;
        if (column < firstColumn || column > lastColumn)
            return 2;
        if (i + 1 >= sortSpec.size() || !IsOrderText(Text(sortSpec[i + 1])))
            return 3;
    }
    return 0;
}

QString SortSpecMessage(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("Error:  Invalid Column Reference");
    case 2:
        return QStringLiteral("Error:  Column Reference Outside Of Array Bounds");
    case 3:
        return QStringLiteral("Error:  Invalid Sort Order Type");
    default:
        return {};
    }
}

int CompareRows(const VariantTable& ta, int a, const VariantTable& tb, int b, const std::vector<SortKey>& keys)
{
    for (const SortKey& key : keys) {
        const int result = CompareCells(ta(key.column, a), tb(key.column, b));
        if (result != 0)
            return key.descending ? -result : result;
    }
    return 0;
}

void CopyRow(int targetRow, VariantTable& target, int sourceRow, const VariantTable& source)
{
    for (int column = target.firstColumn(); column <= target.lastColumn(); ++column)
        target(column, targetRow) = source(column, sourceRow);
}

namespace {

// CopyRow for the sort's own moves: the source row is a hole that is filled
// again before the sort ends, so its cells are moved rather than copied.
void MoveRow(int targetRow, VariantTable& target, int sourceRow, VariantTable& source)
{
    for (int column = target.firstColumn(); column <= target.lastColumn(); ++column)
        target(column, targetRow) = std::move(source(column, sourceRow));
}

} // namespace

void QuickSortRows(VariantTable& table, int first, int last, const std::vector<SortKey>& keys)
{
    VariantTable pivot(table.firstColumn(), table.lastColumn(), 0, 0);
    // The smaller part is sorted by recursion and the larger by the loop, so
    // the depth stays logarithmic.
    while (first < last) {
        // The middle row is the pivot: an already sorted table, the usual case
        // for the catalogue, then splits evenly. Row first becomes the hole.
        const int middle = first + (last - first) / 2;
        MoveRow(0, pivot, middle, table);
        if (middle != first)
            MoveRow(middle, table, first, table);

        int i = first, j = last, position = first;
        for (;;) {
            while (j > i && CompareRows(table, j, pivot, 0, keys) != -1)
                --j;
            if (j <= i) {
                position = i;
                break;
            }
            MoveRow(i, table, j, table);
            ++i;
            while (i < j && CompareRows(table, i, pivot, 0, keys) == -1)
                ++i;
            if (i >= j) {
                position = j;
                break;
            }
            MoveRow(j, table, i, table);
        }
        MoveRow(position, table, 0, pivot);

        if (position - first < last - position) {
            QuickSortRows(table, first, position - 1, keys);
            first = position + 1;
        } else {
            QuickSortRows(table, position + 1, last, keys);
            last = position - 1;
        }
    }
}

void SortArray(VariantTable& table, const QVariantList& sortSpec)
{
    GuardedVoid("SortArray", [&] {
        SetStep(QStringLiteral("Check the table"));
        if (!table.isArray()) {
            Prompt().MsgBox(QStringLiteral("Error:  Not A Valid Array"), PromptButtons::Ok);
            return;
        }
        SetStep(QStringLiteral("Check the sort order"));
        const int code = ValidateSortSpec(table.firstColumn(), table.lastColumn(), sortSpec);
        if (code != 0) {
            Prompt().MsgBox(SortSpecMessage(code), PromptButtons::Ok);
            return;
        }
        std::vector<SortKey> keys;
        for (qsizetype i = 0; i + 1 < sortSpec.size(); i += 2)
            keys.push_back({Text(sortSpec[i]).toInt(),
                            Text(sortSpec[i + 1]).compare(QLatin1String("True"), Qt::CaseInsensitive) == 0});
        // Without a key every row is equal to every other: nothing to order.
        if (keys.empty())
            return;
        SetStep(QStringLiteral("Sort the rows"));
        QuickSortRows(table, table.firstRow(), table.lastRow(), keys);
    });
}

VariantTable RemoveRow(VariantTable& table, int row)
{
    GuardedVoid("RemoveRow", [&] {
        SetStep(QStringLiteral("Remove row %1").arg(row));
        if (!table.hasCell(0, row) || !table.hasCell(1, row))
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        VariantTable shorter(0, 1, table.firstRow(), table.lastRow() - 1);
        int target = table.firstRow();
        for (int source = table.firstRow(); source <= table.lastRow(); ++source) {
            if (source == row)
                continue;
            shorter(0, target) = table(0, source);
            shorter(1, target) = table(1, source);
            ++target;
        }
        table = std::move(shorter);
    });
    return table;
}
