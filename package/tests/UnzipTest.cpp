#include "package/modUnzip.h"

#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "package/tests/ZipFixture.h"
#include "settings/modLanguage.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

namespace {

using ZipFixture::File;
using Kind = ScriptedPrompter::Question::Kind;

QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(gen.bounded(256));
    return bytes;
}

ZipFixture::Member Protected(const char* name, QByteArray data, const char* password,
                             uint16_t method = ZIP_EM_TRAD_PKWARE)
{
    ZipFixture::Member m = File(name, std::move(data));
    m.password = password;
    m.encryption = method;
    return m;
}

class UnzipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        LoadLang(QStringLiteral("English"));
        ResetUnzipPasswordPrompt();
        m_out = m_dir.filePath(QStringLiteral("temp"));
        m_zip = m_dir.filePath(QStringLiteral("paper.zip"));
        ASSERT_TRUE(QDir().mkpath(m_out));
        ASSERT_TRUE(TestHome::WriteFile(m_dir.filePath(QStringLiteral("neighbour.txt")), "keep me"));
    }
    void TearDown() override { ResetUnzipPasswordPrompt(); }

    UnzipResult unzip(const std::vector<ZipFixture::Member>& members, const UnzipLimits& limits = {})
    {
        EXPECT_TRUE(ZipFixture::Write(m_zip, members));
        return Unzip(m_zip, m_out, limits);
    }
    QStringList files() const
    {
        return QDir(m_out).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    QByteArray read(const char* name) const { return TestHome::ReadFile(m_out + QLatin1Char('/') + name); }
    // Everything below the temporary folder outside the target folder.
    QStringList outside() const
    {
        QStringList found;
        QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.startsWith(m_out + QLatin1Char('/')))
                found << path.mid(m_dir.path().size());
        }
        found.sort();
        return found;
    }
    // The one message shown for a failed unzip.
    void expectReported(const UnzipResult& r, int code)
    {
        EXPECT_EQ(r.code, code) << r.detail.toStdString();
        EXPECT_FALSE(r.reason.isEmpty());
        const auto& q = m_prompter.questions();
        ASSERT_FALSE(q.empty());
        EXPECT_EQ(q.back().kind, Kind::Message);
        EXPECT_EQ(q.back().text, QStringLiteral("Uncompress error: %1\r\n").arg(code) + r.reason);
        EXPECT_EQ(q.back().buttons, PromptButtons::Ok);
    }

    QTemporaryDir m_dir;
    QString m_out;
    QString m_zip;
    ScriptedPrompter m_prompter;
    const QStringList m_outsideBefore = {QStringLiteral("/neighbour.txt"), QStringLiteral("/paper.zip"),
                                         QStringLiteral("/temp")};
};

