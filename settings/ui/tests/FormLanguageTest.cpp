#include "settings/ui/FormLanguage.h"

#include "settings/modLanguage.h"
#include "settings/tests/LanguageFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

template <typename Widget> Widget* Add(QWidget* parent, const QString& name)
{
    auto* w = new Widget(parent);
    w->setObjectName(name);
    return w;
}

class FormLanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_languages.isValid());
        ASSERT_TRUE(m_languages.write("Test.lng", "1300|Search\n1301|Search &phrase\n1302|Where\n1303|&Whole document\n"
                                                  "1304|This &article\n1306|Forward\n1307|Backward\n1308|Anywhere\n"
                                                  "1314|&Find\n1500|Options\n1501|General\n1504|Search\n"
                                                  "1570|Title\n1575|Edition\n1592|Apply\n1750|Copy\n1754|Te&xt\n"
                                                  "1801|Current folder\n1802|Folders\n1803|New folder\n"
                                                  "1102|Open book\n1206|Delete\n1401|Choose a style sheet\n"));
        LoadLang("Test");
    }

    TempLanguages m_languages;
    QDialog m_window;
};

TEST_F(FormLanguageTest, SearchWindowCaptionsArraysAndDirectionList)
{
    auto* phrase = Add<QLabel>(&m_window, "lblSearchPhrase");
    auto* scope = Add<QGroupBox>(&m_window, "fraSearchScope");
    auto* whole = Add<QRadioButton>(scope, "optSearchScope_0"); // nested inside its frame
    auto* article = Add<QRadioButton>(scope, "optSearchScope_1");
    auto* direction = Add<QComboBox>(&m_window, "cmbSearchDirection");
    direction->addItems({"old 1", "old 2"});
    auto* find = Add<QPushButton>(&m_window, "cmdButton_0");

    FormLanguage("frmSearch", &m_window);

    EXPECT_EQ(m_window.windowTitle(), "Search");
    EXPECT_EQ(phrase->text(), "Search &phrase");
    EXPECT_EQ(phrase->accessibleName(), "Search phrase");
    EXPECT_EQ(scope->title(), "Where");
    EXPECT_EQ(whole->accessibleName(), "Whole document");
    EXPECT_EQ(article->text(), "This &article");
    EXPECT_EQ(find->text(), "&Find");
    EXPECT_EQ(find->accessibleName(), "Find");
    ASSERT_EQ(direction->count(), 3);
    EXPECT_EQ(direction->itemText(0), "Forward");
    EXPECT_EQ(direction->itemText(2), "Anywhere");
}

TEST_F(FormLanguageTest, OptionsWindowTabsButtonsAndSortFieldKeepingItsIndex)
{
    auto* tabs = Add<QTabWidget>(&m_window, "tabOptions");
    for (int i = 0; i < 4; ++i)
        tabs->addTab(new QWidget, QString("tab %1").arg(i));
    auto* sortField = Add<QComboBox>(tabs->widget(1), "cmbSortField");
    sortField->addItems({"1", "2", "3", "4", "5", "6"});
    sortField->setCurrentIndex(3);
    auto* apply = Add<QPushButton>(tabs->widget(3), "cmdButton_2");

    FormLanguage("frmOptions", &m_window);

    EXPECT_EQ(m_window.windowTitle(), "Options");
    EXPECT_EQ(tabs->tabText(0), "General");
    EXPECT_EQ(tabs->tabText(3), "Search");
    ASSERT_EQ(sortField->count(), 6);
    EXPECT_EQ(sortField->itemText(0), "Title");
    EXPECT_EQ(sortField->itemText(5), "Edition");
    EXPECT_EQ(sortField->currentIndex(), 3);
    EXPECT_EQ(apply->text(), "Apply");
    EXPECT_EQ(apply->accessibleName(), "Apply");
}

TEST_F(FormLanguageTest, TooltipsTextBoxesAndMenuItems)
{
    QDialog copyPaste;
    auto* label = Add<QLabel>(&copyPaste, "lblText");
    auto* text = Add<QTextEdit>(&copyPaste, "txtText");
    FormLanguage("frmCopyPaste", &copyPaste);
    EXPECT_EQ(label->text(), "Te&xt");
    EXPECT_EQ(text->toolTip(), "Te&xt");

    QDialog browser;
    auto* folder = Add<QLineEdit>(&browser, "txtCurrentFolder");
    auto* folders = Add<QListWidget>(&browser, "lstFolders");
    auto* newFolder = Add<QPushButton>(&browser, "cmdButton_0");
    FormLanguage("frmBrowseForFolder", &browser);
    EXPECT_EQ(folder->toolTip(), "Current folder");
    EXPECT_EQ(folder->accessibleDescription(), "Current folder");
    EXPECT_EQ(folders->toolTip(), "Folders");
    EXPECT_EQ(newFolder->text(), "New folder");

    QDialog openBook;
    auto* remove = new QAction(&openBook);
    remove->setObjectName("mnuLibraryItemDelete");
    FormLanguage("frmOpenBook", &openBook);
    EXPECT_EQ(remove->text(), "Delete");

    QDialog styleSheet;
    auto* css = Add<QTextEdit>(&styleSheet, "txtDefaultCss");
    FormLanguage("frmDefaultStyleSheet", &styleSheet);
    EXPECT_EQ(css->toPlainText(), "Choose a style sheet");
    EXPECT_EQ(css->accessibleName(), ""); // a text box's name comes from its label, not its content
}

TEST_F(FormLanguageTest, UnknownWindowChangesNothing)
{
    m_window.setWindowTitle("untouched");
    auto* button = Add<QPushButton>(&m_window, "cmdButton_0");
    button->setText("as built");
    FormLanguage("frmNoSuchWindow", &m_window);
    FormLanguage("frmSearch", nullptr);
    EXPECT_EQ(m_window.windowTitle(), "untouched");
    EXPECT_EQ(button->text(), "as built");
}

} // namespace
