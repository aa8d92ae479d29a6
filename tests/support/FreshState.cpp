#include "tests/support/FreshState.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "render/TextState.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

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
