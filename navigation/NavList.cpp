#include "navigation/NavList.h"

NavList::NavList(int lists, QObject* parent) : QObject(parent)
{
    ensureList(lists - 1);
}

void NavList::ensureList(int index)
{
    while (count() <= index) {
        List list;
        list.model = std::make_unique<QStringListModel>();
        list.selection = std::make_unique<QItemSelectionModel>(list.model.get());
        m_lists.push_back(std::move(list));
        Q_EMIT listAdded(count() - 1);
    }
}

QStringListModel* NavList::model(int index) const
{
    return index >= 0 && index < count() ? m_lists[size_t(index)].model.get() : nullptr;
}

QItemSelectionModel* NavList::selection(int index) const
{
    return index >= 0 && index < count() ? m_lists[size_t(index)].selection.get() : nullptr;
}

QStringList NavList::entries(int index) const
{
    const auto* m = model(index);
    return m ? m->stringList() : QStringList();
}

void NavList::setEntries(int index, const QStringList& entries)
{
    ensureList(index);
    m_lists[size_t(index)].model->setStringList(entries);
}

void NavList::clear(int index)
{
    if (auto* m = model(index))
        m->setStringList({});
}

int NavList::ListIndex(int index) const
{
    const auto* s = selection(index);
    return s && s->currentIndex().isValid() ? s->currentIndex().row() : -1;
}

void NavList::setListIndex(int index, int row)
{
    auto* s = selection(index);
    if (!s)
        return;
    if (row < 0 || row >= model(index)->rowCount()) {
        s->clear();
        return;
    }
    s->setCurrentIndex(model(index)->index(row), QItemSelectionModel::ClearAndSelect);
}

bool NavList::isVisible(int index) const
{
    return index >= 0 && index < count() && m_lists[size_t(index)].visible;
}

void NavList::setVisible(int index, bool visible)
{
    ensureList(index);
    if (m_lists[size_t(index)].visible == visible)
        return;
    m_lists[size_t(index)].visible = visible;
    Q_EMIT visibilityChanged(index, visible);
}
