// Closing and opening the sample newspaper in the main window, with the real
// question dialog answered by its keys, and the first key after the answer.
#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "app/ui/QtPrompter.h"
#include "library/ui/frmOpenBook.h"
#include "marks/UsageFile.h"
#include "marks/ui/frmLastReadPosition.h"
#include "navigation/NavList.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class frmMainLastReadTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        showWindow();
    }
    void TearDown() override
    {
        window.reset();
        SetPrompter(&prompter);
        windowsPrompter.reset();
        ResetProgramState(StoredSettings::Clear);
    }
    // The program's own dialogs instead of the scripted answers.
    void askWithTheRealDialog()
    {
        windowsPrompter = std::make_unique<QtPrompter>(window.get());
        SetPrompter(windowsPrompter.get());
    }

    bool open()
    {
        return MainWindowFixture::open(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml")).has_value() &&
               ::Run().DocumentOpen;
    }
    // Answers the question once it shows, as the reader would; a question
    // the answer did not close fails the test instead of hanging it.
    void answerWith(std::function<void(frmLastReadPosition*)> answer)
    {
        auto* poll = new QTimer(window.get());
        poll->setInterval(5);
        auto answered = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, [this, poll, answer, answered] {
            auto* dialog = qobject_cast<frmLastReadPosition*>(QApplication::activeModalWidget());
            if (*answered > 0) {
                if (dialog && dialog->isVisible() && ++*answered > 400) {
                    ADD_FAILURE() << "the answer did not close the question";
                    dialog->reject();
                } else if (!dialog || !dialog->isVisible()) {
                    poll->stop();
                    poll->deleteLater();
                }
                return;
            }
            if (!dialog || !dialog->isVisible())
                return;
            *answered = 1;
            question = dialog->txtLastReadPosition->toPlainText();
            answer(dialog);
        });
        poll->start();
    }
    static QWidget* focusIn(QWidget* window) { return window->focusWidget() ? window->focusWidget() : window; }
    static void release(QWidget* widget, Qt::Key key)
    {
        QTest::keyPress(widget, key);
        QTest::keyRelease(widget, key);
    }
    // Into the third section's second article, caret at 150.
    void readIntoArticle()
    {
        window->NavLists->setListIndex(1, 2);
        window->LevelDown();
        window->NavLists->setListIndex(2, 1);
        window->LevelDown();
        ASSERT_EQ(::Run().CurrentLevel, 9);
        window->Viewer->setSelStart(150);
    }
    static LastReadBookmark stored(const QString& documentId = ::Run().DocumentId)
    {
        UsageFile file;
        file.Open(UsageFilePathFor(documentId), AppPaths::DefaultDir() + QStringLiteral("/default.duf"));
        return file.LastRead();
    }

    std::unique_ptr<QtPrompter> windowsPrompter;
    QString question;
};

TEST_F(frmMainLastReadTest, JReturnsToTheCaretAndTheNextKeyActs)
{
    askWithTheRealDialog();
    ASSERT_TRUE(open());
    readIntoArticle();
    window->mnuFileClose_Click();
    EXPECT_EQ(stored().id, QStringLiteral("00302"));
    EXPECT_EQ(stored().position, QStringLiteral("150"));

    answerWith([](frmLastReadPosition* dialog) { release(focusIn(dialog), Qt::Key_J); });
    ASSERT_TRUE(open());
    EXPECT_TRUE(question.startsWith(QStringLiteral("You last read this document on "))) << question.toStdString();
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(window->Viewer->SelStart(), 150);
    EXPECT_EQ(window->focusWidget(), window->TextViewerView);
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);

    // The very next reading key is the reader's: Backspace goes up to the articles.
    release(focusIn(window.get()), Qt::Key_Backspace);
    EXPECT_EQ(::Run().CurrentLevel, 2);
    EXPECT_EQ(window->NavLists->ListIndex(2), 1);
}

