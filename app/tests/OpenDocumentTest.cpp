#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "library/ui/frmOpenBook.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestHome.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using Kind = ScriptedPrompter::Question::Kind;

QString Sample(const QString& name)
{
    return AppPaths::SamplesDir() + QLatin1Char('/') + name;
}

QStringList TempFiles()
{
    return QDir(AppPaths::TempDir()).entryList(QDir::Files);
}

class OpenDocumentTest : public MainWindowFixture {
protected:
    // A document written into a temporary folder.
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = files.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(TestHome::WriteFile(path, bytes));
        return path;
    }

    static QString errorLog() { return QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath())); }

    // Every menu item a document enables, and the state after close.
    void expectMenusForNoDocument()
    {
        for (QMenu* m : {window->mnuEdit, window->mnuNavigate, window->mnuView, window->mnuFileExport,
                         window->mnuNavigateBookmarks, window->mnuAnnotations})
            EXPECT_FALSE(m->menuAction()->isEnabled()) << m->objectName().toStdString();
        EXPECT_FALSE(window->mnuFileClose->isEnabled());
        EXPECT_TRUE(window->mnuFileOpen->isEnabled());
        EXPECT_TRUE(window->mnuFileExit->isEnabled());
        EXPECT_TRUE(window->mnuHelp->menuAction()->isEnabled());
        for (QAction* a : {window->mnuEditFindNext, window->mnuEditFindPrevious, window->mnuNavigateSearchResults,
                           window->mnuNavigateEscapeSearchMode})
            EXPECT_FALSE(a->isEnabled());
    }

    QTemporaryDir files;
};

