#pragma once

#include "app/core/AppPaths.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// The body of every test program's main(): a private user folder, settings
// folder and runtime folder so that no test touches a real home, the
// offscreen platform unless the caller chose one, then the tests under App.
template <class App> int RunTestsUnder(int argc, char** argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    qputenv("QUILLBOOK_HOME", (home.path() + QStringLiteral("/user")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    AppPaths::Init();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