TEST_F(frmMainLastReadTest, NoWithDontAskAgainStartsAtTheTopAndIsNotAskedAgain)
{
    askWithTheRealDialog();
    ASSERT_TRUE(open());
    readIntoArticle();
    window->mnuFileClose_Click();

    answerWith([](frmLastReadPosition* dialog) {
        dialog->chkDontAskAgain->setChecked(true);
        QTest::mouseClick(dialog->cmdButton[1], Qt::LeftButton);
    });
    ASSERT_TRUE(open());
    EXPECT_FALSE(question.isEmpty());
    EXPECT_EQ(::Run().CurrentLevel, 1);
    EXPECT_EQ(window->NavLists->ListIndex(1), 0);
    EXPECT_EQ(GetSetting(QStringLiteral("StartAtLastReadPosition")), QStringLiteral("1"));
    // After a mouse answer the first key acts too.
    release(focusIn(window.get()), Qt::Key_Down);
    EXPECT_EQ(window->NavLists->ListIndex(1), 1);

    readIntoArticle();
    window->mnuFileClose_Click();
    question.clear();
    ASSERT_TRUE(open()); // option 1: no question, the first entry
    EXPECT_TRUE(question.isEmpty());
    EXPECT_EQ(::Run().CurrentLevel, 1);
    EXPECT_EQ(window->NavLists->ListIndex(1), 0);
}

TEST_F(frmMainLastReadTest, ExitAndOpeningAnotherDocumentSaveThePositionToo)
{
    ASSERT_TRUE(open());
    readIntoArticle();
    // File > Open, Yes: this document closes first.
    prompter.answer(PromptAnswer::Yes);
    const QString other = AppPaths::UserDir() + QStringLiteral("/ander.xml");
    QByteArray paper = "<krant><meta><krant-id>ANDER-1</krant-id><krantnaam>Ander</krantnaam></meta>";
    for (int i = 1; i <= 5; ++i)
        paper += "<rubriek><titel><head>R" + QByteArray::number(i) +
                 "</head></titel><artikel><titel><head>A</head>"
                 "</titel><p>Tekst.</p></artikel></rubriek>";
    ASSERT_TRUE(TestHome::WriteFile(other, paper + "</krant>"));
    prompter.answerFile(other);
    // File > Open shows the library; Browse there asks for the file.
    QTimer::singleShot(0, window.get(), [this] {
        window->OpenBookWindow->cmdButton_Click(1);
        if (window->OpenBookWindow->isVisible())
            window->OpenBookWindow->cmdButton_Click(2);
    });
    window->mnuFileOpen->trigger();
    ASSERT_EQ(::Run().DocumentId, QStringLiteral("ANDER-1"));
    EXPECT_EQ(stored("NOORDERLICHT-20261205").id, QStringLiteral("00302"));
    EXPECT_EQ(stored("NOORDERLICHT-20261205").position, QStringLiteral("150"));

    window->NavLists->setListIndex(1, 3);
    int cancel = 0;
    window->Form_Unload(cancel);
    EXPECT_EQ(stored().id, QStringLiteral("00400"));
    EXPECT_TRUE(stored().position.isEmpty());
    // Without the windows' dialog the question is a yes/no box, recorded here.
    prompter.clear();
    ASSERT_TRUE(open());
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].buttons, PromptButtons::YesNo);
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(QStringLiteral("You last read this document on ")));
    EXPECT_EQ(::Run().CurrentLevel, 1); // unscripted: No
}

TEST_F(frmMainLastReadTest, AnAddOnlyOpenMakesNoUsageFile)
{
    ASSERT_TRUE(MainWindowFixture::open(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"), true).has_value());
    EXPECT_FALSE(::Run().DocumentOpen);
    EXPECT_FALSE(QFileInfo::exists(UsageFilePathFor(QStringLiteral("NOORDERLICHT-20261205"))));
}

TEST_F(frmMainLastReadTest, ADamagedUsageFileStopsTheOpeningAndStaysAsItWas)
{
    const QString path = UsageFilePathFor(QStringLiteral("NOORDERLICHT-20261205"));
    const QByteArray damaged("<usage><bookmark id=\"0\">");
    ASSERT_TRUE(TestHome::WriteFile(path, damaged));
    prompter.answer(PromptAnswer::Ok);
    prompter.answer(PromptAnswer::No);
    open();
    EXPECT_FALSE(::Run().DocumentOpen);
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(
        QStringLiteral("Could not load the file 'NOORDERLICHT-20261205.duf'!\n")));
    EXPECT_EQ(TestHome::ReadFile(path), damaged);
    EXPECT_FALSE(window->mnuFileClose->isEnabled());
}

} // namespace
