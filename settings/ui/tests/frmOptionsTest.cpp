#include "settings/ui/frmOptions.h"

#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/modLanguage.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class frmOptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SettingsStore store;
        store.Clear();
        ASSERT_TRUE(store.Sync());
        m_file = store.FileName();
        LoadLang("English");
        Options& o = Opts();
        o.LanguageList = ShowLanguage();
        o.SetDefaults();
        o.Language = QStringLiteral("English");
    }

    // Shows the window as its owner would and waits until it is on screen.
    void show()
    {
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    // Presses a check box or an option with the space bar, as the reader does.
    static void press(QWidget* control)
    {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_Space);
    }

    QString m_file;
    ScriptedPrompter m_prompter;
    frmOptions m_window;
};

TEST_F(frmOptionsTest, FirstShowPutsTheLanguageOnAndNamesEveryControl)
{
    show();
    EXPECT_EQ(m_window.tabOptions->tabText(2), T(1503));
    EXPECT_EQ(m_window.lblFontSize->text(), T(1545));
    EXPECT_EQ(m_window.optSearchResults[1]->text(), T(1549));
    // Colour names come from the language; the list index still names the colour.
    EXPECT_EQ(m_window.cmbAnnotationColor->itemText(11), T(161));
    EXPECT_EQ(m_window.cmbBackGroundColor->itemText(8), T(158));
    EXPECT_EQ(m_window.cmbAnnotationColor->currentIndex(), 11);
    EXPECT_EQ(m_window.cmbForeGroundColor->currentIndex(), 15);
    EXPECT_EQ(m_window.cmbSortField->itemText(1), T(1571));

    QSet<QWidget*> labelled;
    for (QLabel* label : m_window.findChildren<QLabel*>()) {
        if (label->buddy())
            labelled.insert(label->buddy());
    }
    int controls = 0;
    for (QWidget* w : m_window.findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (!(w->focusPolicy() & Qt::TabFocus) || name.isEmpty() || name.startsWith("qt_"))
            continue;
        ++controls;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << name.toStdString();
        if (name.startsWith("cmb") || name.startsWith("txt")) {
            EXPECT_TRUE(labelled.contains(w)) << name.toStdString() << " has no label";
        }
    }
    EXPECT_GE(controls, 30);
    EXPECT_EQ(m_window.cmbFontSize->accessibleName(), "Font size:");

    // The reader starts on the first control of the page.
    EXPECT_EQ(m_window.focusWidget(), m_window.cmbDefaultLanguage);
    EXPECT_TRUE(m_window.cmdButton[0]->isDefault());
}

