#include "render/StyleSheetChoice.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "render/modCss2RTF.h"
#include "settings/SettingsStore.h"
#include "tests/support/FreshState.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray Sheet(const char* selector)
{
    return QByteArray("default {\r\nfont-size: 12;\r\n}\r\n") + selector + " {\r\ncolor: red;\r\n}\r\n";
}

class StyleSheetChoiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A data folder of the test's own, so the system sheets are known.
        ASSERT_TRUE(data.isValid());
        qputenv("QB_DATA_DIR", data.path().toLocal8Bit());
        AppPaths::Init();
        ResetProgramState(StoredSettings::Clear);
        RunState& rs = ::Run();
        rs.DocumentId = QStringLiteral("krant-1");
        rs.DocInfo[0] = rs.DocumentId;
        rs.DocInfo[2] = QStringLiteral("krant");
        rs.XdfDefaultCss = QStringLiteral("standaard");
    }
    void TearDown() override
    {
        ResetRunState();
        qunsetenv("QB_DATA_DIR");
        AppPaths::Init();
    }

    static void systemSheet(const QString& name, const QByteArray& text)
    {
        ASSERT_TRUE(TestHome::WriteFile(AppPaths::CssDir() + QLatin1Char('/') + name, text));
    }
    static void personalCopy(const QString& name, const QByteArray& text)
    {
        ASSERT_TRUE(TestHome::WriteFile(AppPaths::DufDir() + QLatin1Char('/') + name, text));
    }
    static void openUsageFile()
    {
        auto duf = std::make_shared<DomDocument>();
        ASSERT_TRUE(duf->loadXML(QStringLiteral("<duf><bookmark id=\"0\" type=\"auto\"/></duf>")));
        ::Run().DufDoc = duf;
    }
    static QString chosenName() { return ::Run().StyleSheets.at(size_t(StyleSheetInUse()) - 1).name; }
    static QStringList names()
    {
        QStringList out;
        for (const PackageStyleSheet& s : ::Run().StyleSheets)
            out << s.name;
        return out;
    }
    static QString errorLog() { return QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath())); }

    QTemporaryDir data;
};

TEST_F(StyleSheetChoiceTest, WithoutAnySheetTheDefaultsStay)
{
    ASSERT_TRUE(LoadCSSFromText(QStringLiteral("p {\r\ncolor: red;\r\n}\r\n")));
    EXPECT_EQ(LoadAndSetStyleSheets(), 1);
    EXPECT_TRUE(::Run().StyleSheets.empty());
    EXPECT_TRUE(StyleSheetCaptions().isEmpty());
    EXPECT_EQ(StyleCount(), 1); // only the built-in defaults
    EXPECT_TRUE(errorLog().contains(QStringLiteral("LoadCSS")));
}

TEST_F(StyleSheetChoiceTest, SystemSheetsFollowThePackageAndTheTypesDefaultIsChosen)
{
    ::Run().StyleSheets = {{QStringLiteral("dagblad"), QString::fromLatin1(Sheet("krant"))}};
    ::Run().StyleSheetCount = 1;
    systemSheet(QStringLiteral("grote_letters.css"), Sheet("groot"));
    systemSheet(QStringLiteral("standaard.css"), Sheet("standaard"));
    systemSheet(QStringLiteral("oud.scss"), "not a sheet");
    ASSERT_TRUE(QDir().mkpath(AppPaths::CssDir() + QStringLiteral("/map.css")));

    EXPECT_EQ(LoadAndSetStyleSheets(), 3);
    EXPECT_EQ(StyleSheetCaptions(), QStringList({"dagblad", "grote letters", "standaard"}));
    EXPECT_EQ(StyleTable()[1][Style::Name], QStringLiteral("standaard"));
    ::Run().XdfDefaultCss = QStringLiteral("onbekend");
    EXPECT_EQ(LoadAndSetStyleSheets(), 1);
}

