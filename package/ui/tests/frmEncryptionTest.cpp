#include "package/ui/frmEncryption.h"

#include "app/core/AppPaths.h"
#include "package/Container.h"
#include "package/KeyStore.h"
#include "settings/modLanguage.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class frmEncryptionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        LoadLang(QStringLiteral("English"));
        m_package = m_dir.filePath(QStringLiteral("krant.exb"));
        QByteArray zip(300'000, Qt::Uninitialized);
        for (qsizetype i = 0; i < zip.size(); ++i)
            zip[i] = char((i * 7919) >> 3);
        m_zip = zip;
        ASSERT_TRUE(TestHome::WriteFile(m_dir.filePath(QStringLiteral("krant.zip")), m_zip));
        Container::WriteOptions options;
        options.keyId = QStringLiteral("Dagblad");
        options.kdf = {1, Container::MinMemLimit};
        options.chunkBytes = 4096;
        ASSERT_EQ(
            Container::Write(m_dir.filePath(QStringLiteral("krant.zip")), m_package, QStringLiteral("sesam"), options),
            Container::Error::None);
    }

    QTemporaryDir m_dir;
    QString m_package;
    QByteArray m_zip;
    ScriptedPrompter m_prompter;
    KeyStore m_keys{m_dir.filePath(QStringLiteral("keys"))};
};

TEST_F(frmEncryptionTest, ShowsItselfWhileDecryptingWithTheProgressAndClosesAfterwards)
{
    frmEncryption window;
    std::vector<int> values;
    std::vector<QString> labels; // the label as each value arrives: it lags one step behind a tenth
    bool shownThroughout = true;
    QObject::connect(window.ProgressBar1, &QProgressBar::valueChanged, [&](int v) {
        values.push_back(v);
        labels.push_back(window.lblPercentage->text());
        shownThroughout = shownThroughout && window.isVisible() && !window.isModal();
    });
    m_prompter.answerInput(QStringLiteral("sesam"));
    m_prompter.answer(PromptAnswer::No);
    const QString out = m_dir.filePath(QStringLiteral("_"));
    ASSERT_TRUE(window.DecryptFile(m_package, out, m_keys));

    EXPECT_TRUE(TestHome::ReadFile(out) == m_zip);
    ASSERT_EQ(values.size(), 100u);
    EXPECT_EQ(values.front(), 1);
    EXPECT_EQ(values.back(), 100);
    EXPECT_TRUE(shownThroughout);
    EXPECT_EQ(labels[10], "10 %"); // seen when 11 arrives
    EXPECT_EQ(labels[55], "50 %");
    EXPECT_EQ(window.lblPercentage->text(), "100 %");
    EXPECT_FALSE(window.isVisible());

    EXPECT_EQ(window.windowTitle(), T(109));
    EXPECT_EQ(window.lblDecrypting->text(), T(110));
    EXPECT_EQ(window.ProgressBar1->accessibleName(), T(129));
    EXPECT_EQ(window.ProgressBar1->minimum(), 1);
    EXPECT_EQ(window.ProgressBar1->maximum(), 100);
    ASSERT_EQ(m_prompter.questions().size(), 2u);
    EXPECT_EQ(m_prompter.questions()[0].text, T(140, QStringLiteral("Dagblad")));
}

TEST_F(frmEncryptionTest, TheLabelChangesOnlyAtEachTenth)
{
    frmEncryption window;
    window.oEncrypt_Progress(7);
    EXPECT_EQ(window.ProgressBar1->value(), 7);
    EXPECT_EQ(window.lblPercentage->text(), "");
    window.oEncrypt_Progress(30);
    window.oEncrypt_Progress(39);
    EXPECT_EQ(window.ProgressBar1->value(), 39);
    EXPECT_EQ(window.lblPercentage->text(), "30 %");
}

TEST_F(frmEncryptionTest, ARefusedPackageClosesTheWindowAndLeavesNoWorkingFile)
{
    frmEncryption window;
    const QString out = AppPaths::TempDir() + QStringLiteral("/_");
    ASSERT_TRUE(TestHome::WriteFile(out, "yesterday's archive"));
    m_prompter.answerInput(std::nullopt);
    KeyStore keys(m_dir.filePath(QStringLiteral("keys")));
    EXPECT_FALSE(window.DecryptFile(m_package, out, keys));
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(m_prompter.questions().size(), 2u);
    EXPECT_EQ(m_prompter.questions()[1].text, T(142, QStringLiteral("krant.exb")));

    // The document-opening form writes into the working folder, with the user's key store.
    ASSERT_TRUE(KeyStore().Remember(QStringLiteral("Dagblad"), QStringLiteral("sesam")));
    m_prompter.clear();
    EXPECT_TRUE(window.DecryptFile(m_package, false));
    EXPECT_TRUE(TestHome::ReadFile(out) == m_zip);
    EXPECT_TRUE(m_prompter.questions().empty());
    EXPECT_TRUE(KeyStore::DefaultPath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
}

} // namespace
