#include "app/ui/Startup.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/PlayWave.h"
#include "app/core/RunState.h"
#include "app/ui/QtPrompter.h"
#include "app/ui/frmMain.h"
#include "clipboard/CopyPaste.h"
#include "library/frmLibrary.h"
#include "package/modEntities.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <cstdio>

// Holds the rest of the start until the main window has first painted, or
// until the reader acts, whichever comes first. A window that is not painted
// at all (minimised, or shown on no screen) is not waited for long.
class Startup::PendingStart : public QObject {
public:
    explicit PendingStart(Startup& startup) : m_startup(startup)
    {
        qApp->installEventFilter(this);
        QTimer::singleShot(NoPaintWaitMs, this, [this] { m_startup.Finish(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Paint:
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == m_startup.mainWindow())
                QTimer::singleShot(0, this, [this] { m_startup.Finish(); });
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
            // A start that cannot go on takes no input: the program is ending.
            return !m_startup.Finish();
        default:
            break;
        }
        return false;
    }

private:
    static constexpr int NoPaintWaitMs = 500;
    Startup& m_startup;
};

namespace {

void CannotCreateFolder(const QString& folder)
{
    const QString text = QStringLiteral("Quillbook cannot create its folder %1 and stops.").arg(folder);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    Prompt().MsgBox(text, PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Quillbook"));
}

} // namespace

QString CommandLinePath(const QStringList& arguments)
{
    return arguments.join(QLatin1Char(' '));
}

Startup::Startup() = default;

Startup::~Startup()
{
    // Every change was written as it was made; this only lets go of the file.
    Library().Unload();
    SetLanguageAppliedHook({});
    SetPrompter(nullptr);
}

bool Startup::Main(const QStringList& arguments)
{
    RunState& rs = Run();
    rs.DocumentOpen = false;
    // Messages and the error log need somewhere to go before anything is read.
    m_prompter = std::make_unique<QtPrompter>();
    SetPrompter(m_prompter.get());
    // The working folder (a lock written through to the disk) waits for Finish().
    if (!AppPaths::InitUserFolder()) {
        CannotCreateFolder(AppPaths::UserDir());
        return false;
    }

    m_main = std::make_unique<frmMain>();
    m_prompter->setOwner(m_main.get());
    SetLanguageAppliedHook([w = m_main.get()] { w->SetLang(); });
    m_main->Form_Load();

    // The language list first, then every option; this also loads the stored interface language.
    Opts().LanguageList = ShowLanguage();
    LoadSettings();
    m_main->txtTitle->setText(SetLangTxt(1090));
    m_main->txtTitle->setCursorPosition(0);
    m_main->show();
    m_main->txtTitle->setFocus(Qt::OtherFocusReason);
    // The sound player loads once the window is up, not before its first paint;
    // a sound due earlier loads it there and then.
    QTimer::singleShot(400, m_main.get(), [] { PreloadSound(); });

    m_commandLinePath = CommandLinePath(arguments);
    if (!m_commandLinePath.isEmpty()) {
        rs.ArchiveOnOpen = true;
        // The document is what the reader asked for: it opens at once, from
        // the running event loop, so that closing the window while it still
        // loads ends the loop instead of one not yet started.
        QTimer::singleShot(0, m_main.get(), [this] { Finish(); });
    } else {
        // With nothing to open, what the window does not show waits until it
        // has been painted; input that comes sooner waits for it instead.
        m_pending = std::make_unique<PendingStart>(*this);
    }
    return true;
}

bool Startup::Finish()
{
    if (m_finishing)
        return m_finished;
    m_finishing = true;
    // Whatever called, no other event is held from here on; the object
    // itself goes once the call that ended up here has returned.
    if (m_pending) {
        qApp->removeEventFilter(m_pending.get());
        m_pending.release()->deleteLater();
    }
    if (!AppPaths::MakeWorkingFolder()) {
        CannotCreateFolder(AppPaths::UserDir() + QStringLiteral("/temp"));
        m_main->hide();
        QApplication::exit(1);
        return false;
    }
    LoadEntityMapping();
    // The hidden copy window owns the collection file; its message needs the texts.
    LoadCopyPaste();
    // The catalogue after the options, which name the library folder it scans.
    SetStep(QStringLiteral("Load the library"));
    Library().LoadLibrary();

    if (m_commandLinePath.isEmpty()) {
        // Its own turn of the event loop: never inside the handling of a key.
        if (Opts().ShowLibraryAtStartUp)
            QTimer::singleShot(0, m_main.get(), [this] { m_main->ShowLibrary(false); });
        m_finished = true;
        return true;
    }
    SetStep(QStringLiteral("Open file from commandline"));
    QString path = m_commandLinePath;
    bool addOnly = false;
    m_main->OpenFile(path, addOnly);
    m_openEnded = true;
    m_finished = true;
    return true;
}
