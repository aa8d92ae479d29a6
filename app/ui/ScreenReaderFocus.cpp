#include "app/ui/ScreenReaderFocus.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QListView>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

namespace {

bool IsPhraseEnd(const QString& text, qsizetype i)
{
    const QChar c = text[i];
    const bool delimiter = c == u'.' || c == u'?' || c == u'!' || c == u';' || c == u':';
    return delimiter && (i + 1 >= text.size() || text[i + 1].isSpace());
}

const QString NoticeName = QStringLiteral("ScreenReaderNotice");

// The notice reports itself as a notification, which a screen reader reads out
// when it appears, wherever the focus is.
QAccessibleInterface* NoticeAccessible(const QString&, QObject* object)
{
    if (object && object->isWidgetType() && object->objectName() == NoticeName)
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
    return nullptr;
}

void ShowNotice(QWidget* near, const QString& text)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(NoticeAccessible);
        return true;
    }();
    (void)factoryInstalled;
    QWidget* window = near->window();
    auto* notice = window->findChild<QWidget*>(NoticeName, Qt::FindDirectChildrenOnly);
    if (!notice) {
        notice = new QWidget(window);
        notice->setObjectName(NoticeName);
        notice->setFocusPolicy(Qt::NoFocus);
        notice->setAttribute(Qt::WA_TransparentForMouseEvents);
        notice->setGeometry(0, 0, 1, 1);
    }
    notice->hide();
    notice->setAccessibleName(text);
    notice->lower();
    notice->show();
}

void SendItemFocus(QListView* view, int row)
{
    if (!QAccessible::isActive() || row < 0 || !view->model() || row >= view->model()->rowCount())
        return;
    QAccessibleEvent event(view, QAccessible::Focus);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

} // namespace

void FocusListOnRow(QListView* view, int row)
{
    if (!view)
        return;
    const bool hadFocus = view->hasFocus();
    view->setFocus(Qt::OtherFocusReason);
    // With the focus already here, a change of row was reported as it happened.
    if (!hadFocus && view->hasFocus())
        SendItemFocus(view, row);
    else if (!view->window()->isActiveWindow())
        RefocusAfterDialog(view);
}

void FocusTextAtCaret(QTextEdit* view)
{
    if (!view)
        return;
    view->setFocus(Qt::OtherFocusReason);
    AnnounceInText(view, CaretLine(view));
}

void AnnounceInText(QTextEdit* view, const QString& text)
{
    if (!view || !view->hasFocus())
        return;
    const QString spoken = text.simplified();
    if (spoken.isEmpty())
        return;
    ShowNotice(view, spoken);
}

QString CaretLine(const QTextEdit* view)
{
    if (!view)
        return {};
    QTextCursor cursor = view->textCursor();
    cursor.clearSelection();
    const QTextBlock block = cursor.block();
    if (!block.layout() || block.layout()->lineCount() == 0)
        return block.text();
    cursor.movePosition(QTextCursor::StartOfLine);
    cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

QString CaretPhrase(const QTextEdit* view)
{
    if (!view)
        return {};
    // From an empty line the phrase read is the one the reader comes to next.
    const QString text = view->document()->toPlainText();
    qsizetype start = view->textCursor().position();
    while (start < text.size() && text[start].isSpace())
        ++start;
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\n' && text[end] != QChar::ParagraphSeparator) {
        if (IsPhraseEnd(text, end++))
            break;
    }
    return text.mid(start, end - start);
}

QString CaretParagraph(const QTextEdit* view)
{
    return view ? view->textCursor().block().text() : QString();
}

namespace {

void Refocus(QWidget* widget)
{
    if (!widget->isVisible())
        return;
    if (auto* list = qobject_cast<QListView*>(widget)) {
        list->setFocus(Qt::OtherFocusReason);
        SendItemFocus(list, list->currentIndex().row());
    } else if (auto* text = qobject_cast<QTextEdit*>(widget)) {
        FocusTextAtCaret(text);
    } else {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

// Waits for the window to be active again: until then a focus change is not
// reported, and the activation itself announces the window and its focus
// without the row or line, so the move is told after it.
class AfterActivation : public QObject {
public:
    explicit AfterActivation(QWidget* widget) : QObject(widget->window()), m_widget(widget)
    {
        setObjectName(QStringLiteral("ScreenReaderRefocus"));
        widget->window()->installEventFilter(this);
    }
    void setWidget(QWidget* widget) { m_widget = widget; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate && watched == parent()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, parent(), [widget = m_widget] {
                if (widget)
                    Refocus(widget);
            });
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_widget;
};

} // namespace

void RefocusAfterDialog(QWidget* widget)
{
    if (!widget)
        return;
    if (widget->window()->isActiveWindow())
        Refocus(widget);
    else if (auto* pending = dynamic_cast<AfterActivation*>(widget->window()->findChild<QObject*>(
                 QStringLiteral("ScreenReaderRefocus"), Qt::FindDirectChildrenOnly)))
        pending->setWidget(widget);
    else
        new AfterActivation(widget);
}
