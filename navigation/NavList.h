#pragma once

#include <QItemSelectionModel>
#include <QObject>
#include <QStringListModel>
#include <memory>
#include <vector>

// The navigation lists as data: list 0 holds search results, lists 1..n the
// navigation levels. Each list is a string model with its own selection; the
// main window shows them in list views that share these models, so the lists
// can be driven and read without any window.
class NavList : public QObject {
    Q_OBJECT
public:
    explicit NavList(int lists = 3, QObject* parent = nullptr);

    // Number of lists (search results included).
    int count() const { return static_cast<int>(m_lists.size()); }
    // Grows the array so that list `index` exists.
    void ensureList(int index);

    QStringListModel* model(int index) const;
    QItemSelectionModel* selection(int index) const;

    QStringList entries(int index) const;
    void setEntries(int index, const QStringList& entries);
    void clear(int index);

    // Selected entry of a list; -1 when none (or no such list).
    int ListIndex(int index) const;
    void setListIndex(int index, int row);

    bool isVisible(int index) const;
    void setVisible(int index, bool visible);

Q_SIGNALS:
    void listAdded(int index);
    void visibilityChanged(int index, bool visible);

private:
    struct List {
        std::unique_ptr<QStringListModel> model;
        std::unique_ptr<QItemSelectionModel> selection;
        bool visible = false;
    };
    std::vector<List> m_lists;
};
