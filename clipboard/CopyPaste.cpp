#include "clipboard/CopyPaste.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "settings/modLanguage.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>

void frmCopyPaste::cmdButton_Click(int index)
{
    GuardedVoid("cmdButton_Click", [&] {
        if (index == 1) {
            SetStep(QStringLiteral("Put the text on the clipboard"));
            QClipboard* clipboard = QGuiApplication::clipboard();
            if (!clipboard)
                RaiseError(ErrNo::NoObject, QStringLiteral("No clipboard"));
            clipboard->setText(txtDbText, QClipboard::Clipboard);
        }
        visible = false;
    });
}

frmCopyPaste& CopyPasteWindow()
{
    static frmCopyPaste window;
    return window;
}

QString CopyPastePath()
{
    const QString folder = AppPaths::UserDir();
    // The file has gone by more than one spelling of its name; any of them is the collection.
    const QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : found) {
        if (name.compare(QLatin1String("copypaste.xml"), Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + name;
    }
    return folder + QStringLiteral("/copypaste.xml");
}

bool LoadCopyPaste()
{
    return Guarded("LoadCopyPaste", false, [] {
        RunState& rs = Run();
        rs.CopyPasteDoc = DomDocument();
        const QString path = CopyPastePath();
        if (!QFile::exists(path)) {
            SetStep(QStringLiteral("Copy the template of the copy-paste file"));
            const QString templ = AppPaths::DefaultDir() + QStringLiteral("/default.cp");
            if (!QFile::copy(templ, path))
                RaiseError(ErrNo::FileNotFound, QStringLiteral("File not found: ") + templ);
        }
        SetStep(QStringLiteral("Load the copy-paste file"));
        if (!rs.CopyPasteDoc.load(path)) {
            const DomParseError& error = rs.CopyPasteDoc.parseError();
            // The file stays as it is: it may hold the reader's own entries.
            Prompt().MsgBox(SetLangTxt(1095) + QStringLiteral(" 'CopyPaste.xml'!\n") +
                                QString::number(error.errorCode) + QStringLiteral(" - ") + error.reason,
                            PromptButtons::Ok, PromptIcon::Critical);
            rs.CopyPasteDoc = DomDocument();
            return false;
        }
        return true;
    });
}

bool AddCopyPasteItem(const QString& id, const QString& source, const QString& title, const QString& text,
                      const QString& category)
{
    (void)id;
    return Guarded("AddCopyPasteItem", false, [&] {
        frmCopyPaste& window = CopyPasteWindow();
        SetStep(QStringLiteral("Fill the copy window"));
        window.txtDbSource = source;
        window.txtDbTitle = title;
        window.cmbDBCategory = category;
        window.txtDbText = text;
        window.cmdButton_Click(1);
        return true;
    });
}

QString PassageFromSelection(const QString& selected)
{
    static const QRegularExpression breaks(QStringLiteral("[ \\t]*[\\r\\n\\x{2028}\\x{2029}]+[ \\t]*"));
    QStringList lines = selected.split(breaks);
    lines.removeAll(QString());
    return lines.join(QLatin1Char(' '));
}
