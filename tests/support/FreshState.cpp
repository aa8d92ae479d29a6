#include "tests/support/FreshState.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "marks/UsageFile.h"
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
    DocumentUsageFile().Close();
    // No document has been read before: an earlier test's last-read position would ask the question.
    QDir(AppPaths::DufDir()).removeRecursively();
    if (stored == StoredSettings::Clear) {
        SettingsStore store;
        store.Clear();
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
