#include "tests/support/FreshState.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "package/modEntities.h"
#include "render/TextState.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"

#include <QDir>
#include <QFile>

void ResetProgramState(StoredSettings stored)
{
    ResetRunState();
    ResetTextState();
    Opts().SetDefaults();
    QFile::remove(AppPaths::ErrorLogPath());
    if (stored == StoredSettings::Clear) {
        SettingsStore store;
        store.Clear();
        QDir(AppPaths::DufDir()).removeRecursively();
    }
}

bool PrepareForReading()
{
    ResetProgramState();
    QDir(AppPaths::TempDir()).removeRecursively();
    QDir().mkpath(AppPaths::TempDir());
    LoadLang(QStringLiteral("English"));
    LoadEntityMapping();
    return LoadCSSFromText(ReadWholeFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.css")));
}
