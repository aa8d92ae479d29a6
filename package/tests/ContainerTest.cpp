#include "package/Container.h"

#include "package/KeyStore.h"
#include "package/modDecrypt.h"
#include "settings/modLanguage.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>
#include <sys/stat.h>

namespace Container {
inline void PrintTo(Error e, std::ostream* os)
{
    *os << Describe(e).toStdString();
}
} // namespace Container

namespace {

using Container::Error;
using Kind = ScriptedPrompter::Question::Kind;

// The cheapest accepted costs keep the tests fast; the format is the same.
Container::WriteOptions Cheap(const QString& keyId = QStringLiteral("dagblad"), uint32_t chunk = 1024)
{
    Container::WriteOptions o;
    o.keyId = keyId;
    o.kdf = {1, Container::MinMemLimit};
    o.chunkBytes = chunk;
    return o;
}

QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(gen.bounded(256));
    return bytes;
}

// Writes the fixed header fields over a good package.
QByteArray WithField(QByteArray bytes, qsizetype at, uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        LoadLang(QStringLiteral("English"));
        m_plain = m_dir.filePath(QStringLiteral("paper.zip"));
        m_package = m_dir.filePath(QStringLiteral("paper.exb"));
        m_out = m_dir.filePath(QStringLiteral("_"));
    }

    // Encrypts bytes into the package file.
    void make(const QByteArray& bytes, const Container::WriteOptions& options = Cheap(),
              const QString& passphrase = QStringLiteral("zomer 2024"))
    {
        ASSERT_TRUE(TestHome::WriteFile(m_plain, bytes));
        QString detail;
        ASSERT_EQ(Container::Write(m_plain, m_package, passphrase, options, &detail), Error::None)
            << detail.toStdString();
    }
    // Decrypts the package with a passphrase, collecting the progress.
    Error decrypt(const QString& passphrase = QStringLiteral("zomer 2024"))
    {
        m_progress.clear();
        Container::Reader reader;
        if (const Error e = reader.open(m_package); e != Error::None)
            return e;
        Container::Key key;
        if (const Error e = Container::DeriveKey(passphrase, reader.header(), key); e != Error::None)
            return e;
        return reader.decryptTo(key, m_out, [this](int p) { m_progress.push_back(p); });
    }
    void rewrite(const QByteArray& bytes) { ASSERT_TRUE(TestHome::WriteFile(m_package, bytes)); }

    QTemporaryDir m_dir;
    QString m_plain, m_package, m_out;
    std::vector<int> m_progress;
};

