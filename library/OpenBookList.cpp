#include "library/OpenBookList.h"

#include "library/frmLibrary.h"

QString DocumentEntryText(const VariantTable& table, int row, const QString& neverOpened)
{
    const QVariant& last = table(ColLastOpened, row);
    const QString when = last.isValid() ? LibraryDateCellText(last) : neverOpened;
    return table(ColTitle, row).toString() + QStringLiteral(" (") + when + QLatin1Char(')');
}

std::vector<OpenBookEntry> BuildOpenBookEntries(const VariantTable& table, int rows, bool grouped, const QString& shelf,
                                                const QString& neverOpened, const QString& upText,
                                                const QString& placeholder)
{
    std::vector<OpenBookEntry> entries;
    auto addDocument = [&](int row) {
        entries.push_back({OpenBookEntryKind::Document, DocumentEntryText(table, row, neverOpened), row, {}});
    };
    if (!grouped) {
        for (int row = 0; row < rows; ++row)
            addDocument(row);
    } else if (!shelf.isEmpty()) {
        entries.push_back({OpenBookEntryKind::Up, QLatin1Char('[') + upText + QLatin1Char(']'), -1, {}});
        for (int row = 0; row < rows; ++row) {
            if (table(ColBookshelf, row).toString() == shelf)
                addDocument(row);
        }
    } else {
        QStringList shelves;
        for (int row = 0; row < rows; ++row) {
            const QString name = table(ColBookshelf, row).toString();
            if (!name.isEmpty() && !shelves.contains(name)) {
                shelves.append(name);
                entries.push_back({OpenBookEntryKind::Shelf, QLatin1Char('[') + name + QLatin1Char(']'), -1, name});
            }
        }
        for (int row = 0; row < rows; ++row) {
            if (table(ColBookshelf, row).toString().isEmpty())
                addDocument(row);
        }
    }
    if (entries.empty())
        entries.push_back({OpenBookEntryKind::Placeholder, placeholder, -1, {}});
    return entries;
}

std::vector<RecentDocument> RecentDocuments(const VariantTable& table, int rows)
{
    std::vector<RecentDocument> recent;
    for (int row = 0; row < rows && recent.size() < 4; ++row) {
        RecentDocument r;
        r.title = table(ColTitle, row).toString();
        r.location = table(ColLocation, row).toString();
        r.id = table(ColId, row).toString();
        QString escaped = r.title;
        escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
        r.caption = QStringLiteral("&%1 ").arg(recent.size() + 1) + escaped;
        recent.push_back(std::move(r));
    }
    return recent;
}
