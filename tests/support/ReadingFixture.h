#pragma once

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "render/TextAssembly.h"
#include "render/TextViewer.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QStringList>
#include <gtest/gtest.h>

// Stands in for the main window: records what it would show and play.
struct RecordingHost : NavigationHost {
    int focused = -1; // the list's level, 9 for the text
    QString location;
    QStringList sounds;
    bool up = false, next = false, previous = false;
    int menuUpdates = 0;

    void focusList(int level) override { focused = level; }
    void focusText() override { focused = 9; }
    void listsChanged() override {}
    void setLocation(const QString& text) override { location = text; }
    void playSound(const QString& name) override { sounds << name; }
    void setNavigationOptions(bool levelUp, bool nextArticle, bool previousArticle) override
    {
        up = levelUp;
        next = nextArticle;
        previous = previousArticle;
    }
    void menuOptionsChanged() override { ++menuUpdates; }
};

// The reading moves without any window: real documents read through the open
// pipeline, real lists, a real text model and a recording host.
class ReadingFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PrepareForReading()); }
    void TearDown() override { ResetProgramState(); }

    void openSample(const QString& name = QStringLiteral("dagblad.xml"))
    {
        const OpenOutcome outcome = OpenDocumentFile(AppPaths::SamplesDir() + QLatin1Char('/') + name, false, {});
        ASSERT_TRUE(outcome.opened()) << int(outcome.result);
        nav.ShowFirstLevel();
        ASSERT_TRUE(::Run().DocumentOpen);
    }
    // A document and its descriptor in the working folder, loaded as a package would be.
    void openFromWorkingFolder(const QByteArray& xml, const QByteArray& xdf)
    {
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("doc.xml"), xml));
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("doc.xdf"), xdf));
        ASSERT_TRUE(LoadDocumentFromWorkingFolder(QStringLiteral("/somewhere/doc.zip"), false).opened());
        nav.ShowFirstLevel();
    }
    // Into row `section` of the first list and row `article` of the second: the text.
    void openEntry(int section, int article)
    {
        lists.setListIndex(1, section);
        nav.LevelDown();
        lists.setListIndex(2, article);
        nav.LevelDown();
        ASSERT_EQ(level(), 9);
    }

    static int16_t level() { return ::Run().CurrentLevel; }
    // The text from the caret to the end of its line.
    QString atCaret() const
    {
        const QString t = viewer.Text();
        const int c = viewer.SelStart();
        return t.mid(c, t.indexOf(QStringLiteral("\r\n"), c) - c);
    }

    ScriptedPrompter prompter;
    NavList lists{3};
    TextViewer viewer;
    TextAssembly assembly{viewer};
    RecordingHost host;
    Navigator nav{lists, viewer, assembly, host};
};
