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

#include <QLineEdit>
#include <QTimer>
#include <cstdio>

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
    if (!AppPaths::Init()) {
        const QString text =
            QStringLiteral("Quillbook cannot create its folder %1 and stops.").arg(AppPaths::UserDir());
        std::fprintf(stderr, "%s\n", qPrintable(text));
        Prompt().MsgBox(text, PromptButtons::Ok, PromptIcon::Critical, QStringLiteral("Quillbook"));
        return false;
    }
    LoadEntityMapping();

    m_main = std::make_unique<frmMain>();
    m_prompter->setOwner(m_main.get());
    SetLanguageAppliedHook([w = m_main.get()] { w->SetLang(); });
    m_main->Form_Load();

    // The language list first, then every option; this also loads the stored interface language.
    Opts().LanguageList = ShowLanguage();
    LoadSettings();
    // The hidden copy window owns the collection file; its message needs the texts.
    LoadCopyPaste();

    m_main->txtTitle->setText(SetLangTxt(1090));
    m_main->txtTitle->setCursorPosition(0);
    m_main->show();
    m_main->txtTitle->setFocus(Qt::OtherFocusReason);
    // The sound player loads once the window is up, not before its first paint;
    // a sound due earlier loads it there and then.
    QTimer::singleShot(400, m_main.get(), [] { PreloadSound(); });

    // The catalogue after the options, which name the library folder it scans.
    SetStep(QStringLiteral("Load the library"));
    Library().LoadLibrary();

    m_commandLinePath = CommandLinePath(arguments);
    if (m_commandLinePath.isEmpty() && Opts().ShowLibraryAtStartUp)
        QTimer::singleShot(0, m_main.get(), [this] { m_main->ShowLibrary(false); });
    if (!m_commandLinePath.isEmpty()) {
        rs.ArchiveOnOpen = true;
        // Opened from the running event loop, so that closing the window while
        // the document still loads ends the loop instead of one not yet started.
        QTimer::singleShot(0, m_main.get(), [this] {
            SetStep(QStringLiteral("Open file from commandline"));
            QString path = m_commandLinePath;
            bool addOnly = false;
            m_main->OpenFile(path, addOnly);
            m_openEnded = true;
        });
    }
    return true;
}
