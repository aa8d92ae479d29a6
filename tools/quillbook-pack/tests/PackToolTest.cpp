#include "tools/quillbook-pack/PackTool.h"

#include "package/Container.h"
#include "package/modUnzip.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PackToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_src = m_dir.filePath(QStringLiteral("krant"));
        ASSERT_TRUE(TestHome::WriteFile(m_src + QStringLiteral("/krant.xml"), "<krant><titel>Dagblad</titel></krant>"));
        ASSERT_TRUE(TestHome::WriteFile(m_src + QStringLiteral("/css/krant.css"), "p { }"));
        ASSERT_TRUE(TestHome::WriteFile(m_src + QStringLiteral("/img/foto.jpg"), QByteArray(5000, 'j')));
        qunsetenv("QUILLBOOK_PASSPHRASE");
    }
    int run(const QStringList& args, std::optional<QString> stdinPassphrase = std::nullopt)
    {
        m_io = PackTool::Io{};
        m_io.readPassphrase = [=](bool) { return stdinPassphrase; };
        return PackTool::Run(args, m_io);
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // What the reader's program unpacks from a ZIP package.
    QStringList unpack(const QString& zip)
    {
        const QString out = path("out");
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        EXPECT_TRUE(Unzip(zip, out).ok());
        return QDir(out).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir m_dir;
    QString m_src;
    PackTool::Io m_io;
    ScriptedPrompter m_prompter;
    const QStringList cheap = {QStringLiteral("--kdf-ops"), QStringLiteral("1"), QStringLiteral("--kdf-mem"),
                               QStringLiteral("8K")};
};

TEST_F(PackToolTest, ZipsAFolderThatTheReaderUnpacksWhole)
{
    ASSERT_TRUE(TestHome::WriteFile(path("elsewhere.xml"), "<private/>"));
    ASSERT_TRUE(QFile::link(path("elsewhere.xml"), m_src + QStringLiteral("/link.xml")));
    ASSERT_EQ(run({"zip", m_src, path("krant.cxb")}), 0) << m_io.err.toStdString();
    EXPECT_TRUE(m_io.err.contains(QStringLiteral("skipped the link link.xml")));
    EXPECT_EQ(unpack(path("krant.cxb")), QStringList({"foto.jpg", "krant.css", "krant.xml"}));
    EXPECT_TRUE(m_prompter.questions().empty());

    // Never over an existing package without --force; never another extension.
    EXPECT_EQ(run({"zip", m_src, path("krant.cxb")}), 1);
    EXPECT_TRUE(m_io.err.contains(QStringLiteral("--force")));
    EXPECT_EQ(run({"zip", m_src, path("krant.cxb"), "--force"}), 0);
    EXPECT_EQ(run({"zip", m_src, path("krant.xml")}), 1);
    EXPECT_FALSE(QFileInfo::exists(path("krant.xml")));

    // Paths relative to the current folder.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    const int status = run({"zip", "krant", "relatief.zip"});
    QDir::setCurrent(before);
    ASSERT_EQ(status, 0) << m_io.err.toStdString();
    EXPECT_EQ(unpack(path("relatief.zip")), QStringList({"foto.jpg", "krant.css", "krant.xml"}));

    // Two files the reader would put in one place are pointed out.
    ASSERT_TRUE(TestHome::WriteFile(m_src + QStringLiteral("/extra/krant.css"), "q { }"));
    ASSERT_EQ(run({"zip", m_src, path("twee.zip")}), 0);
    EXPECT_TRUE(m_io.err.contains(QStringLiteral("css/krant.css and extra/krant.css both unpack as krant.css")));
}

TEST_F(PackToolTest, EncryptsWithAPassphraseFromEachSourceAndDecryptsBack)
{
    ASSERT_EQ(run({"zip", m_src, path("krant.zip")}), 0);
    const QByteArray zip = TestHome::ReadFile(path("krant.zip"));

    qputenv("PAPER_SECRET", "uit de omgeving");
    ASSERT_EQ(run(QStringList{"encrypt", path("krant.zip"), path("a.exb"), "--key-id", "Dagblad", "--passphrase-env",
                              "PAPER_SECRET"} +
                  cheap),
              0)
        << m_io.err.toStdString();
    ASSERT_EQ(run({"info", path("a.exb")}), 0);
    EXPECT_TRUE(m_io.out.contains(QStringLiteral("key id: Dagblad")));
    EXPECT_TRUE(m_io.out.contains(QStringLiteral("Argon2id, passes 1, memory 8 KiB")));
    EXPECT_EQ(run({"decrypt", path("a.exb"), path("a.zip"), "--passphrase", "fout"}), 1);
    EXPECT_TRUE(m_io.err.contains(QStringLiteral("wrong passphrase")));
    EXPECT_FALSE(QFileInfo::exists(path("a.zip")));
    ASSERT_EQ(run({"decrypt", path("a.exb"), path("a.zip"), "--passphrase", "uit de omgeving"}), 0);
    EXPECT_TRUE(TestHome::ReadFile(path("a.zip")) == zip);
    qunsetenv("PAPER_SECRET");

    // Standard input, and the default variable; a folder is packed on the way.
    ASSERT_EQ(run(QStringList{"encrypt", m_src, path("b.exd"), "--passphrase-stdin"} + cheap, QStringLiteral("stdin")),
              0);
    ASSERT_EQ(run({"decrypt", path("b.exd"), path("b.zip")}, QStringLiteral("stdin")), 0);
    EXPECT_EQ(unpack(path("b.zip")), QStringList({"foto.jpg", "krant.css", "krant.xml"}));
    EXPECT_TRUE(
        QDir(m_dir.path()).entryList({QStringLiteral(".quillbook-pack-*")}, QDir::Hidden | QDir::Files).isEmpty());
    qputenv("QUILLBOOK_PASSPHRASE", "standaard");
    ASSERT_EQ(run(QStringList{"encrypt", path("krant.zip"), path("c.exb")} + cheap), 0);
    ASSERT_EQ(run({"decrypt", path("c.exb"), path("c.zip"), "--passphrase", "standaard"}), 0);
    qunsetenv("QUILLBOOK_PASSPHRASE");

    // The defaults are the interactive costs.
    ASSERT_EQ(run({"encrypt", path("krant.zip"), path("d.exb"), "--passphrase", "x"}), 0);
    Container::Reader reader;
    ASSERT_EQ(reader.open(path("d.exb")), Container::Error::None);
    EXPECT_EQ(reader.header().kdf.opsLimit, 2u);
    EXPECT_EQ(reader.header().kdf.memLimit, uint64_t(64) << 20);
    EXPECT_EQ(reader.header().chunkBytes, 65536u);
}

TEST_F(PackToolTest, RefusesWhatReadersWouldRefuseAndWritesNothing)
{
    ASSERT_EQ(run({"zip", m_src, path("krant.zip")}), 0);
    const QStringList base = {"encrypt", path("krant.zip"), path("x.exb"), "--passphrase", "p"};
    EXPECT_EQ(run(base + QStringList{"--kdf-mem", "2G"}), 1);
    EXPECT_EQ(run(base + QStringList{"--kdf-ops", "17"}), 1);
    EXPECT_EQ(run(base + QStringList{"--kdf-ops", "16", "--kdf-mem", "512M"}), 1);
    EXPECT_EQ(run(base + QStringList{"--key-id", QString(300, u'k')} + cheap), 1);
    EXPECT_EQ(run({"encrypt", path("krant.zip"), path("x.exb"), "--passphrase", ""}), 1);
    EXPECT_EQ(run(QStringList{"encrypt", path("krant.zip"), path("x.exb")} + cheap, std::nullopt), 1);
    EXPECT_TRUE(m_io.err.contains(QStringLiteral("no passphrase")));
    EXPECT_EQ(run({"encrypt", m_src + QStringLiteral("/krant.xml"), path("x.exb"), "--passphrase", "p"}), 1);
    EXPECT_EQ(run({"encrypt", path("krant.zip"), path("x.zip"), "--passphrase", "p"}), 1);
    EXPECT_FALSE(QFileInfo::exists(path("x.exb")));
    EXPECT_FALSE(QFileInfo::exists(path("x.zip")));

    EXPECT_EQ(run({"encrypt", path("krant.zip")}), 2);
    EXPECT_EQ(run({"unpack", "a", "b"}), 2);
    EXPECT_EQ(run({"zip", m_src, path("y.zip"), "--kdf-mem", "lots"}), 2);
    EXPECT_EQ(run({"zip", m_src, path("y.zip"), "--bogus"}), 2);
    EXPECT_TRUE(m_io.err.contains(QStringLiteral("--help")));
    ASSERT_EQ(run({"--help"}), 0);
    for (const char* word : {"zip FOLDER OUTPUT", "encrypt INPUT OUTPUT", "--key-id", "--passphrase-env", "--kdf-mem"})
        EXPECT_TRUE(m_io.out.contains(QString::fromLatin1(word))) << word;
}

TEST_F(PackToolTest, TheProgramReadsThePassphraseFromAPipe)
{
    QProcess tool;
    tool.start(QStringLiteral(QB_PACK_TOOL), QStringList{"encrypt", m_src, path("p.exb"), "--key-id", "Pijp"} + cheap);
    ASSERT_TRUE(tool.waitForStarted());
    tool.write("door de pijp\n");
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished());
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    Container::Reader reader;
    ASSERT_EQ(reader.open(path("p.exb")), Container::Error::None);
    Container::Key key;
    ASSERT_EQ(Container::DeriveKey(QStringLiteral("door de pijp"), reader.header(), key), Container::Error::None);
    EXPECT_TRUE(Container::KeyOpens(reader.header(), key));

    tool.start(QStringLiteral(QB_PACK_TOOL), {"info"});
    ASSERT_TRUE(tool.waitForFinished());
    EXPECT_EQ(tool.exitCode(), 2);
}

} // namespace