TEST_F(StyleSheetChoiceTest, DocumentChoiceBeatsTypeChoiceBeatsAllDocuments)
{
    systemSheet(QStringLiteral("standaard.css"), Sheet("standaard"));
    openUsageFile();
    personalCopy(QStringLiteral("krant-1.css"), Sheet("eigen"));
    personalCopy(QStringLiteral("krant (type).css"), Sheet("soort"));
    personalCopy(QStringLiteral("(all documents).css"), Sheet("alles"));
    DefaultCss(QStringLiteral("krant-1.css"));
    ASSERT_TRUE(SaveSetting(QStringLiteral("CSSkrant"), QStringLiteral("krant (type).css")));
    ASSERT_TRUE(SaveSetting(QStringLiteral("DefaultCSS"), QStringLiteral("(all documents).css")));

    LoadAndSetStyleSheets();
    EXPECT_EQ(names(), QStringList({"standaard", "krant-1"}));
    EXPECT_EQ(StyleTable()[1][Style::Name], QStringLiteral("eigen"));

    // Each removal takes the choice and its copy away, and the next scope wins.
    ASSERT_TRUE(RemoveDefaultStyleSheet(StyleScope::Document));
    EXPECT_FALSE(QFile::exists(AppPaths::DufDir() + QStringLiteral("/krant-1.css")));
    EXPECT_FALSE(TestHome::ReadFile(AppPaths::DufDir() + QStringLiteral("/krant-1.duf")).contains("css"));
    EXPECT_EQ(names(), QStringList({"standaard", "krant (type)"}));

    ASSERT_TRUE(RemoveDefaultStyleSheet(StyleScope::DocumentType));
    EXPECT_TRUE(GetSetting(QStringLiteral("CSSkrant")).isEmpty());
    EXPECT_EQ(names(), QStringList({"standaard", "(all documents)"}));

    ASSERT_TRUE(RemoveDefaultStyleSheet(StyleScope::AllDocuments));
    EXPECT_FALSE(QFile::exists(AppPaths::DufDir() + QStringLiteral("/(all documents).css")));
    EXPECT_EQ(chosenName(), QStringLiteral("standaard"));
}

TEST_F(StyleSheetChoiceTest, MakingTheSheetInUseTheDefaultWritesACopyAndTheChoice)
{
    systemSheet(QStringLiteral("hoog_contrast.css"), Sheet("contrast"));
    systemSheet(QStringLiteral("standaard.css"), Sheet("standaard"));
    openUsageFile();
    LoadAndSetStyleSheets();
    ASSERT_TRUE(SelectStyleSheet(1));

    ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::Document));
    ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::Document)); // replaces, one element stays
    EXPECT_EQ(TestHome::ReadFile(AppPaths::DufDir() + QStringLiteral("/krant-1.css")), Sheet("contrast"));
    const QString usage = QString::fromLatin1(TestHome::ReadFile(AppPaths::DufDir() + QStringLiteral("/krant-1.duf")));
    EXPECT_EQ(usage.count(QStringLiteral("<css>krant-1.css</css>")), 1) << usage.toStdString();
    EXPECT_TRUE(usage.contains(QStringLiteral("bookmark"))); // the rest of the usage file stays

    ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::AllDocuments));
    EXPECT_EQ(GetSetting(QStringLiteral("DefaultCSS")), QStringLiteral("(all documents).css"));
    EXPECT_EQ(TestHome::ReadFile(AppPaths::DufDir() + QStringLiteral("/(all documents).css")), Sheet("contrast"));

    LoadAndSetStyleSheets();
    EXPECT_EQ(chosenName(), QStringLiteral("krant-1"));

    // Without a usage file or a document type those scopes hold nothing.
    ::Run().DufDoc.reset();
    ::Run().DocInfo[2].clear();
    EXPECT_FALSE(SaveDefaultStyleSheet(StyleScope::Document));
    EXPECT_FALSE(SaveDefaultStyleSheet(StyleScope::DocumentType));
    EXPECT_EQ(QDir(AppPaths::DufDir()).entryList(QDir::Files).size(), 3);
}

