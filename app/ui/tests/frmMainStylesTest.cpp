#include "app/core/RunState.h"
#include "navigation/NavList.h"
#include "package/modEntities.h"
#include "render/StyleSheetChoice.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The main window with the data folder's system sheets: grote_letters,
// hoog_contrast and standaard.
class frmMainStylesTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        LoadLang(QStringLiteral("English"));
        makeWindow();
    }

    // The sheet entries 1..n as the menu shows them, in menu order.
    QStringList menuEntries() const
    {
        QStringList out;
        for (QAction* a : window->mnuViewStyleSheet->actions()) {
            if (a->objectName().startsWith(QLatin1String("mnuViewSelectStyleSheet_")) && a->isVisible())
                out << a->text();
        }
        return out;
    }
    QStringList checkedEntries() const
    {
        QStringList out;
        for (size_t i = 1; i < window->mnuViewSelectStyleSheet.size(); ++i) {
            if (window->mnuViewSelectStyleSheet[i]->isChecked())
                out << window->mnuViewSelectStyleSheet[i]->text();
        }
        return out;
    }
};

TEST_F(frmMainStylesTest, TheMenuListsEverySheetWithTheOneInUseChecked)
{
    ::Run().StyleSheets = {{QStringLiteral("R&D_blad"), QStringLiteral("p {\r\ncolor: red;\r\n}\r\n")}};
    ::Run().StyleSheetCount = 1;
    ::Run().XdfDefaultCss = QStringLiteral("standaard");
    window->LoadAndSetStyleSheets();

    EXPECT_EQ(menuEntries(), QStringList({"R&&D blad", "grote letters", "hoog contrast", "standaard"}));
    EXPECT_EQ(checkedEntries(), QStringList({"standaard"}));
    EXPECT_FALSE(window->mnuViewSelectStyleSheet[0]->isVisible());
    // The sheets come first, then "Select new ..." and "Make default".
    const QList<QAction*> all = window->mnuViewStyleSheet->actions();
    EXPECT_LT(all.indexOf(window->mnuViewSelectStyleSheet[4]), all.indexOf(window->mnuViewStyleSheetSeparator));
    EXPECT_LT(all.indexOf(window->mnuViewStyleSheetSeparator), all.indexOf(window->mnuViewStyleSheetNew));
    EXPECT_TRUE(window->mnuViewStyleSheetSeparator->isVisible());

    window->LoadAndSetStyleSheets(); // a second run replaces the entries
    EXPECT_EQ(menuEntries().size(), 4);

    window->mnuViewSelectStyleSheet[1]->trigger();
    EXPECT_EQ(checkedEntries(), QStringList({"R&&D blad"}));
    EXPECT_EQ(StyleSheetInUse(), 1);
    EXPECT_EQ(StyleTable()[1][Style::Name], QStringLiteral("p"));
}

TEST_F(frmMainStylesTest, ASheetIsChosenFromTheKeyboardAndTheTextRedrawn)
{
    LoadEntityMapping();
    openSample();
    // Opening chose the document type's default sheet.
    EXPECT_EQ(checkedEntries(), QStringList({"standaard"}));

    showWindow();
    QMenu* menu = window->mnuViewStyleSheet;
    menu->popup(window->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    // Entries: grote letters, hoog contrast, standaard; Down twice reaches the second.
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Down);
    ASSERT_EQ(menu->activeAction(), window->mnuViewSelectStyleSheet[2]);
    QTest::keyClick(menu, Qt::Key_Return);

    EXPECT_EQ(checkedEntries(), QStringList({"hoog contrast"}));
    // The high-contrast sheet's colours reach the lists at once.
    const QColor background = window->NavListView(1)->palette().color(QPalette::Base);
    EXPECT_EQ(background, QColor(Qt::black));
}

TEST_F(frmMainStylesTest, RemovingADefaultInTheDialogRefillsTheMenu)
{
    ::Run().XdfDefaultCss = QStringLiteral("standaard");
    ::Run().DocInfo[2] = QStringLiteral("krant");
    window->LoadAndSetStyleSheets();
    window->mnuViewSelectStyleSheet[1]->trigger(); // grote letters
    ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::DocumentType));
    window->LoadAndSetStyleSheets();
    ASSERT_EQ(checkedEntries(), QStringList({"krant (type)"}));

    prompter.answer(PromptAnswer::Yes);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QAbstractButton*>(QStringLiteral("optDefaultCss_1"))->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("cmdButton_1"))->click();
    });
    window->mnuViewMakeDefault->trigger();

    EXPECT_EQ(menuEntries(), QStringList({"grote letters", "hoog contrast", "standaard"}));
    EXPECT_EQ(checkedEntries(), QStringList({"standaard"}));
    // Nothing is left to swallow the reader's next key.
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);
    EXPECT_TRUE(GetSetting(QStringLiteral("CSSkrant")).isEmpty());
}

} // namespace