TEST_F(OpenDocumentTest, TheSampleNewspaperOpensAndClosesAgain)
{
    expectMenusForNoDocument();
    ASSERT_TRUE(TestHome::WriteFile(AppPaths::TempDir() + QStringLiteral("/stale.css"), "x {}"));

    const auto info = open(Sample(QStringLiteral("dagblad.xml")));
    ASSERT_TRUE(info.has_value());
    const RunState& rs = ::Run();
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_TRUE(rs.DocumentOpen);
    EXPECT_EQ(rs.DocInfo[1], QStringLiteral("Het Noorderlicht"));
    EXPECT_EQ(rs.DocInfo[0], QStringLiteral("NOORDERLICHT-20261205"));
    EXPECT_EQ(rs.DocInfo[2], QStringLiteral("krant"));
    EXPECT_EQ(rs.DocInfo[7], QStringLiteral("2026-12-05"));
    EXPECT_EQ((*info)[1], rs.DocInfo[1]);
    EXPECT_EQ(rs.DocumentId, rs.DocInfo[0]);
    EXPECT_EQ(rs.XmlFileName, QStringLiteral("dagblad.xml"));
    EXPECT_EQ(rs.StyleSheetCount, 0); // the stale sheet was cleared before the open
    EXPECT_EQ(rs.NavLevelCount, 2);
    EXPECT_EQ(rs.CurrentLevel, 1);
    EXPECT_TRUE(rs.HasPageNumbers);
    EXPECT_EQ(window->txtTitle->text(), QStringLiteral("Het Noorderlicht"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Het Noorderlicht - ") + SetLangTxt(1));
    EXPECT_TRUE(TempFiles().isEmpty());

    for (QMenu* m : {window->mnuEdit, window->mnuNavigate, window->mnuView, window->mnuFileExport,
                     window->mnuNavigateBookmarks, window->mnuAnnotations})
        EXPECT_TRUE(m->menuAction()->isEnabled()) << m->objectName().toStdString();
    EXPECT_TRUE(window->mnuFileClose->isEnabled());
    // A paper with pages offers the page moves.
    EXPECT_TRUE(window->mnuNavigatePage[1]->isEnabled());
    EXPECT_FALSE(window->mnuEditSelectAll->isEnabled()); // not in the text yet
    EXPECT_FALSE(window->mnuNavigateBookmark[0]->isEnabled());

    window->mnuFileClose->trigger();
    EXPECT_FALSE(rs.DocumentOpen);
    EXPECT_EQ(rs.CurrentLevel, -1);
    EXPECT_EQ(rs.NavLevelCount, 0);
    EXPECT_EQ(window->txtTitle->text(), SetLangTxt(1090));
    EXPECT_EQ(window->windowTitle(), SetLangTxt(1));
    expectMenusForNoDocument();
    // Closing keeps what the next open overwrites.
    EXPECT_EQ(rs.DocInfo[1], QStringLiteral("Het Noorderlicht"));
    EXPECT_TRUE(errorLog().isEmpty()) << errorLog().toStdString();
}

TEST_F(OpenDocumentTest, CloseLeavesSearchModeBeforeSettingTheMenus)
{
    ASSERT_TRUE(open(Sample(QStringLiteral("dagblad.xml"))).has_value());
    ::Run().GlobalSearchMode = true;
    ::Run().CurrentLevel = 9;
    window->SetMenuOptions();
    EXPECT_TRUE(window->mnuEditFindNext->isEnabled());
    // Add annotation goes with the text; Add bookmark, once on, keeps its state in a list.
    for (int level : {9, 2}) {
        ::Run().CurrentLevel = static_cast<int16_t>(level);
        window->SetMenuOptions();
        EXPECT_EQ(window->mnuEditAddAnnotation->isEnabled(), level == 9);
        EXPECT_TRUE(window->mnuEditAddBookmark->isEnabled());
        EXPECT_EQ(window->mnuEditSelectAll->isEnabled(), level == 9);
    }

    window->mnuFileClose_Click();
    EXPECT_FALSE(::Run().GlobalSearchMode);
    expectMenusForNoDocument();
}

TEST_F(OpenDocumentTest, FailuresReportExactlyWhatTheReaderNeeds)
{
    // No file at the path: nothing at all.
    EXPECT_FALSE(open(files.path() + QStringLiteral("/missing.xml")).has_value());
    EXPECT_TRUE(prompter.questions().empty());

    // A kind of file that is not handled: one message, the working folder emptied.
    ASSERT_TRUE(TestHome::WriteFile(AppPaths::TempDir() + QStringLiteral("/old.xml"), "<a/>"));
    EXPECT_FALSE(open(write(QStringLiteral("notes.txt"), "hello")).has_value());
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1110));
    EXPECT_TRUE(TempFiles().isEmpty());
    prompter.clear();

    // RTF: told it cannot be read, then that there is no document in it.
    EXPECT_TRUE(open(write(QStringLiteral("letter.RTF"), "{\\rtf1}")).has_value());
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1109));
    EXPECT_EQ(prompter.questions()[1].text, SetLangTxt(1093));
    EXPECT_EQ(prompter.questions()[1].icon, PromptIcon::Exclamation);
    EXPECT_FALSE(::Run().DocumentOpen);
    prompter.clear();

    // Not well-formed: the parse details, error 32444 logged, the files kept.
    const QString broken = write(QStringLiteral("kapot.xml"), "<krant>\n<krantnaam>X</krantnaam>\n<p>open\n</krant>\n");
    EXPECT_TRUE(open(broken).has_value());
    ASSERT_EQ(prompter.questions().size(), 1u);
    const auto& q = prompter.questions()[0];
    EXPECT_EQ(q.icon, PromptIcon::Critical);
    EXPECT_TRUE(q.text.startsWith(SetLangTxt(1094, QStringLiteral("kapot.xml")) + QStringLiteral("\r\n")));
    EXPECT_TRUE(q.text.contains(QStringLiteral("\r\nLine: 4:"))) << q.text.toStdString();
    EXPECT_TRUE(errorLog().contains(QStringLiteral(" - LoadXMLBook,Load the XML document,32444,")));
    EXPECT_TRUE(TempFiles().contains(QStringLiteral("kapot.xml")));
    EXPECT_FALSE(::Run().DocumentOpen);
    prompter.clear();

    // No title: logged, not open, nothing asked.
    EXPECT_TRUE(open(write(QStringLiteral("titelloos.xml"), "<krant><p>tekst</p></krant>")).has_value());
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_TRUE(errorLog().contains(QStringLiteral(" - LoadXMLBook,Nothing found,32333,Doc_Title is missing,")))
        << errorLog().toStdString();
    EXPECT_FALSE(::Run().DocumentOpen);
    EXPECT_FALSE(window->mnuFileClose->isEnabled());

    // An encoding that cannot be read is refused, never shown garbled.
    EXPECT_TRUE(open(write(QStringLiteral("koi.xml"), "<?xml version=\"1.0\" encoding=\"koi8-r\"?>"
                                                      "<krant><krantnaam>\xc1\xc2</krantnaam></krant>"))
                    .has_value());
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_TRUE(prompter.questions()[0].text.contains(QStringLiteral("koi8-r"), Qt::CaseInsensitive));
    EXPECT_FALSE(::Run().DocumentOpen);
}

