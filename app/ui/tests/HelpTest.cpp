// The manuals against the program's keys and menus, the help window and About.
#include "app/core/AppPaths.h"
#include "app/core/HelpFile.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmHelp.h"
#include "navigation/KeyTable.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The menu captions of a language file (texts 1010 to 1079) as the reader sees them.
QStringList MenuCaptions(const QString& language)
{
    QStringList captions;
    const QString file = AppPaths::LanguagesDir() + QLatin1Char('/') + language + QStringLiteral(".lng");
    for (const QString& line : SplitLines(ReadWholeFile(file))) {
        const int bar = int(line.indexOf(QLatin1Char('|')));
        bool number = false;
        const int n = line.left(bar).toInt(&number);
        if (bar < 0 || !number || n < 1010 || n > 1079)
            continue;
        captions << line.mid(bar + 1).section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')).trimmed();
    }
    return captions;
}

QStringList Languages()
{
    return QDir(AppPaths::LanguagesDir())
        .entryList({QStringLiteral("*.lng")}, QDir::Files)
        .replaceInStrings(QStringLiteral(".lng"), QString());
}

class ManualTest : public ::testing::TestWithParam<QString> {};

TEST(ManualsTest, EveryInterfaceLanguageHasItsOwnManual)
{
    const QStringList languages = Languages();
    EXPECT_EQ(languages, (QStringList{QStringLiteral("English"), QStringLiteral("Nederlands")}))
        << "a new language needs its manual and a place in the list below";
    for (const QString& language : languages)
        EXPECT_EQ(HelpFilePath(HelpFolder(), language), HelpFolder() + QLatin1Char('/') + language + ".html")
            << language.toStdString();
}

TEST_P(ManualTest, NamesEveryKeyAndMenuCommandAndEveryLinkLeadsSomewhere)
{
    const QString language = GetParam();
    const QString html = ReadWholeFile(HelpFolder() + QLatin1Char('/') + language + QStringLiteral(".html"));
    ASSERT_FALSE(html.isEmpty());
    QStringList keys = KeyTableNames();
    keys << QStringLiteral("Ctrl+C") << QStringLiteral("Ctrl+Insert") << QStringLiteral("F1")
         << QStringLiteral("Shift+Down");
    for (const QString& key : keys) {
        const QString marked = QStringLiteral("data-key=\"%1\"").arg(key.toHtmlEscaped());
        EXPECT_TRUE(html.contains(marked)) << language.toStdString() << " lacks the key " << key.toStdString();
    }
    QTextDocument doc;
    doc.setHtml(html);
    const QString text = doc.toPlainText();
    const QStringList captions = MenuCaptions(language);
    ASSERT_GT(captions.size(), 40);
    for (const QString& caption : captions)
        EXPECT_TRUE(text.contains(caption))
            << language.toStdString() << " lacks the menu caption " << caption.toStdString();

    static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
    int links = 0;
    for (auto m = link.globalMatch(html); m.hasNext(); ++links) {
        const QString target = m.next().captured(1);
        EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(target)) ||
                    html.contains(QStringLiteral("name=\"%1\"").arg(target)))
            << language.toStdString() << ": no anchor " << target.toStdString();
    }
    EXPECT_GT(links, 5);
    EXPECT_FALSE(html.contains(QStringLiteral("href=\"http"))) << "the manual works without a network";
}

// The languages that ship; EveryInterfaceLanguageHasItsOwnManual keeps this list complete.
INSTANTIATE_TEST_SUITE_P(Languages, ManualTest,
                         ::testing::Values(QStringLiteral("English"), QStringLiteral("Nederlands")),
                         [](const auto& info) { return info.param.toStdString(); });

TEST(HelpFileTest, ALanguageWithoutManualGetsTheEnglishOne)
{
    EXPECT_TRUE(HelpFilePath(HelpFolder(), QStringLiteral("Klingon")).endsWith(QStringLiteral("/English.html")));
    EXPECT_TRUE(
        HelpFilePath(HelpFolder(), QStringLiteral("../Help/English")).endsWith(QStringLiteral("/English.html")));
    EXPECT_TRUE(HelpFilePath(QStringLiteral("/nowhere"), QStringLiteral("English")).isEmpty());
}

class HelpWindowTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        showWindow();
        window->txtTitle->setFocus();
    }
    void TearDown() override
    {
        window.reset();
        LoadLang(QStringLiteral("English"));
        MainWindowFixture::TearDown();
    }
    // Runs `reader` in the modal window that the command opens.
    void whileOpen(QAction* command, std::function<void(QDialog*)> reader)
    {
        QTimer::singleShot(0, window.get(), [reader] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            reader(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        command->trigger();
        // The focus comes back once the main window is active again, as a window manager makes it.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::focusWidget() == window->txtTitle; }));
    }
};

TEST_F(HelpWindowTest, TheManualOpensInTheInterfaceLanguageAndEscapeGivesTheFocusBack)
{
    ASSERT_TRUE(window->mnuHelpIndex->isEnabled());
    EXPECT_EQ(window->mnuHelpIndex->shortcut(), QKeySequence(Qt::Key_F1));
    for (const char* language : {"Nederlands", "English"}) {
        LoadLang(QString::fromLatin1(language));
        bool seen = false;
        whileOpen(window->mnuHelpIndex, [&](QDialog* dialog) {
            auto* help = qobject_cast<frmHelp*>(dialog);
            ASSERT_NE(help, nullptr);
            seen = true;
            EXPECT_TRUE(help->txtHelp->source().toLocalFile().endsWith(QLatin1String(language) + ".html"));
            EXPECT_EQ(help->focusWidget(), help->txtHelp);
            EXPECT_FALSE(help->windowTitle().isEmpty());
            // A caret to read with, and links by Tab.
            EXPECT_TRUE(help->txtHelp->textInteractionFlags() & Qt::TextSelectableByKeyboard);
            EXPECT_TRUE(help->txtHelp->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
            QTest::keyClick(help->txtHelp, Qt::Key_Escape);
            EXPECT_FALSE(help->isVisible());
        });
        EXPECT_TRUE(seen) << language;
        EXPECT_EQ(QApplication::focusWidget(), window->txtTitle);
    }
    EXPECT_TRUE(prompter.questions().empty());
}

TEST_F(HelpWindowTest, AMissingManualIsReportedWithItsPath)
{
    window->HelpFiles = QStringLiteral("/nowhere/Help");
    window->mnuHelpIndex->trigger();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(125, QStringLiteral("/nowhere/Help/English.html")));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(124));
    EXPECT_EQ(QApplication::focusWidget(), window->txtTitle);
}

TEST_F(HelpWindowTest, AboutShowsTheNameAndTheBuildsVersion)
{
    ASSERT_TRUE(window->mnuHelpAbout->isEnabled());
    QString expected = QStringLiteral(QB_VERSION);
    while (expected.count(QLatin1Char('.')) < 2)
        expected += QStringLiteral(".0");
    whileOpen(window->mnuHelpAbout, [&](QDialog* dialog) {
        auto* about = qobject_cast<frmAbout*>(dialog);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), SetLangTxt(200) + QStringLiteral(" ") + SetLangTxt(1));
        EXPECT_EQ(about->lblTitle->text(), SetLangTxt(1));
        EXPECT_EQ(about->lblVersion->text(), SetLangTxt(201) + QStringLiteral(" ") + expected);
        EXPECT_EQ(about->lblDescription->text(), SetLangTxt(203));
        EXPECT_EQ(about->lblHelp->text(), SetLangTxt(204));
        ASSERT_FALSE(about->Picture1->pixmap().isNull());
        EXPECT_EQ(about->focusWidget(), about->cmdOK);
        QTest::keyClick(about->cmdOK, Qt::Key_Return);
        EXPECT_FALSE(about->isVisible());
    });
    EXPECT_EQ(QApplication::focusWidget(), window->txtTitle);
}

} // namespace