TEST_F(StyleSheetChoiceTest, ADocumentNamedLikeItsTypeOrAllKeepsItsOwnCopy)
{
    systemSheet(QStringLiteral("hoog_contrast.css"), Sheet("contrast"));
    systemSheet(QStringLiteral("standaard.css"), Sheet("standaard"));
    openUsageFile();
    for (const char* id : {"krant", "all", "(all documents)", "krant (type)"}) {
        ::Run().DocumentId = QString::fromLatin1(id);
        ::Run().DocInfo[2] = QStringLiteral("krant");
        LoadAndSetStyleSheets();
        ASSERT_TRUE(SelectStyleSheet(2));
        ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::AllDocuments));
        ASSERT_TRUE(SelectStyleSheet(1));
        ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::DocumentType));
        ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::Document));
        const QStringList names = {DocumentStyleChoice(), TypeStyleChoice(), AllDocumentsStyleChoice()};
        EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), 3) << id;
        // Removing the document's default leaves the others' copies.
        ASSERT_TRUE(RemoveDefaultStyleSheet(StyleScope::Document));
        EXPECT_EQ(TestHome::ReadFile(AppPaths::DufDir() + QLatin1Char('/') + names[1]), Sheet("contrast")) << id;
        EXPECT_EQ(TestHome::ReadFile(AppPaths::DufDir() + QLatin1Char('/') + names[2]), Sheet("standaard")) << id;
    }
}

TEST_F(StyleSheetChoiceTest, AMissingPersonalCopyFallsBackToTheTypesDefault)
{
    systemSheet(QStringLiteral("eerste.css"), Sheet("eerste"));
    systemSheet(QStringLiteral("standaard.css"), Sheet("standaard"));
    ASSERT_TRUE(SaveSetting(QStringLiteral("DefaultCSS"), QStringLiteral("weg.css")));

    LoadAndSetStyleSheets();
    EXPECT_EQ(names(), QStringList({"eerste", "standaard"}));
    EXPECT_EQ(StyleTable()[1][Style::Name], QStringLiteral("standaard"));
    EXPECT_TRUE(errorLog().contains(QStringLiteral("weg.css")));
}

TEST_F(StyleSheetChoiceTest, NamesFromTheDocumentNeverLeadOutOfTheFolder)
{
    systemSheet(QStringLiteral("standaard.css"), Sheet("standaard"));
    openUsageFile();
    ::Run().DocumentId = QStringLiteral("../../uit");
    ::Run().DocInfo[2] = QStringLiteral("krant/dag");
    LoadAndSetStyleSheets();

    ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::Document));
    ASSERT_TRUE(SaveDefaultStyleSheet(StyleScope::DocumentType));
    EXPECT_EQ(DocumentStyleChoice(), QStringLiteral("%2E.%2F..%2Fuit.css"));
    EXPECT_EQ(TypeStyleChoice(), QStringLiteral("krant%2Fdag (type).css"));
    EXPECT_EQ(QDir(AppPaths::DufDir()).entryList(QDir::Files | QDir::Hidden).size(),
              3); // both copies and the usage file

    // A stored name with folders in it is read from the DUF folder only.
    personalCopy(QStringLiteral("elders.css"), Sheet("elders"));
    ASSERT_TRUE(SaveSetting(QStringLiteral("DefaultCSS"), QStringLiteral("../../x/elders.css")));
    ASSERT_TRUE(RemoveDefaultStyleSheet(StyleScope::Document));
    ASSERT_TRUE(RemoveDefaultStyleSheet(StyleScope::DocumentType));
    EXPECT_EQ(chosenName(), QStringLiteral("elders"));
}

} // namespace
