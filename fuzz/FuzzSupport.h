#pragma once

// What every fuzz target shares: a Qt application object, private folders, and
// an error log that cannot grow (it is a folder, so appending to it fails).

#include "app/core/AppPaths.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace FuzzSupport {

// The private root folder; user folder below it, and a data folder when asked.
inline const QTemporaryDir& Root()
{
    static QTemporaryDir root;
    return root;
}

// Creates the application and the folders. With ownData the data folder is a
// fresh folder of the target's own (for files it writes); otherwise the
// source tree's data folder.
inline void Init(bool ownData = false)
{
    static int argc = 1;
    static char name[] = "quillbook-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    if (!Root().isValid())
        std::abort();
    qputenv("QUILLBOOK_HOME", (Root().path() + QStringLiteral("/user")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (Root().path() + QStringLiteral("/config")).toLocal8Bit());
    if (ownData) {
        QDir().mkpath(Root().path() + QStringLiteral("/data"));
        qputenv("QB_DATA_DIR", (Root().path() + QStringLiteral("/data")).toLocal8Bit());
    }
    AppPaths::Init();
    QDir().mkpath(AppPaths::ErrorLogPath());
}

// Writes bytes to path, replacing the file.
inline void WriteFile(const QString& path, const uint8_t* data, size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

// Stops the run, so libFuzzer keeps the input, when a promise does not hold.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace FuzzSupport
