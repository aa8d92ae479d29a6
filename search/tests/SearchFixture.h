#pragma once

// A document opened for reading without any window: the real open pipeline,
// lists, text view model and text build, the navigator, and the search over
// them, with hosts that record what the window would do.

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "render/TextState.h"
#include "search/SearchChoices.h"
#include "search/SearchEntries.h"
#include "search/SearchHost.h"
#include "search/TextSearch.h"
#include "settings/modLanguage.h"
#include "tests/support/ReadingFixture.h"
#include "tests/support/TestHome.h"

#include <functional>
#include <gtest/gtest.h>

struct RecordingSearchHost : SearchHost {
    int windowShown = 0;
    bool resultsEnabled = false;
    int placeChanges = 0;
    // What the reader does in the search window; by default, OK with the choices as they are.
    std::function<void()> inWindow;
    void showSearchWindow() override
    {
        ++windowShown;
        if (inWindow)
            inWindow();
    }
    void setSearchResultsEnabled(bool enabled) override { resultsEnabled = enabled; }
    void searchMenusChanged() override {}
    void searchPlaceChanged(bool) override { ++placeChanges; }
};

class SearchFixture : public ReadingFixture {
protected:
    void SetUp() override
    {
        ReadingFixture::SetUp();
        ResetSearchChoices();
        ForgetSearchableEntries();
    }
    void TearDown() override
    {
        ForgetSearchableEntries();
        ResetSearchChoices();
        ResetProgramState();
    }

    void openNewspaper() { openSample(); }
    // A newspaper of our own: sections of articles, each article a list of paragraphs.
    void openPaper(const std::vector<std::vector<QStringList>>& sections)
    {
        QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<krant><meta><krant-id>T-1</krant-id>"
                         "<krantnaam>Proefkrant</krantnaam></meta>\n";
        int s = 0;
        for (const auto& articles : sections) {
            xml += "<rubriek><titel><head>Rubriek " + QByteArray::number(++s) + "</head></titel>\n";
            int a = 0;
            for (const QStringList& paragraphs : articles) {
                xml += "<artikel><titel><head>Artikel " + QByteArray::number(s) + "." + QByteArray::number(++a) +
                       "</head></titel>";
                for (const QString& p : paragraphs)
                    xml += "<p>" + p.toUtf8() + "</p>";
                xml += "</artikel>\n";
            }
            xml += "</rubriek>\n";
        }
        xml += "</krant>\n";
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("krant.xml"), xml));
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("krant.xdf"),
                                        "DOC_ID_TAG=krant-id\nDOC_TITLE_TAG=krantnaam\n"
                                        "NAV_LEVEL1=rubriek/titel/head\nNAV_LEVEL2=artikel/titel/head\n"));
        ASSERT_TRUE(LoadDocumentFromWorkingFolder(QStringLiteral("/elders/krant.zip"), false).opened());
        nav.ShowFirstLevel();
    }

    // Types the phrase into the search window with these choices and presses OK.
    void find(const QString& phrase, bool wholeWord = false, bool caseSensitive = false, int scope = 0,
              int direction = 0, int showResults = 0)
    {
        searchHost.inWindow = [=] {
            Choices().SearchString = phrase;
            Choices().SearchScope = scope;
            Choices().ShowResults = showResults;
            Txt().SearchWholeWord = wholeWord;
            Txt().SearchCaseSensitive = caseSensitive;
            Txt().SearchDirection = direction;
        };
        search.mnuEditFind_Click();
        // Nothing is left to swallow the reader's next key.
        EXPECT_FALSE(::Run().IgnoreNextKeyUp);
    }
    // The rows of the results list.
    QStringList results() const { return lists.entries(0); }
    std::vector<QString> questionTexts() const
    {
        std::vector<QString> texts;
        for (const auto& q : prompter.questions())
            texts.push_back(q.text);
        return texts;
    }

    RecordingSearchHost searchHost;
    TextSearch search{nav, lists, viewer, searchHost};
};
