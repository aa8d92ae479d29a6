#include "package/dom/tests/WhitespaceReference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

void ExpectSameTree(const std::string& text)
{
    const WhitespaceReference::Trees t = WhitespaceReference::Build(text);
    ASSERT_EQ(t.referenceOk, t.markedOk) << text;
    EXPECT_EQ(t.reference, t.marked) << text;
}

TEST(DomWhitespace, KeepsWhatTheTreeShouldKeep)
{
    for (const char* text : {
             "<p><b>a</b> <i>b</i></p>",                       // blank between inline elements
             "<r>\n\t<b>\n\t\t<c>x</c>\n\t</b>\n</r>",         // indentation only
             "<r>\r\n\t<b>\r\n\t\t<c>x</c>\r\n\t</b>\r\n</r>", // the same with CR LF
             "<p>Hi\n<i>there</i>\n</p>",                      // mixed content keeps its breaks
             "<p>\r\n<b>x</b>\r\n tail</p>",                   // a kept run starting with CR LF
             "<p>\r<b>x</b>\r\r\n<i>y</i>text</p>",            // lone CRs and CR CR LF
             "<p>\n<![CDATA[x]]>\n</p>",                       // CDATA is text
             "<p>\n<!-- a > b -->\n</p>",                      // comments are not
             "<p>\n<!-- c -->text</p>",                        // text after a comment
             "<p>\n<?pi x > y?>\n<b/>\n</p>",                  // nor processing instructions
             "<p a='>' b=\"/>\">\n<b/> <c x='<'/>\n</p>",      // '>' in attribute values
             "<!DOCTYPE r [<!ELEMENT r ANY><!-- ]> --><!ATTLIST r a CDATA '>'>]>\n<r>\n <b/> \n</r>",
             "<r>  </r>",                      // blanks only: kept
             "<r>\n</r>",                      // a break only: gone
             "<r><a>\n</a>text<b> </b>\n</r>", // each element decides for itself
             "<r>\t<a/>\t<b/>\n<c>t</c></r>",
             "<?xml version='1.0'?>\n<!-- lead -->\n<r>\n<x>1</x>\n</r>\n<!-- tail -->\n",
         })
        ExpectSameTree(text);
}

TEST(DomWhitespace, BrokenDocumentsFailAlike)
{
    for (const char* text : {"<r>\n<a>\n</r>", "<r a='>\n</r>", "<r>\n<!-- open", "<r><![CDATA[\n</r>", "</r>\n<r/>",
                             "<r>\n</a>\n</r>", "<r\n", "<"})
        ExpectSameTree(text);
}

// Small random documents of tags, blanks, breaks, text and markup.
TEST(DomWhitespace, RandomDocumentsGiveTheSameTree)
{
    const std::vector<std::string> pieces{"<a>", "</a>",  "<b x='>'>", "</b>",          "<c/>",
                                          " ",   "\t",    "\n",        "\r\n",          "\r",
                                          "w",   "&amp;", "<!--c-->",  "<![CDATA[ ]]>", "<?p?>"};
    std::mt19937 random(20261206);
    int compared = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text = "<r>";
        const int length = 1 + static_cast<int>(random() % 14);
        for (int i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
        text += "</r>";
        const WhitespaceReference::Trees t = WhitespaceReference::Build(text);
        ASSERT_EQ(t.referenceOk, t.markedOk) << text;
        if (t.referenceOk) {
            ASSERT_EQ(t.reference, t.marked) << text;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000); // enough of them were well-formed to mean something
}

} // namespace
