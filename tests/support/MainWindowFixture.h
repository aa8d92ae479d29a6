#pragma once

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/ui/frmMain.h"
#include "render/TextViewer.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// The real main window, offscreen, as a program just started and ready to read
// the samples: loaded, its sounds recorded by name, its questions answered by
// the scripted prompter. Keys go to whatever has the focus, as the reader's do.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        makeWindow();
    }
    void TearDown() override
    {
        window.reset();
        ResetProgramState();
    }

    void makeWindow()
    {
        window = std::make_unique<frmMain>();
        window->PlayWaveHook = [this](const QString& path) { sounds << QFileInfo(path).fileName(); };
        window->Form_Load();
    }
    void showWindow()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    std::optional<std::array<QString, 8>> open(QString path, bool addOnly = false)
    {
        return window->OpenFile(path, addOnly);
    }
    void openSample(const QString& name = QStringLiteral("dagblad.xml"))
    {
        ASSERT_TRUE(open(AppPaths::SamplesDir() + QLatin1Char('/') + name));
        ASSERT_TRUE(::Run().DocumentOpen);
    }

    static QWidget* focus() { return QApplication::focusWidget(); }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(focus(), k, mods); }
    static void keypad(Qt::Key k) { key(k, Qt::KeypadModifier); }
    static int16_t level() { return ::Run().CurrentLevel; }
    // The shown text from the caret to the end of its line.
    QString atCaret() const
    {
        const QString t = window->Viewer->Text();
        const int c = window->Viewer->SelStart();
        return t.mid(c, t.indexOf(QStringLiteral("\r\n"), c) - c);
    }

    ScriptedPrompter prompter;
    std::unique_ptr<frmMain> window;
    QStringList sounds;
};