TEST_F(OpenDocumentTest, TitleAndIdentifierFallBackAndTheLastXmlFileWins)
{
    const QString magazine =
        write(QStringLiteral("Blad 12.xml"), "<blad><TijdschriftTitel>Vogels &amp; Natuur</TijdschriftTitel></blad>");
    ASSERT_TRUE(open(magazine).has_value());
    EXPECT_TRUE(::Run().DocumentOpen);
    EXPECT_EQ(::Run().DocInfo[1], QStringLiteral("Vogels & Natuur"));
    EXPECT_EQ(::Run().DocInfo[0], QStringLiteral("Blad 12.xml"));
    window->mnuFileClose_Click();

    // A package with the book, its own descriptor, a style sheet and a second XML file.
    const QString temp = AppPaths::TempDir() + QLatin1Char('/');
    ASSERT_TRUE(QFile::copy(Sample(QStringLiteral("boek/boek.xdf")), temp + QStringLiteral("boek.xdf")));
    ASSERT_TRUE(QFile::copy(Sample(QStringLiteral("boek/boek.xml")), temp + QStringLiteral("z-boek.xml")));
    ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("a-leeg.xml"), "<leeg/>"));
    ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("groot_lettertype.css"), "head { font-size: 20 }"));
    QString path = QStringLiteral("/somewhere/boek.zip");
    bool addOnly = false;
    window->LoadXMLBook(path, addOnly);
    const RunState& rs = ::Run();
    EXPECT_TRUE(rs.DocumentOpen);
    EXPECT_EQ(rs.XmlFileName, QStringLiteral("z-boek.xml"));
    EXPECT_EQ(rs.NavLevelCount, 1);
    ASSERT_EQ(rs.StyleSheetCount, 1);
    EXPECT_EQ(rs.StyleSheets[0].name, QStringLiteral("groot_lettertype"));
    EXPECT_EQ(rs.StyleSheets[0].text, QStringLiteral("head { font-size: 20 }"));
    EXPECT_EQ(rs.XdfDocTitleTag, QStringLiteral("boektitel"));
    EXPECT_FALSE(rs.DocInfo[1].isEmpty());
    EXPECT_TRUE(TempFiles().isEmpty());
    // With one level every page mark has "00" for the article.
    const DomNode page = rs.XmlDoc.selectSingleNode(QStringLiteral("//hoofdstuk[2]//pagenum"));
    ASSERT_FALSE(page.isNull());
    EXPECT_TRUE(page.getAttribute(QStringLiteral("id")).startsWith(QStringLiteral("0200")));
}

TEST_F(OpenDocumentTest, FileOpenWithADocumentOpenAsksToCloseOrUseANewWindow)
{
    // File > Open shows the library; Browse there asks for a file, and the
    // library closes when one was chosen (Cancel closes it otherwise).
    const auto browseWhenShown = [this] {
        QTimer::singleShot(0, window.get(), [this] {
            window->OpenBookWindow->cmdButton_Click(1);
            if (window->OpenBookWindow->isVisible())
                window->OpenBookWindow->cmdButton_Click(2);
        });
    };
    QStringList started;
    window->StartNewInstance = [&](const QString& path) { started << path; };
    const QString paper = Sample(QStringLiteral("dagblad.xml"));

    // Nothing open: straight to choosing a document.
    prompter.answerFile(paper);
    browseWhenShown();
    window->mnuFileOpen->trigger();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].kind, Kind::OpenFile);
    EXPECT_TRUE(::Run().DocumentOpen);
    prompter.clear();

    // No: the chosen document opens in a second program.
    const QString other = write(QStringLiteral("ander blad.xml"), "<krant><krantnaam>Ander</krantnaam></krant>");
    prompter.answer(PromptAnswer::No);
    prompter.answerFile(other);
    browseWhenShown();
    window->mnuFileOpen->trigger();
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1103));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1102));
    EXPECT_EQ(prompter.questions()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(started, QStringList{other});
    EXPECT_EQ(::Run().DocInfo[1], QStringLiteral("Het Noorderlicht"));
    prompter.clear();

    // Yes: this window closes its document and opens the other one.
    prompter.answer(PromptAnswer::Yes);
    prompter.answerFile(other);
    browseWhenShown();
    window->mnuFileOpen->trigger();
    EXPECT_EQ(::Run().DocInfo[1], QStringLiteral("Ander"));
    EXPECT_TRUE(::Run().DocumentOpen);
    EXPECT_EQ(started.size(), 1);

    // Cancelling the file choice changes nothing.
    prompter.answer(PromptAnswer::Yes);
    browseWhenShown();
    window->mnuFileOpen->trigger();
    EXPECT_FALSE(::Run().DocumentOpen);
}

} // namespace
