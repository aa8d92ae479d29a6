#include "app/ui/Startup.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/ui/QtPrompter.h"
#include "app/ui/frmMain.h"
#include "package/modEntities.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

#include <QLineEdit>

QString CommandLinePath(const QStringList& arguments)
{
    return arguments.join(QLatin1Char(' '));
}

Startup::Startup() = default;

Startup::~Startup()
{
    SetLanguageAppliedHook({});
    SetPrompter(nullptr);
}

bool Startup::Main(const QStringList& arguments)
{
    RunState& rs = Run();
    rs.DocumentOpen = false;
    LoadEntityMapping();

    // The working folder is created before the main window loads.
    if (!AppPaths::Init())
        return false;

    m_main = std::make_unique<frmMain>();
    m_prompter = std::make_unique<QtPrompter>(m_main.get());
    SetPrompter(m_prompter.get());
    SetLanguageAppliedHook([w = m_main.get()] { w->SetLang(); });
    m_main->Form_Load();

    // The language list first, then every option; this also loads the stored interface language.
    Opts().LanguageList = ShowLanguage();
    LoadSettings();

    m_main->txtTitle->setText(SetLangTxt(1090));
    m_main->txtTitle->setCursorPosition(0);
    m_main->show();
    m_main->txtTitle->setFocus(Qt::OtherFocusReason);

    m_commandLinePath = CommandLinePath(arguments);
    if (!m_commandLinePath.isEmpty()) {
        SetStep(QStringLiteral("Open file from commandline"));
        rs.ArchiveOnOpen = true;
        QString path = m_commandLinePath;
        bool addOnly = false;
        m_main->OpenFile(path, addOnly);
    }
    return true;
}
