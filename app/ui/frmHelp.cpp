#include "app/ui/frmHelp.h"

#include "settings/modLanguage.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

frmHelp::frmHelp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setModal(true);
    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    // A caret to read by line and word, as in the text view; Tab walks the links.
    txtHelp->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    txtHelp->setOpenExternalLinks(false);
    txtHelp->setOpenLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtHelp);
    resize(820, 640);
}

bool frmHelp::LoadManual(const QString& path)
{
    if (!QFileInfo(path).isReadable())
        return false;
    txtHelp->setSource(QUrl::fromLocalFile(path));
    const QString title = txtHelp->documentTitle();
    setWindowTitle(title.isEmpty() ? T(124) : title);
    txtHelp->setAccessibleName(windowTitle());
    txtHelp->moveCursor(QTextCursor::Start);
    return !txtHelp->document()->isEmpty();
}

void frmHelp::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    txtHelp->setFocus(Qt::OtherFocusReason);
}
