#pragma once

#include "marks/MarkSteps.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QListView;
class QListWidget;
class QPushButton;

// The list of the document's bookmarks: go to one (Enter, double-click, Go
// to) or delete one (Delete). Loaded once and kept hidden; the caller shows
// it modally and, when lblMode is "totext", goes to Target.
class frmBookmark : public QDialog {
    Q_OBJECT
public:
    explicit frmBookmark(QWidget* parent = nullptr);

    QListWidget* lstBookmarks = nullptr;
    // 0 Delete, 1 Go to, 2 Cancel.
    std::array<QPushButton*, 3> cmdButton{};

    // "totext" when a bookmark was chosen, empty otherwise.
    QString lblMode;
    std::optional<MarkTarget> Target;
    // Gives the list the focus so that a screen reader tells its row; unset: plain focus.
    std::function<void(QListView* list, int row)> FocusList;
    // The id of the bookmark in each row.
    std::vector<QString> BookmarkIds;

    void ListBookmarks();
    // Sets the result to that bookmark and hides the dialog.
    void GoToBookmark(const QString& id);
    void cmdButton_Click(int index);
    // The id of the selected row; empty on the empty-list row.
    QString SelectedId() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_activated = false;
};