TEST_F(UnzipTest, EveryMemberLandsInTheFolderItselfWithItsBytes)
{
    const QByteArray image = RandomBytes(300'000, 1);
    const UnzipResult r =
        unzip({File("krant.xml", "<krant/>"), File("css/", {}), File("css/krant.css", "p {}"),
               File("meta/deep/er/news.xdf", "NAV_LEVEL1=rubriek"), File("img/a.jpg", image), File("leeg.txt", {})});
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(r.written, QStringList({"krant.xml", "krant.css", "news.xdf", "a.jpg", "leeg.txt"}));
    EXPECT_EQ(files(), QStringList({"a.jpg", "krant.css", "krant.xml", "leeg.txt", "news.xdf"}));
    EXPECT_EQ(read("krant.xml"), "<krant/>");
    EXPECT_EQ(read("news.xdf"), "NAV_LEVEL1=rubriek");
    EXPECT_TRUE(read("a.jpg") == image);
    EXPECT_TRUE(m_prompter.questions().empty());
    EXPECT_EQ(outside(), m_outsideBefore);

    // The run state's form, as document opening calls it.
    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    ::Run().UnzipZipFile = m_zip;
    ::Run().UnzipExtractDir = m_out + QLatin1Char('/');
    EXPECT_TRUE(Unzip().ok());
    EXPECT_EQ(files().size(), 5);
}

TEST_F(UnzipTest, TwoMembersOfOneNameAskBeforeReplacing)
{
    const std::vector<ZipFixture::Member> members = {File("a/x.css", "first"), File("b/x.css", "second"),
                                                     File("c/x.css", "third"), File("krant.xml", "<k/>")};
    struct Case {
        std::vector<PromptAnswer> answers;
        QByteArray kept;
        size_t questions;
    };
    const Case cases[] = {
        {{PromptAnswer::Yes, PromptAnswer::Yes}, "third", 2},
        {{PromptAnswer::Yes, PromptAnswer::No}, "second", 2},
        {{PromptAnswer::No, PromptAnswer::No}, "first", 2},
        {{PromptAnswer::Cancel}, "first", 1}, // Cancel keeps this file and every later one without asking
    };
    for (const Case& c : cases) {
        QDir(m_out).removeRecursively();
        QDir().mkpath(m_out);
        m_prompter.clear();
        for (PromptAnswer a : c.answers)
            m_prompter.answer(a);
        const UnzipResult r = unzip(members);
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(read("x.css"), c.kept);
        EXPECT_EQ(read("krant.xml"), "<k/>");
        EXPECT_EQ(files(), QStringList({"krant.xml", "x.css"}));
        ASSERT_EQ(m_prompter.questions().size(), c.questions);
        const auto& q = m_prompter.questions().front();
        EXPECT_EQ(q.text, "Overwrite x.css?");
        EXPECT_EQ(q.title, T(130));
        EXPECT_EQ(q.buttons, PromptButtons::YesNoCancel);
        EXPECT_EQ(q.defaultAnswer, PromptAnswer::No); // the safe answer, on the second button
    }
}

TEST_F(UnzipTest, AReplacedFileThatIsALinkIsNeverFollowed)
{
    const QString victim = m_dir.filePath(QStringLiteral("neighbour.txt"));
    ASSERT_TRUE(QFile::link(victim, m_out + QStringLiteral("/krant.xml")));
    m_prompter.answer(PromptAnswer::No);
    EXPECT_TRUE(unzip({File("krant.xml", "<evil/>")}).ok());
    EXPECT_EQ(TestHome::ReadFile(victim), "keep me");

    m_prompter.answer(PromptAnswer::Yes);
    EXPECT_TRUE(Unzip(m_zip, m_out).ok());
    EXPECT_EQ(TestHome::ReadFile(victim), "keep me");
    EXPECT_FALSE(QFileInfo(m_out + QStringLiteral("/krant.xml")).isSymLink());
    EXPECT_EQ(read("krant.xml"), "<evil/>");
}

TEST_F(UnzipTest, APasswordIsAskedOnceForAllProtectedMembersAndAWrongOneAgain)
{
    const QByteArray article = RandomBytes(50'000, 2);
    const std::vector<ZipFixture::Member> members = {File("open.css", "p {}"),
                                                     Protected("krant.xml", article, "geheim"),
                                                     Protected("foto.jpg", "jpeg", "geheim", ZIP_EM_AES_256)};
    m_prompter.answerInput(QStringLiteral("geheim"));
    UnzipResult r = unzip(members);
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_TRUE(read("krant.xml") == article);
    EXPECT_EQ(read("foto.jpg"), "jpeg");
    ASSERT_EQ(m_prompter.questions().size(), 1u);
    EXPECT_EQ(m_prompter.questions()[0].kind, Kind::Input);
    EXPECT_EQ(m_prompter.questions()[0].text, "Please Enter The Password!");
    EXPECT_TRUE(m_prompter.questions()[0].secret);

    // Wrong, then right: asked again for the same member.
    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    m_prompter.clear();
    m_prompter.answerInput(QStringLiteral("fout"));
    m_prompter.answerInput(QStringLiteral("geheim"));
    r = Unzip(m_zip, m_out);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(read("krant.xml") == article);
    EXPECT_EQ(m_prompter.questions().size(), 2u);

    // Wrong every time: the protected members are left out and the reader is told.
    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    m_prompter.clear();
    for (int i = 0; i < 6; ++i)
        m_prompter.answerInput(QStringLiteral("fout"));
    r = Unzip(m_zip, m_out);
    expectReported(r, UnzipCode::PasswordMissing);
    EXPECT_EQ(files(), QStringList({"open.css"}));
    EXPECT_FALSE(UnzipPasswordGivenUp());
}

TEST_F(UnzipTest, ANonAsciiPasswordOpensArchivesOfOldAndNewTools)
{
    const QString typed = QStringLiteral("w\u00e4chter");
    // An older tool stored the password's Latin-1 bytes, a newer one its UTF-8.
    const std::vector<ZipFixture::Member> old = {Protected("krant.xml", "<a/>",
                                                           "w\xe4"
                                                           "chter")};
    m_prompter.answerInput(typed);
    UnzipResult r = unzip(old);
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(read("krant.xml"), "<a/>");
    EXPECT_EQ(m_prompter.questions().size(), 1u);

    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    m_prompter.clear();
    ResetUnzipPasswordPrompt();
    const std::vector<ZipFixture::Member> modern = {Protected("krant.xml", "<b/>",
                                                              "w\xc3\xa4"
                                                              "chter",
                                                              ZIP_EM_AES_256)};
    m_prompter.answerInput(typed);
    r = unzip(modern);
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(read("krant.xml"), "<b/>");
    // Both byte forms are tried on one answer: the reader is asked once.
    EXPECT_EQ(m_prompter.questions().size(), 1u);
}

TEST_F(UnzipTest, AnEmptyPasswordGivesUpForTheRestOfTheRun)
{
    const std::vector<ZipFixture::Member> members = {Protected("krant.xml", "<k/>", "geheim"),
                                                     Protected("b.css", "p {}", "geheim"), File("c.css", "q {}")};
    m_prompter.answerInput(QString());
    expectReported(unzip(members), UnzipCode::PasswordMissing);
    EXPECT_EQ(files(), QStringList({"c.css"}));
    EXPECT_TRUE(UnzipPasswordGivenUp());
    EXPECT_EQ(m_prompter.questions().size(), 2u); // one input box, one message

    QFile::remove(m_out + QStringLiteral("/c.css"));
    m_prompter.clear();
    m_prompter.answerInput(QStringLiteral("geheim")); // never asked
    expectReported(Unzip(m_zip, m_out), UnzipCode::PasswordMissing);
    EXPECT_EQ(m_prompter.questions().size(), 1u);

    ResetUnzipPasswordPrompt();
    QFile::remove(m_out + QStringLiteral("/c.css"));
    m_prompter.clear();
    EXPECT_TRUE(Unzip(m_zip, m_out).ok()); // the queued answer is used now
    EXPECT_EQ(read("krant.xml"), "<k/>");
    // Cancel on the input box counts as an empty answer.
    ResetUnzipPasswordPrompt();
    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    m_prompter.answerInput(std::nullopt);
    EXPECT_EQ(Unzip(m_zip, m_out).code, UnzipCode::PasswordMissing);
    EXPECT_TRUE(UnzipPasswordGivenUp());
}

TEST_F(UnzipTest, AWrongPasswordThatPassesTheCheckByteIsCaughtByTheChecksum)
{
    const QByteArray article = RandomBytes(20'000, 3);
    ASSERT_TRUE(ZipFixture::Write(m_zip, {Protected("krant.xml", article, "geheim")}));
    // About one wrong password in 256 passes the traditional check byte; find one.
    QByteArray sneaky;
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(m_zip).constData(), ZIP_RDONLY, &error);
    ASSERT_NE(za, nullptr);
    for (int i = 0; i < 5000 && sneaky.isEmpty(); ++i) {
        const QByteArray candidate = "w" + QByteArray::number(i);
        if (zip_file_t* f = zip_fopen_index_encrypted(za, 0, 0, candidate.constData())) {
            zip_fclose(f);
            sneaky = candidate;
        }
        zip_error_clear(za);
    }
    zip_discard(za);
    ASSERT_FALSE(sneaky.isEmpty());

    m_prompter.answerInput(QString::fromLatin1(sneaky));
    m_prompter.answerInput(QStringLiteral("geheim"));
    EXPECT_TRUE(Unzip(m_zip, m_out).ok());
    EXPECT_TRUE(read("krant.xml") == article);
    EXPECT_EQ(m_prompter.questions().size(), 2u);

    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    m_prompter.clear();
    for (int i = 0; i < 3; ++i)
        m_prompter.answerInput(QString::fromLatin1(sneaky));
    expectReported(Unzip(m_zip, m_out), UnzipCode::PasswordMissing);
    EXPECT_TRUE(files().isEmpty()); // no garbage left behind
}

TEST_F(UnzipTest, UnsafeMembersRefuseTheWholePackageBeforeAnythingIsWritten)
{
    struct Case {
        ZipFixture::Member member;
        const char* why;
    };
    auto special = [](const char* name, uint32_t mode) {
        ZipFixture::Member m = File(name, "/etc/passwd");
        m.unixMode = mode;
        return m;
    };
    const Case cases[] = {
        {File("", "x"), "empty"},
        {File("/tmp/abs.xml", "x"), "absolute"},
        {File("\\abs.xml", "x"), "absolute, backslash"},
        {File("C:/krant.xml", "x"), "drive"},
        {File("c:krant.xml", "x"), "drive without slash"},
        {File("../krant.xml", "x"), "parent"},
        {File("a/b/../../../krant.xml", "x"), "parent, deeper"},
        {File("a\\..\\..\\krant.xml", "x"), "parent, backslashes"},
        {File("..", "x"), "parent alone"},
        {special("link.xml", S_IFLNK | 0777), "symbolic link"},
        {special("dev.xml", S_IFCHR | 0644), "character device"},
        {special("fifo.xml", S_IFIFO | 0644), "fifo"},
        {special("../dir/", S_IFDIR | 0755), "folder with parent"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        m_prompter.clear();
        const UnzipResult r = unzip({File("krant.xml", "<k/>"), c.member, File("z.css", "p {}")});
        expectReported(r, UnzipCode::UnsafeMember);
        EXPECT_TRUE(files().isEmpty());
        EXPECT_EQ(outside(), m_outsideBefore);
    }
    // A control character in a name: libzip reads a name without the UTF-8 mark as code
    // page 437 (byte 1 is a smiley) and refuses a marked one as inconsistent.
    ASSERT_TRUE(ZipFixture::Write(m_zip, {File("krant.xml", "<k/>"), File("a/caf\xc3\xa9"
                                                                          "CTRLMARK.xml",
                                                                          "x")}));
    ASSERT_TRUE(ZipFixture::Patch(m_zip, "CTRLMARK", QByteArray("\x01TRLMARK")));
    m_prompter.clear();
    expectReported(Unzip(m_zip, m_out), UnzipCode::ArchiveDamaged);
    EXPECT_TRUE(files().isEmpty());

    // Odd but harmless names are unpacked.
    const UnzipResult r = unzip({File("..krant.xml", "1"), File("a/..b/c.css", "2"), File("./d.xdf", "3")});
    EXPECT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(files(), QStringList({"..krant.xml", "c.css", "d.xdf"}));
}

TEST_F(UnzipTest, DecompressionBombsAreStoppedAndWhatWasWrittenIsRemoved)
{
    // Three megabytes of zeros shrink far beyond 200:1.
    expectReported(unzip({File("krant.xml", "<k/>"), File("bomb.xml", QByteArray(3 << 20, '\0'))}),
                   UnzipCode::TooLarge);
    EXPECT_TRUE(files().isEmpty());
    // Below the 1 MiB threshold a high ratio is fine.
    EXPECT_TRUE(unzip({File("small.xml", QByteArray(512 * 1024, ' '))}).ok());
    QFile::remove(m_out + QStringLiteral("/small.xml"));

    UnzipLimits few;
    few.maxMembers = 3;
    expectReported(unzip({File("a", "1"), File("b", "2"), File("c", "3"), File("d", "4")}, few), UnzipCode::TooLarge);
    EXPECT_TRUE(files().isEmpty());

    UnzipLimits small;
    small.maxTotalBytes = 1000;
    expectReported(unzip({File("a", RandomBytes(600, 4)), File("b", RandomBytes(600, 5))}, small), UnzipCode::TooLarge);
    EXPECT_TRUE(files().isEmpty());

    // A member that produces more than it declares (libzip does not check) is stopped while it is written.
    ASSERT_TRUE(ZipFixture::Write(m_zip, {File("bomb.xml", QByteArray(200'000, 'a'))}));
    ASSERT_TRUE(ZipFixture::DeclareSize(m_zip, 10));
    expectReported(Unzip(m_zip, m_out), UnzipCode::TooLarge);
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(UnzipTest, ALargeDocumentCanBeHeldInMemoryBehindAnEmptyFile)
{
    QByteArray text;
    for (int i = 0; text.size() < (1 << 20); ++i)
        text += "<p>Artikel " + QByteArray::number(i) + " over het weer.</p>\n";
    UnzipLimits hold;
    hold.holdLargeXml = true;
    const QString path = m_out + QStringLiteral("/krant.xml");
    ASSERT_TRUE(unzip({File("krant.xml", text), File("krant.css", "p {}")}, hold).ok());
    EXPECT_EQ(files(), QStringList({"krant.css", "krant.xml"}));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    const HeldFile held = HeldWorkingFile(path);
    ASSERT_TRUE(held);
    EXPECT_EQ(QByteArray(held.data.get(), qsizetype(held.size)), text);
    EXPECT_EQ(WorkingFileSize(path), text.size());

    // A later member of that name, let in, replaces what is held.
    QDir(m_out).removeRecursively();
    QDir().mkpath(m_out);
    m_prompter.answer(PromptAnswer::Yes);
    ASSERT_TRUE(unzip({File("a/krant.xml", text), File("b/krant.xml", "<k/>")}, hold).ok());
    EXPECT_EQ(read("krant.xml"), "<k/>");
    EXPECT_FALSE(HeldWorkingFile(path));
}

TEST_F(UnzipTest, DamagedArchivesAndMembersAreReportedAndNotKept)
{
    EXPECT_EQ(Unzip(m_dir.filePath(QStringLiteral("missing.zip")), m_out).code, UnzipCode::NotFound);

    ASSERT_TRUE(TestHome::WriteFile(m_zip, RandomBytes(5000, 6)));
    expectReported(Unzip(m_zip, m_out), UnzipCode::ArchiveDamaged);

    const QByteArray article = RandomBytes(40'000, 7);
    ASSERT_TRUE(ZipFixture::Write(m_zip, {File("krant.css", "p {}"), File("krant.xml", article)}));
    const QByteArray whole = TestHome::ReadFile(m_zip);
    ASSERT_TRUE(TestHome::WriteFile(m_zip, whole.left(whole.size() / 2)));
    expectReported(Unzip(m_zip, m_out), UnzipCode::ArchiveDamaged);
    EXPECT_TRUE(files().isEmpty());

    // A flipped byte inside the second member's data: that member fails its checksum.
    QByteArray flipped = whole;
    flipped[flipped.indexOf("krant.xml") + 9 + 1000] ^= 0x20;
    ASSERT_TRUE(TestHome::WriteFile(m_zip, flipped));
    m_prompter.clear();
    const UnzipResult r = Unzip(m_zip, m_out);
    expectReported(r, UnzipCode::MemberDamaged);
    EXPECT_TRUE(r.reason.contains(QStringLiteral("krant.xml")));
    EXPECT_EQ(files(), QStringList({"krant.css"}));
    QFile::remove(m_out + QStringLiteral("/krant.css"));

    // The same in a compressed member, whose text is inflated whole: a flipped
    // byte is caught there too, and intact compressed members come out whole.
    QByteArray text;
    for (int i = 0; i < 4000; ++i)
        text += "<p>Artikel " + QByteArray::number(i) + " over het weer.</p>\n";
    ASSERT_TRUE(ZipFixture::Write(m_zip, {File("krant.css", "p {}"), File("krant.xml", text)}));
    ASSERT_LT(QFileInfo(m_zip).size(), text.size() / 4); // really compressed
    EXPECT_TRUE(Unzip(m_zip, m_out).ok());
    EXPECT_EQ(TestHome::ReadFile(m_out + QStringLiteral("/krant.xml")), text);
    QFile::remove(m_out + QStringLiteral("/krant.xml"));
    QFile::remove(m_out + QStringLiteral("/krant.css"));
    QByteArray packed = TestHome::ReadFile(m_zip);
    packed[packed.indexOf("krant.xml") + 9 + 2000] ^= 0x20;
    ASSERT_TRUE(TestHome::WriteFile(m_zip, packed));
    expectReported(Unzip(m_zip, m_out), UnzipCode::MemberDamaged);
    EXPECT_EQ(files(), QStringList({"krant.css"}));
}

TEST_F(UnzipTest, AFailingWriteIsReportedAsAFullDiskAndTheFolderEmptied)
{
    const std::vector<ZipFixture::Member> members = {File("krant.css", "p {}"),
                                                     File("foto.jpg", RandomBytes(256 * 1024, 8))};
    ASSERT_TRUE(ZipFixture::Write(m_zip, members));
    {
        const FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.active());
        expectReported(Unzip(m_zip, m_out), UnzipCode::DiskFull);
    }
    EXPECT_TRUE(files().isEmpty());

    // A compressed member is inflated into space reserved beforehand: the same report.
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += "<p>regel " + QByteArray::number(i) + "</p>\n";
    ASSERT_TRUE(ZipFixture::Write(m_zip, {File("krant.css", "p {}"), File("krant.xml", text)}));
    {
        const FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.active());
        expectReported(Unzip(m_zip, m_out), UnzipCode::DiskFull);
    }
    EXPECT_TRUE(files().isEmpty());
}

// A prompter that takes the disk's space when it is asked to replace a file.
class SpaceTaker final : public Prompter {
public:
    explicit SpaceTaker(QString filler) : m_filler(std::move(filler)) {}
    PromptAnswer MsgBox(const QString& text, PromptButtons, PromptIcon, const QString&,
                        std::optional<PromptAnswer>) override
    {
        messages << text;
        if (!text.startsWith(QStringLiteral("Overwrite")))
            return PromptAnswer::Ok;
        QFile f(m_filler);
        if (f.open(QIODevice::WriteOnly))
            while (f.write(QByteArray(4096, 'f')) == 4096 && f.flush()) {
            }
        return PromptAnswer::Yes;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&, bool) override { return {}; }
    QString GetOpenFileName(const QString&, const QString&, const QStringList&) override { return {}; }
    QStringList messages;

private:
    QString m_filler;
};

class SmallFileSystem {
public:
    explicit SmallFileSystem(const QString& path) : m_path(QFile::encodeName(path))
    {
        QDir().mkpath(path);
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount(m_path.constData());
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_path;
    bool m_mounted = false;
};

TEST_F(UnzipTest, ARealFullFileSystemIsReportedAndTheFolderEmptied)
{
    const QString small = m_dir.filePath(QStringLiteral("small"));
    const SmallFileSystem fs(small);
    if (!fs.mounted())
        GTEST_SKIP() << "mounting is not allowed here; the file-size limit test stands for a full disk";

    // More declared than there is room for: refused before anything is written.
    ASSERT_TRUE(ZipFixture::Write(m_zip, {File("krant.css", "p {}"), File("foto.jpg", RandomBytes(400 * 1024, 9))}));
    expectReported(Unzip(m_zip, small), UnzipCode::DiskFull);
    EXPECT_TRUE(QDir(small).isEmpty());

    // The space is taken while unpacking: the write itself fails.
    ASSERT_TRUE(ZipFixture::Write(
        m_zip, {File("a/x.css", "1"), File("b/x.css", "2"), File("foto.jpg", RandomBytes(150 * 1024, 10))}));
    SpaceTaker taker(small + QStringLiteral("/filler"));
    SetPrompter(&taker);
    const UnzipResult r = Unzip(m_zip, small);
    SetPrompter(&m_prompter);
    EXPECT_EQ(r.code, UnzipCode::DiskFull) << r.detail.toStdString();
    ASSERT_EQ(taker.messages.size(), 2);
    EXPECT_EQ(taker.messages[1], QStringLiteral("Uncompress error: 50\r\n") + r.reason);
    EXPECT_EQ(QDir(small).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"filler"}));
}

} // namespace
