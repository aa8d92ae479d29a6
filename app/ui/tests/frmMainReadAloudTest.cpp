// Reading aloud in the main window, offscreen: the keys as the reader presses
// them, the mark over the text, the menus, and the place kept at closing. The
// speech is a recording engine; everything else is the program's own.
#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "app/ui/frmMain.h"
#include "marks/UsageFile.h"
#include "navigation/NavList.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "speech/ReadAloud.h"
#include "speech/tests/RecordingEngine.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class frmMainReadAloudTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        Opts().OpenDocument = StartAtBeginning;
        window = std::make_unique<frmMain>();
        window->PlayWaveHook = [this](const QString& path) { sounds << path.section(QLatin1Char('/'), -1); };
        auto recording = std::make_unique<RecordingEngine>();
        engine = recording.get();
        window->SetSpeechEngine(std::move(recording));
        window->Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QString path = AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml");
        bool addOnly = false;
        ASSERT_TRUE(window->OpenFile(path, addOnly).has_value());
        ASSERT_TRUE(::Run().DocumentOpen);
    }
    void TearDown() override
    {
        window.reset();
        ResetProgramState(StoredSettings::Clear);
    }
    // The second article of the third section, caret at 150, the focus in the text.
    void readIntoArticle()
    {
        window->NavLists->setListIndex(1, 2);
        window->LevelDown();
        window->NavLists->setListIndex(2, 1);
        window->LevelDown();
        ASSERT_EQ(::Run().CurrentLevel, 9);
        window->Viewer->setSelStart(150);
        ASSERT_EQ(window->focusWidget(), window->TextViewerView);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QTest::keyPress(target, key, mods);
        QTest::keyRelease(target, key, mods);
    }
    QList<QTextEdit::ExtraSelection> marks() const { return window->TextViewerView->extraSelections(); }
    QString marked() const { return marks().isEmpty() ? QString() : marks().first().cursor.selectedText(); }
    LastReadBookmark stored() const
    {
        UsageFile file;
        file.Open(UsageFilePathFor(::Run().DocumentId), AppPaths::DefaultDir() + QStringLiteral("/default.duf"));
        return file.LastRead();
    }

    ScriptedPrompter prompter;
    std::unique_ptr<frmMain> window;
    RecordingEngine* engine = nullptr;
    QStringList sounds;
};

TEST_F(frmMainReadAloudTest, F5ReadsFromTheCaretWithTheMarkAndEscapeStops)
{
    readIntoArticle();
    EXPECT_TRUE(window->mnuExtraReadAloud[0]->isEnabled());
    EXPECT_FALSE(window->mnuExtraReadAloud[1]->isEnabled());
    const QString text = window->Viewer->Text();
    press(Qt::Key_F5);
    ASSERT_EQ(engine->said.size(), 1);
    ASSERT_TRUE(window->Reader->Active());
    EXPECT_TRUE(window->mnuExtraReadAloud[1]->isEnabled());
    // The phrase is marked over the text, with the chosen colour, and said.
    ASSERT_EQ(marks().size(), 1);
    EXPECT_EQ(marks().first().format.background().color(),
              TextViewer::ToQColor(NamedColours[size_t(Opts().ReadAloudColorIndex)].Value));
    EXPECT_EQ(SpokenText(marked()), engine->said.first());
    EXPECT_EQ(window->Viewer->SelStart(), window->Reader->PhraseStart());
    engine->finish();
    engine->finish();
    const int third = window->Reader->PhraseStart();
    EXPECT_GT(third, 150);
    EXPECT_EQ(engine->said.last(), SpokenText(marked()));
    EXPECT_EQ(window->Viewer->SelStart(), third);
    // The mark is not in the text: its own formatting is unchanged under it.
    EXPECT_EQ(window->Viewer->Text(), text);

    press(Qt::Key_F5);
    EXPECT_EQ(window->Reader->state(), ReadAloud::State::Paused);
    press(Qt::Key_F5);
    EXPECT_EQ(window->Reader->state(), ReadAloud::State::Reading);

    press(Qt::Key_Escape);
    EXPECT_FALSE(window->Reader->Active());
    EXPECT_TRUE(marks().isEmpty());
    EXPECT_EQ(window->Viewer->SelStart(), third);
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(engine->commands,
              (QStringList{QStringLiteral("pause"), QStringLiteral("resume"), QStringLiteral("stop")}));
}

TEST_F(frmMainReadAloudTest, RateKeysAreKeptInTheSettings)
{
    readIntoArticle();
    press(Qt::Key_F8);
    press(Qt::Key_F8);
    press(Qt::Key_F7);
    EXPECT_EQ(Opts().ReadAloudRate, 1);
    EXPECT_EQ(SettingsStore().Get(QStringLiteral("ReadAloudRate")), QStringLiteral("1"));
    press(Qt::Key_F5);
    EXPECT_DOUBLE_EQ(engine->rate, 0.1);
}

TEST_F(frmMainReadAloudTest, AMoveKeyEndsReadingAndMovesFromThePhrase)
{
    readIntoArticle();
    press(Qt::Key_F5);
    engine->finish();
    const int second = window->Reader->PhraseStart();
    press(Qt::Key_3, Qt::KeypadModifier); // next phrase
    EXPECT_FALSE(window->Reader->Active());
    EXPECT_GT(window->Viewer->SelStart(), second);
    // A size key leaves reading on: a magnifier's reader zooms while listening.
    press(Qt::Key_F5);
    ASSERT_TRUE(window->Reader->Active());
    press(Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_TRUE(window->Reader->Active());
}

TEST_F(frmMainReadAloudTest, ClosingMidArticleKeepsThePhraseBeingReadAsTheLastReadPlace)
{
    readIntoArticle();
    press(Qt::Key_F5);
    engine->finish();
    engine->finish();
    const int third = window->Reader->PhraseStart();
    window->mnuFileClose_Click();
    EXPECT_FALSE(window->Reader->Active());
    EXPECT_EQ(stored().id, QStringLiteral("00302"));
    EXPECT_EQ(stored().position, QString::number(third));
    EXPECT_FALSE(window->mnuExtraReadAloud[0]->isEnabled());
}

TEST_F(frmMainReadAloudTest, CrossingASectionPlaysItsSound)
{
    window->NavLists->setListIndex(1, 0);
    window->LevelDown();
    window->NavLists->setListIndex(2, 4); // the last article of the first section
    window->LevelDown();
    ASSERT_EQ(::Run().CurrentLevel, 9);
    const QString last = window->Viewer->Text();
    press(Qt::Key_F5);
    while (window->Reader->Active() && window->Viewer->Text() == last)
        engine->finish();
    EXPECT_TRUE(window->Reader->Active());
    EXPECT_EQ(sounds, QStringList{QStringLiteral("Navigate.wav")});
    EXPECT_EQ(window->NavLists->ListIndex(1), 1);
    EXPECT_EQ(window->Viewer->SelStart(), 0);
    EXPECT_EQ(window->focusWidget(), window->TextViewerView);
}

TEST_F(frmMainReadAloudTest, WithoutSpeechTheReaderIsToldOnceAndNothingChanges)
{
    readIntoArticle();
    engine->available = false;
    press(Qt::Key_F5);
    press(Qt::Key_F5);
    window->mnuExtraReadAloud_Click(0);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_TRUE(prompter.questions()[0].text.contains(QStringLiteral("no speech service")));
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(QStringLiteral("Quillbook cannot read aloud")));
    EXPECT_FALSE(window->Reader->Active());
    EXPECT_EQ(window->Viewer->SelStart(), 150);
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_TRUE(marks().isEmpty());
}

} // namespace