TEST_F(ContainerTest, RoundTripsAnyLengthAndReportsEveryPercentOnce)
{
    std::vector<int> all(100);
    for (int i = 0; i < 100; ++i)
        all[size_t(i)] = i + 1;
    // Empty, one short chunk, exactly two chunks, many chunks with a short last one.
    for (const qsizetype size : {qsizetype(0), qsizetype(100), qsizetype(2048), qsizetype(150'001)}) {
        SCOPED_TRACE(size);
        const QByteArray bytes = RandomBytes(size, quint32(size));
        make(bytes);
        const size_t chunks = size == 0 ? 1 : (size_t(size) + 1023) / 1024;
        EXPECT_EQ(size_t(QFileInfo(m_package).size()), Container::FixedHeaderBytes + 7 + Container::StreamHeaderBytes +
                                                           Container::TagBytes * (1 + chunks) + size_t(size));
        ASSERT_EQ(decrypt(), Error::None);
        EXPECT_TRUE(TestHome::ReadFile(m_out) == bytes);
        EXPECT_EQ(m_progress, all);
        EXPECT_EQ(QFileInfo(m_out).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    }
    Container::Reader reader;
    ASSERT_EQ(reader.open(m_package), Error::None);
    EXPECT_EQ(reader.header().keyId, "dagblad");
    EXPECT_EQ(reader.header().chunkBytes, 1024u);
    EXPECT_EQ(reader.header().kdf.opsLimit, 1u);
}

TEST_F(ContainerTest, AWrongPassphraseFailsTheKeyCheckAndWritesNothing)
{
    make(RandomBytes(5000, 1));
    ASSERT_TRUE(TestHome::WriteFile(m_out, "an older package's archive"));
    EXPECT_EQ(decrypt(QStringLiteral("winter 2024")), Error::WrongKey);
    EXPECT_TRUE(m_progress.empty());
    // The same passphrase composed differently (NFC vs NFD) is the same passphrase.
    make(RandomBytes(5000, 1), Cheap(), QString::fromUtf8("caf\u00e9"));
    EXPECT_EQ(decrypt(QString::fromUtf8("cafe\u0301")), Error::None);
}

TEST_F(ContainerTest, TamperingTruncationAndTrailingDataAreRefusedAndLeaveNoOutput)
{
    const QByteArray zip = RandomBytes(10'000, 2);
    make(zip);
    const QByteArray good = TestHome::ReadFile(m_package);
    const qsizetype data = Container::FixedHeaderBytes + 7 + Container::StreamHeaderBytes + Container::TagBytes;
    const qsizetype cipherChunk = 1024 + Container::TagBytes;
    struct Case {
        const char* what;
        QByteArray bytes;
        Error expected;
        bool reachesData = true; // the key check passes, so an output is begun
    };
    auto flip = [&](qsizetype at) {
        QByteArray b = good;
        b[at] = char(b[at] ^ 0x01);
        return b;
    };
    const Case cases[] = {
        {"flipped byte in the third chunk", flip(data + 2 * cipherChunk + 100), Error::Damaged},
        {"flipped byte in the last chunk's tag", flip(good.size() - 1), Error::Damaged},
        {"flipped salt", flip(30), Error::WrongKey, false},
        {"changed key id", flip(Container::FixedHeaderBytes + 2), Error::WrongKey, false},
        {"flipped key check", flip(data - 3), Error::WrongKey, false},
        {"cut at a chunk boundary", good.left(data + 3 * cipherChunk), Error::Truncated, false},
        {"cut after the key check", good.left(data), Error::Truncated, false},
        {"cut inside a chunk", good.left(data + 3 * cipherChunk + 500), Error::Truncated, false},
        {"cut inside the header", good.left(50), Error::Truncated, false},
        {"trailing byte", good + "x", Error::TrailingData, false},
        {"trailing chunk copy", good + good.right(cipherChunk), Error::TrailingData, false},
        {"length changed to match a cut", WithField(good.left(good.size() - cipherChunk), 44, 10'000 - 1024, 8),
         Error::WrongKey, false},
        {"chunks swapped",
         good.left(data) + good.mid(data + cipherChunk, cipherChunk) + good.mid(data, cipherChunk) +
             good.mid(data + 2 * cipherChunk),
         Error::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rewrite(c.bytes);
        ASSERT_TRUE(TestHome::WriteFile(m_out, "stale"));
        EXPECT_EQ(decrypt(), c.expected);
        if (c.reachesData)
            EXPECT_FALSE(QFileInfo::exists(m_out)) << "partial output left";
        else
            EXPECT_EQ(TestHome::ReadFile(m_out), "stale");
        EXPECT_TRUE(m_progress.empty() || m_progress.back() < 100);
    }
    rewrite(good);
    EXPECT_EQ(decrypt(), Error::None);
    EXPECT_TRUE(TestHome::ReadFile(m_out) == zip);
}

TEST_F(ContainerTest, ForeignAndAbsurdHeadersAreRefusedBeforeAnyWork)
{
    make(RandomBytes(3000, 3));
    const QByteArray good = TestHome::ReadFile(m_package);
    struct Case {
        const char* what;
        QByteArray bytes;
        Error expected;
    };
    const Case cases[] = {
        {"a ZIP archive", QByteArray("PK\x03\x04", 4) + good.mid(4), Error::NotAContainer},
        {"empty file", QByteArray(), Error::NotAContainer},
        {"magic only", good.left(5), Error::Truncated},
        {"version 2", WithField(good, 8, 2, 1), Error::UnsupportedVersion},
        {"another key derivation", WithField(good, 9, 2, 1), Error::UnsupportedVersion},
        {"a flag", WithField(good, 10, 1, 2), Error::UnsupportedVersion},
        {"no passes", WithField(good, 12, 0, 4), Error::BadParameters},
        {"a million passes", WithField(good, 12, 1'000'000, 4), Error::BadParameters},
        {"4 GiB of memory", WithField(good, 16, uint64_t(4) << 30, 8), Error::BadParameters},
        {"huge memory", WithField(good, 16, ~uint64_t(0) - 1023, 8), Error::BadParameters},
        {"too little memory", WithField(good, 16, 1024, 8), Error::BadParameters},
        {"memory not in KiB", WithField(good, 16, 65 * 1024 + 1, 8), Error::BadParameters},
        {"16 passes over 1 GiB", WithField(WithField(good, 12, 16, 4), 16, uint64_t(1) << 30, 8), Error::BadParameters},
        {"chunk of 16 bytes", WithField(good, 40, 16, 4), Error::UnsupportedVersion},
        {"chunk of 64 MiB", WithField(good, 40, 64 << 20, 4), Error::UnsupportedVersion},
        {"key id longer than the file", WithField(good.left(70), 52, 200, 1), Error::Truncated},
        {"longer than the file says", WithField(good, 44, 3001, 8), Error::Truncated},
        {"shorter than the file says", WithField(good, 44, 2000, 8), Error::TrailingData},
        {"absurd length", WithField(good, 44, uint64_t(1) << 60, 8), Error::Damaged},
        {"key id with a line break", WithField(good, 53, '\n', 1), Error::Damaged},
        {"key id not UTF-8", WithField(good, 53, 0xC3, 1), Error::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rewrite(c.bytes);
        Container::Reader reader;
        EXPECT_EQ(reader.open(m_package), c.expected);
    }
    Container::Reader reader;
    EXPECT_EQ(reader.open(m_dir.filePath(QStringLiteral("missing.exb"))), Error::CannotRead);

    // The writer refuses what a reader would refuse.
    rewrite(good);
    Container::WriteOptions o = Cheap();
    o.kdf.memLimit = uint64_t(2) << 30;
    EXPECT_EQ(Container::Write(m_plain, m_package, QStringLiteral("x"), o), Error::BadOptions);
    o = Cheap(QString(256, u'k'));
    EXPECT_EQ(Container::Write(m_plain, m_package, QStringLiteral("x"), o), Error::BadOptions);
    o = Cheap(QStringLiteral("tab\there"));
    EXPECT_EQ(Container::Write(m_plain, m_package, QStringLiteral("x"), o), Error::BadOptions);
    EXPECT_EQ(Container::Write(m_plain, m_package, QString(), Cheap()), Error::BadOptions);
    EXPECT_EQ(Container::Write(m_plain, m_package, QStringLiteral("x"), Cheap(QString(), 100)), Error::BadOptions);
    EXPECT_TRUE(TestHome::ReadFile(m_package) == good) << "a refused write touched the output";
}

class KeyStoreTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("cfg/Quillbook/keys"));
};

TEST_F(KeyStoreTest, RemembersPerKeyIdNewestFirstInAPrivateFile)
{
    KeyStore store(m_path);
    EXPECT_TRUE(store.Passphrases(QStringLiteral("dagblad")).isEmpty());
    const QString odd = QStringLiteral("tab\there\nnew line 100% \u00e9");
    ASSERT_TRUE(store.Remember(QStringLiteral("dagblad"), QStringLiteral("oud")));
    ASSERT_TRUE(store.Remember(QStringLiteral("weekblad"), odd));
    ASSERT_TRUE(store.Remember(QStringLiteral("dagblad"), QStringLiteral("nieuw")));
    ASSERT_TRUE(store.Remember(QStringLiteral("dagblad"), QStringLiteral("nieuw")));
    EXPECT_EQ(KeyStore(m_path).Passphrases(QStringLiteral("dagblad")), QStringList({"nieuw", "oud"}));
    EXPECT_EQ(KeyStore(m_path).Passphrases(QStringLiteral("weekblad")), QStringList({odd}));
    EXPECT_TRUE(KeyStore(m_path).Passphrases(QString()).isEmpty());

    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(m_path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(TestHome::ReadFile(m_path).contains("\there\n")); // encoded, one entry per line

    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(store.Remember(QStringLiteral("dagblad"), QStringLiteral("p%1").arg(i)));
    const QStringList kept = store.Passphrases(QStringLiteral("dagblad"));
    EXPECT_EQ(kept.size(), KeyStore::MaxPerKeyId);
    EXPECT_EQ(kept.front(), "p11");
    EXPECT_EQ(store.Passphrases(QStringLiteral("weekblad")), QStringList({odd}));
    ASSERT_TRUE(store.Forget(QStringLiteral("dagblad"), QStringLiteral("p11")));
    EXPECT_EQ(store.Passphrases(QStringLiteral("dagblad")).front(), "p10");

    // A store others could read is made private when it is read.
    ::chmod(QFile::encodeName(m_path).constData(), 0644);
    store.Passphrases(QStringLiteral("dagblad"));
    ASSERT_EQ(::stat(QFile::encodeName(m_path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(KeyStoreTest, ALinkInPlaceOfTheStoreIsNeitherReadNorWrittenThrough)
{
    const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(TestHome::WriteFile(elsewhere, "dagblad\tgestolen\n"));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    ASSERT_TRUE(QFile::link(elsewhere, m_path));
    KeyStore store(m_path);
    EXPECT_TRUE(store.Passphrases(QStringLiteral("dagblad")).isEmpty());
    ASSERT_TRUE(store.Remember(QStringLiteral("dagblad"), QStringLiteral("geheim")));
    EXPECT_EQ(TestHome::ReadFile(elsewhere), "dagblad\tgestolen\n");
    EXPECT_FALSE(QFileInfo(m_path).isSymLink());
    EXPECT_EQ(store.Passphrases(QStringLiteral("dagblad")), QStringList({"geheim"}));
}

class DecryptPackageTest : public ContainerTest {
protected:
    DecryptResult run()
    {
        m_progress.clear();
        return DecryptPackage(m_package, m_out, m_keys, [this](int p) { m_progress.push_back(p); });
    }
    const ScriptedPrompter::Question& asked(size_t i) const { return m_prompter.questions().at(i); }

    ScriptedPrompter m_prompter;
    KeyStore m_keys{m_dir.filePath(QStringLiteral("keys"))};
};

TEST_F(DecryptPackageTest, AsksUntilThePassphraseOpensOffersToRememberItAndThenAsksNoMore)
{
    const QByteArray zip = RandomBytes(20'000, 4);
    make(zip);
    m_prompter.answerInput(QStringLiteral("winter"));
    m_prompter.answerInput(QStringLiteral("zomer 2024"));
    m_prompter.answer(PromptAnswer::Ok);  // wrong passphrase
    m_prompter.answer(PromptAnswer::Yes); // remember
    ASSERT_TRUE(run().ok());
    EXPECT_TRUE(TestHome::ReadFile(m_out) == zip);
    EXPECT_EQ(m_progress.back(), 100);
    ASSERT_EQ(m_prompter.questions().size(), 4u);
    EXPECT_EQ(asked(0).kind, Kind::Input);
    EXPECT_EQ(asked(0).text, T(140, QStringLiteral("dagblad")));
    EXPECT_TRUE(asked(0).secret);
    EXPECT_EQ(asked(0).title, T(109));
    EXPECT_EQ(asked(1).text, T(141));
    EXPECT_EQ(asked(2).kind, Kind::Input);
    EXPECT_EQ(asked(3).text, T(143, QStringLiteral("dagblad")));
    EXPECT_EQ(asked(3).buttons, PromptButtons::YesNo);
    EXPECT_EQ(m_keys.Passphrases(QStringLiteral("dagblad")), QStringList({"zomer 2024"}));

    // Tomorrow's paper: a new salt, the same passphrase, no question.
    make(RandomBytes(20'000, 5));
    m_prompter.clear();
    ASSERT_TRUE(run().ok());
    EXPECT_TRUE(m_prompter.questions().empty());

    // The publisher changed the passphrase: the old one is kept for older issues.
    make(RandomBytes(2000, 6), Cheap(), QStringLiteral("herfst"));
    m_prompter.answerInput(QStringLiteral("herfst"));
    m_prompter.answer(PromptAnswer::Yes);
    ASSERT_TRUE(run().ok());
    EXPECT_EQ(m_prompter.questions().size(), 2u);
    EXPECT_EQ(m_keys.Passphrases(QStringLiteral("dagblad")), QStringList({"herfst", "zomer 2024"}));

    // Declined: nothing stored; a package without key id is named by its file.
    make(RandomBytes(2000, 7), Cheap(QString()));
    m_prompter.clear();
    m_prompter.answerInput(QStringLiteral("zomer 2024"));
    m_prompter.answer(PromptAnswer::No);
    ASSERT_TRUE(run().ok());
    EXPECT_EQ(asked(0).text, T(140, QStringLiteral("paper.exb")));
    EXPECT_TRUE(m_keys.Passphrases(QString()).isEmpty());
}

TEST_F(DecryptPackageTest, EveryRefusalIsToldAndLeavesNoOutput)
{
    make(RandomBytes(20'000, 8));
    const QByteArray good = TestHome::ReadFile(m_package);

    // Cancel, and an empty answer, give up.
    for (const std::optional<QString>& answer : {std::optional<QString>(), std::optional<QString>(QString())}) {
        ASSERT_TRUE(TestHome::WriteFile(m_out, "an older archive"));
        m_prompter.clear();
        m_prompter.answerInput(answer);
        const DecryptResult r = run();
        EXPECT_TRUE(r.cancelled);
        EXPECT_FALSE(r.ok());
        ASSERT_EQ(m_prompter.questions().size(), 2u);
        EXPECT_EQ(asked(1).text, T(142, QStringLiteral("paper.exb")));
        EXPECT_FALSE(QFileInfo::exists(m_out));
    }

    ASSERT_TRUE(m_keys.Remember(QStringLiteral("dagblad"), QStringLiteral("zomer 2024")));
    struct Case {
        const char* what;
        QByteArray bytes;
        int text;
    };
    const Case cases[] = {
        {"tampered", WithField(good, good.size() - 3000, uint8_t(good[good.size() - 3000]) ^ 0x55u, 1), 145},
        {"truncated", good.left(good.size() - 1041), 145},
        {"trailing data", good + "tail", 145},
        {"absurd costs", WithField(good, 16, uint64_t(8) << 30, 8), 146},
        {"not a package", "PK\x03\x04 just a zip", 144},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rewrite(c.bytes);
        m_prompter.clear();
        const DecryptResult r = run();
        EXPECT_FALSE(r.ok());
        ASSERT_EQ(m_prompter.questions().size(), 1u) << "asked for a passphrase";
        EXPECT_EQ(asked(0).text, T(c.text, QStringLiteral("paper.exb")));
        EXPECT_EQ(asked(0).icon, PromptIcon::Exclamation);
        EXPECT_FALSE(QFileInfo::exists(m_out));
        EXPECT_TRUE(m_progress.empty() || m_progress.back() < 100);
    }
}

TEST(PackageTexts, TheLanguageFilesCarryThePackageTexts)
{
    for (const char* language : {"English", "Nederlands"}) {
        LoadLang(QString::fromLatin1(language));
        for (int n = 129; n <= 149; ++n)
            EXPECT_FALSE(T(n).isEmpty()) << language << " text " << n;
    }
    LoadLang(QStringLiteral("English"));
}

} // namespace
