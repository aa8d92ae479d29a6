#pragma once

#include "marks/MarkSteps.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The notes of the document: a new note from the selection ("add"), one note
// to read and edit ("show"), or the list of them all ("list"). Loaded once and
// kept hidden; the caller sets lblMode, shows it modally and, when lblMode is
// "totext" afterwards, goes to Target.
class frmAnnotation : public QDialog {
    Q_OBJECT
public:
    explicit frmAnnotation(QWidget* parent = nullptr);

    QListWidget* lstAnnotations = nullptr;
    QGroupBox* fraAnnotation = nullptr;
    QLineEdit* txtDescriptiveTitle = nullptr;
    QPlainTextEdit* txtAnnotation = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblText = nullptr;
    QLabel* lblAddDate = nullptr;
    QLabel* lblDate = nullptr;
    // 0 To text, 1 Delete, 2 Save (its caption by mode), 3 Cancel.
    std::array<QPushButton*, 4> cmdButton{};

    // "list", "add", "show"; "totext" as the result of going to a note.
    QString lblMode;
    // The note in hand in show mode.
    QString lblAnnotId;
    std::vector<QString> AnnotationIds;
    std::optional<MarkTarget> Target;
    // Gives the list the focus so that a screen reader tells its row; unset: plain focus.
    std::function<void(QListView* list, int row)> FocusList;
    // Set when a new note was stored, or a note changed or went.
    bool Changed = false;

    int CountAnnotations() const;
    void ListAnnotations();
    // A new note over the selection at spot: the selected text is the title.
    void AddAnnotation(const MarkSpot& spot, int32_t length, const QString& selected, const QString& shownText);
    // The note of the selected row: to the text, kept in the list, or shown.
    void LoadAnnotation(bool toText, bool listMode);
    void SaveAnnotation();
    void UpdateAnnotation();
    void DeleteAnnotation();
    // Fills the dialog with a note for show mode; false when there is no such note.
    bool ShowAnnotation(const QString& id);
    // 0 list, 1 add, 2 show.
    void SwitchMode(int mode);
    void cmdButton_Click(int index);
    // The id of the selected row; empty on the empty-list row.
    QString SelectedId() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(const StoredAnnotation& annotation);
    bool m_activated = false;
    MarkSpot m_spot;
    int32_t m_length = 0;
    QString m_shownText;
};
