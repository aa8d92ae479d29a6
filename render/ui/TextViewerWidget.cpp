#include "render/ui/TextViewerWidget.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextDocument>

TextViewerWidget::TextViewerWidget(TextViewer* viewer, QWidget* parent)
    : QTextEdit(parent), m_viewer(viewer), m_placeholder(new QTextDocument(this))
{
    setObjectName(QStringLiteral("TextViewer"));
    setReadOnly(true);
    // Read-only, yet with a caret the reader moves with the keyboard.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    // The scroll bars would otherwise offer menus of their own.
    verticalScrollBar()->setContextMenuPolicy(Qt::PreventContextMenu);
    horizontalScrollBar()->setContextMenuPolicy(Qt::PreventContextMenu);
    setDocument(m_placeholder);
    if (m_viewer) {
        showViewerDocument(isVisible());
        m_viewer->attachHost(this);
    }
}

TextViewerWidget::~TextViewerWidget()
{
    if (m_viewer)
        m_viewer->detachHost(this);
}

QTextCursor TextViewerWidget::caret() const
{
    return textCursor();
}

void TextViewerWidget::setCaret(const QTextCursor& cursor)
{
    setTextCursor(cursor);
}

void TextViewerWidget::ensureCaretVisible()
{
    ensureCursorVisible();
}

bool TextViewerWidget::isViewShown() const
{
    return isVisible() && m_viewer && document() == m_viewer->document();
}

void TextViewerWidget::setViewVisible(bool visible)
{
    setVisible(visible);
}

void TextViewerWidget::applyBackColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void TextViewerWidget::takeFocus()
{
    setFocus(Qt::OtherFocusReason);
}

void TextViewerWidget::releaseViewer()
{
    showViewerDocument(false);
    m_viewer = nullptr;
}

void TextViewerWidget::showViewerDocument(bool show)
{
    if (!m_viewer)
        return;
    QTextDocument* doc = m_viewer->document();
    if (show && document() != doc) {
        setDocument(doc); // lays it out for the current width
    } else if (!show && document() == doc) {
        setDocument(m_placeholder);
        // The document keeps its layout object, which stops laying out only at a
        // page size of 0 x 0 (QSizeF() is -1 x -1). Showing sets the width again.
        doc->setPageSize(QSizeF(0, 0));
    }
}

void TextViewerWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTextEdit::mousePressEvent(event);
}

void TextViewerWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit rightButtonReleased();
        return;
    }
    QTextEdit::mouseReleaseEvent(event);
}

void TextViewerWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTextEdit::mouseDoubleClickEvent(event);
}

void TextViewerWidget::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

// Shown, the document comes first and then the caret; hidden, the other way round.
void TextViewerWidget::showEvent(QShowEvent* event)
{
    QTextEdit::showEvent(event);
    if (!m_viewer || !isVisible())
        return;
    showViewerDocument(true);
    m_viewer->hostVisibilityChanged();
}

void TextViewerWidget::hideEvent(QHideEvent* event)
{
    QTextEdit::hideEvent(event);
    if (!m_viewer || isVisible())
        return;
    m_viewer->hostVisibilityChanged();
    showViewerDocument(false);
}
