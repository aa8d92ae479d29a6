#pragma once

#include "app/core/AppPaths.h"
#include "tests/support/TestHome.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points the data folder at a temporary folder for the lifetime of the object,
// so a test can write its own language files.
class TempLanguages {
public:
    TempLanguages()
    {
        qputenv("QB_DATA_DIR", m_dir.path().toLocal8Bit());
        AppPaths::Init();
    }
    ~TempLanguages()
    {
        qunsetenv("QB_DATA_DIR");
        AppPaths::Init();
    }
    TempLanguages(const TempLanguages&) = delete;
    TempLanguages& operator=(const TempLanguages&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // Writes Languages/<fileName> with exactly these bytes.
    bool write(const QString& fileName, const QByteArray& bytes) const
    {
        return TestHome::WriteFile(AppPaths::LanguagesDir() + QLatin1Char('/') + fileName, bytes);
    }

private:
    QTemporaryDir m_dir;
};
