// The read-aloud page of the options window: its controls edit the live
// options at once, the voices come from the speech engine when the window is
// shown, and a stored voice that is gone still shows and is kept.
#include "settings/ui/frmOptions.h"

#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/modLanguage.h"
#include "tests/support/ScriptedPrompter.h"

#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class frmOptionsReadAloudTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SettingsStore store;
        store.Clear();
        ASSERT_TRUE(store.Sync());
        LoadLang("English");
        Options& o = Opts();
        o.LanguageList = ShowLanguage();
        o.SetDefaults();
        o.Language = QStringLiteral("English");
    }
    void TearDown() override { Opts().SetDefaults(); }

    ScriptedPrompter prompter;
};

TEST_F(frmOptionsReadAloudTest, ThePageEditsTheLiveOptionsAndOkKeepsThem)
{
    Opts().ReadAloudVoice = QStringLiteral("gone");
    int asked = 0;
    frmOptions window;
    window.setVoiceSource([&asked] {
        ++asked;
        return QStringList{QStringLiteral("nl"), QStringLiteral("en")};
    });
    EXPECT_EQ(asked, 0); // the engine is not asked before the window shows
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.hide();
    window.show();
    EXPECT_EQ(asked, 1);

    EXPECT_EQ(window.tabOptions->tabText(4), QStringLiteral("Read aloud"));
    EXPECT_EQ(window.lblReadAloudRate->text(), QStringLiteral("Rate (-10 slow to 10 fast):"));
    EXPECT_EQ(window.spnReadAloudRate->accessibleName(), QStringLiteral("Rate (-10 slow to 10 fast):"));
    // The engine's own voice, the voices offered, and the stored one that is gone, selected.
    QStringList voices;
    for (int i = 0; i < window.cmbReadAloudVoice->count(); ++i)
        voices << window.cmbReadAloudVoice->itemText(i);
    EXPECT_EQ(voices, (QStringList{QStringLiteral("The system's own voice"), QStringLiteral("nl"), QStringLiteral("en"),
                                   QStringLiteral("gone")}));
    EXPECT_EQ(window.cmbReadAloudVoice->currentText(), QStringLiteral("gone"));
    EXPECT_EQ(window.cmbReadAloudColor->currentIndex(), 15);

    window.cmbReadAloudVoice->setCurrentIndex(1);
    window.spnReadAloudRate->setValue(-4);
    window.spnReadAloudPitch->setValue(3);
    window.spnReadAloudVolume->setValue(70);
    window.cmbReadAloudColor->setCurrentIndex(6);
    const Options& o = Opts();
    EXPECT_EQ(o.ReadAloudVoice, QStringLiteral("nl"));
    EXPECT_EQ(o.ReadAloudRate, -4);
    EXPECT_EQ(o.ReadAloudPitch, 3);
    EXPECT_EQ(o.ReadAloudVolume, 70);
    EXPECT_EQ(o.ReadAloudColorIndex, 6);
    // Range limits are the spin boxes' own.
    window.spnReadAloudRate->setValue(40);
    EXPECT_EQ(o.ReadAloudRate, 10);
    // Entry 0 stands for the engine's own voice: stored as no name.
    window.cmbReadAloudVoice->setCurrentIndex(0);
    EXPECT_TRUE(o.ReadAloudVoice.isEmpty());

    window.cmdButton_Click(0);
    SettingsStore store;
    EXPECT_EQ(store.Get(QStringLiteral("ReadAloudRate")), QStringLiteral("10"));
    EXPECT_EQ(store.Get(QStringLiteral("ReadAloudVolume")), QStringLiteral("70"));
    EXPECT_EQ(store.Get(QStringLiteral("ReadAloudColor")), QStringLiteral("6"));
}

} // namespace
