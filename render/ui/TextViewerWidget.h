#pragma once

#include "render/TextViewer.h"

#include <QTextEdit>

// The on-screen text view: a read-only QTextEdit with a visible caret showing a
// TextViewer's document. The right mouse button never reaches the edit and no
// context menu ever opens; a right-button release is reported instead.
// While hidden the view lets go of the document, so a text rebuilt meanwhile
// costs no layout and no accessibility event per insertion; it is laid out
// once when the view is shown again.
class TextViewerWidget : public QTextEdit, public TextCaretHost {
    Q_OBJECT
public:
    explicit TextViewerWidget(TextViewer* viewer, QWidget* parent = nullptr);
    ~TextViewerWidget() override;

    TextViewer* viewer() const { return m_viewer; }

    QTextCursor caret() const override;
    void setCaret(const QTextCursor& cursor) override;
    void ensureCaretVisible() override;
    bool isViewShown() const override;
    void setViewVisible(bool visible) override;
    void applyBackColor(const QColor& color) override;
    void takeFocus() override;
    void releaseViewer() override;

Q_SIGNALS:
    // The right mouse button went up over the text.
    void rightButtonReleased();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showViewerDocument(bool show);

    TextViewer* m_viewer;
    QTextDocument* m_placeholder; // shown while the viewer's document is let go
};