TEST_F(frmOptionsTest, CtrlTabWrapsBetweenTheFirstAndTheLastPage)
{
    show();
    QTabWidget* tabs = m_window.tabOptions;
    tabs->setCurrentIndex(4);
    m_window.cmbReadAloudColor->setFocus();
    QTest::keyClick(m_window.cmbReadAloudColor, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    QTest::keyClick(m_window.cmbDefaultLanguage, Qt::Key_Tab, Qt::ControlModifier); // not a typed character
    EXPECT_EQ(tabs->currentIndex(), 1);
    QTest::keyClick(m_window.chkCopyToLibrary, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    QTest::keyClick(m_window.chkShowWordCount, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs->currentIndex(), 4);
}

TEST_F(frmOptionsTest, OverruleEnablesTheOwnFontAndColoursAndTheSampleFollowsThem)
{
    show();
    m_window.tabOptions->setCurrentIndex(2);
    QSignalSpy redraws(&Opts(), &Options::markupChanged);
    for (QWidget* w : std::initializer_list<QWidget*>{m_window.cmbUserFont, m_window.lblFontSize,
                                                      m_window.cmbBackGroundColor, m_window.fraSampleText})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();

    press(m_window.chkOverruleCSS);
    EXPECT_TRUE(Opts().OverRuleCss);
    EXPECT_TRUE(m_window.cmbUserFont->isEnabled());
    EXPECT_TRUE(m_window.lblFontSize->isEnabled());
    EXPECT_TRUE(m_window.fraSampleText->isEnabled());
    EXPECT_EQ(redraws.count(), 1);

    m_window.cmbFontSize->setCurrentIndex(m_window.cmbFontSize->findText("22"));
    m_window.cmbForeGroundColor->setCurrentIndex(14); // white
    m_window.cmbBackGroundColor->setCurrentIndex(8);  // navy
    EXPECT_EQ(Opts().FontSize, "22");
    EXPECT_EQ(Opts().ForeGroundColorValue(), 0xFFFFFF);
    EXPECT_EQ(Opts().BackGroundColorValue(), 0x800000);
    EXPECT_EQ(m_window.txtSampleText->font().pointSize(), 22);
    EXPECT_EQ(m_window.txtSampleText->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(m_window.txtSampleText->palette().color(QPalette::Window), QColor(0, 0, 0x80));
    EXPECT_EQ(redraws.count(), 4);

    m_window.cmbUserFont->setEditText("No Such Face");
    EXPECT_EQ(Opts().UserFont, "No Such Face");
    EXPECT_EQ(m_window.txtSampleText->font().family(), "No Such Face");

    press(m_window.chkOverruleCSS);
    EXPECT_FALSE(m_window.cmbForeGroundColor->isEnabled());
    m_window.cmbFontSize->setCurrentIndex(0); // has no effect on the text while not over-ruling
    EXPECT_EQ(redraws.count(), 6);
}

TEST_F(frmOptionsTest, HelperButtonsFollowTheirDialogsAndTheArchiveOption)
{
    show();
    m_window.tabOptions->setCurrentIndex(1);
    EXPECT_FALSE(m_window.cmdLibraryBrowse->isEnabled());
    press(m_window.optAutoArchive[2]);
    EXPECT_EQ(Opts().AutoArchive, PersonalArchive);
    EXPECT_FALSE(m_window.cmdPersonalArchiveSettings->isEnabled());

    int chooserShown = 0;
    m_window.setPersonalArchiveSettingsHandler([&] { ++chooserShown; });
    m_window.setLibraryBrowseHandler([] { Opts().LibraryLocation = "/media/books"; });
    EXPECT_TRUE(m_window.cmdPersonalArchiveSettings->isEnabled());
    QTest::mouseClick(m_window.cmdPersonalArchiveSettings, Qt::LeftButton);
    EXPECT_EQ(chooserShown, 1);
    press(m_window.optAutoArchive[1]);
    EXPECT_FALSE(m_window.cmdPersonalArchiveSettings->isEnabled());

    QTest::mouseClick(m_window.cmdLibraryBrowse, Qt::LeftButton);
    EXPECT_EQ(m_window.txtLibraryLocation->text(), "/media/books");
    EXPECT_EQ(Opts().LibraryLocationText, "/media/books");
}

TEST_F(frmOptionsTest, CancelKeepsTheChangesInForceAndWritesNothingOkAndApplyWrite)
{
    Options& o = Opts();
    SaveOptions();
    const QByteArray before = TestHome::ReadFile(m_file);
    ASSERT_FALSE(before.isEmpty());

    show();
    press(m_window.chkShowWordCount);
    m_window.cmbAnnotationColor->setCurrentIndex(3);
    m_window.txtPersonalInterests->setText("korfbal");
    EXPECT_FALSE(o.ShowWordCount);
    EXPECT_EQ(o.PersonalInterests, "korfbal");
    EXPECT_EQ(o.AnnotationColorIndex, 3);

    QTest::mouseClick(m_window.cmdButton[1], Qt::LeftButton);
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(TestHome::ReadFile(m_file), before);
    EXPECT_FALSE(o.ShowWordCount);
    EXPECT_EQ(o.AnnotationColor, 0x0000FF); // the mark colour itself changes only when saved

    // Shown again, the window still holds the reader's changes.
    show();
    EXPECT_FALSE(m_window.chkShowWordCount->isChecked());
    EXPECT_EQ(m_window.txtPersonalInterests->text(), "korfbal");

    m_window.tabOptions->setCurrentIndex(3);
    press(m_window.optSearchResults[1]);
    QTest::mouseClick(m_window.cmdButton[2], Qt::LeftButton); // Apply
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_EQ(GetSetting("SearchResults"), "1");
    EXPECT_EQ(GetSetting("ShowWordCount"), "0");
    EXPECT_EQ(o.AnnotationColor, 0xFF00FF);

    m_window.optSearchResults[1]->setFocus();
    QTest::keyClick(m_window.optSearchResults[1], Qt::Key_Down); // to "List search results"
    EXPECT_EQ(o.SearchResults, ListSearchResults);
    QTest::mouseClick(m_window.cmdButton[0], Qt::LeftButton); // OK
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(GetSetting("SearchResults"), "0");
    EXPECT_EQ(GetSetting("PersonalInterests"), "korfbal");
}

TEST_F(frmOptionsTest, OkWritesBackEveryStoredValueTheReaderDidNotChange)
{
    // As earlier runs left the file, with one value no run could have written.
    const QList<QByteArray> stored = {"AnnotationColor=4",
                                      "AutoArchive=1",
                                      "BackGroundColor=14",
                                      "BookmarkColor=6",
                                      "CopyToLibrary=1",
                                      "Font=DejaVu Sans",
                                      "FontSize=18",
                                      "ForeGroundColor=0",
                                      "FoundColor=13",
                                      "Language=English",
                                      "LibraryLocation=/srv/boeken",
                                      "OverRuleCss=1",
                                      "PersonalInterests=fietsbrug",
                                      "SearchResults=first",
                                      "ShowWordCount=0",
                                      "SortField=3",
                                      "StartAtLastReadPosition=2"};
    ASSERT_TRUE(TestHome::WriteFile(m_file, "[Settings]\n" + stored.join('\n') + '\n'));
    // The window exists before the settings are read, as at start-up.
    LoadSettings();
    show();

    EXPECT_EQ(m_window.cmbFontSize->currentText(), "18");
    EXPECT_EQ(m_window.txtPersonalInterests->text(), "fietsbrug");
    EXPECT_EQ(m_window.txtLibraryLocation->text(), "/srv/boeken");
    EXPECT_EQ(m_window.cmbSortField->currentIndex(), SortLastRead);
    EXPECT_EQ(m_window.cmbFoundColor->currentIndex(), 13);
    EXPECT_TRUE(m_window.optOpenDocument[StartAtLastRead]->isChecked());
    EXPECT_FALSE(m_window.chkShowWordCount->isChecked());
    EXPECT_EQ(m_window.cmbDefaultLanguage->currentText(), "English");

    QTest::mouseClick(m_window.cmdButton[0], Qt::LeftButton);
    EXPECT_FALSE(m_window.isVisible());
    const QList<QByteArray> after = TestHome::ReadFile(m_file).split('\n');
    for (const QByteArray& line : stored)
        EXPECT_TRUE(after.contains(line)) << line.toStdString() << " was not kept";

    // A change of one control writes that one value.
    show();
    m_window.tabOptions->setCurrentIndex(2);
    m_window.cmbFontSize->setCurrentIndex(m_window.cmbFontSize->findText("22"));
    QTest::mouseClick(m_window.cmdButton[2], Qt::LeftButton);
    const QList<QByteArray> applied = TestHome::ReadFile(m_file).split('\n');
    EXPECT_TRUE(applied.contains("FontSize=22"));
    for (const QByteArray& line : stored) {
        if (!line.startsWith("FontSize=")) {
            EXPECT_TRUE(applied.contains(line)) << line.toStdString() << " was not kept";
        }
    }
}

} // namespace
