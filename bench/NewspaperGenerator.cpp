#include "bench/NewspaperGenerator.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace Bench {
namespace {

// xorshift64: the same sequence everywhere, unlike the standard library's
// distributions, whose output may differ between implementations.
class XorShift {
public:
    explicit XorShift(uint64_t seed) : m_state(seed ? seed : 0x9E37'79B9'7F4A'7C15ull) {}

    uint64_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    // 0 .. n-1.
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(((next() >> 32) * n) >> 32); }
    bool percent(uint32_t p) { return below(100) < p; }
    template <size_t N> std::string_view pick(const std::array<std::string_view, N>& list)
    {
        return list[below(static_cast<uint32_t>(N))];
    }

private:
    uint64_t m_state;
};

// Words and names are ISO-8859-1 byte strings: \xE9 is e acute, \xEB e
// diaeresis and so on, all at or above 0xC0.
constexpr std::array<std::string_view, 34> Onsets{
    "b",   "d",  "g",  "h",  "k",  "l",  "m",  "n",  "p",  "r",  "s",  "t",  "v",  "w", "z", "j", "st",
    "sch", "kr", "gr", "br", "dr", "tr", "sl", "sp", "bl", "pl", "vr", "zw", "kl", "",  "",  "",  ""};
constexpr std::array<std::string_view, 20> Nuclei{"a",  "e",  "i",  "o",  "u",  "a",  "e",  "e",  "o",  "aa",
                                                  "ee", "oo", "ie", "oe", "ou", "ui", "ei", "ij", "eu", "au"};
constexpr std::array<std::string_view, 8> AccentedNuclei{"\xE9", "\xEB", "\xEF", "\xF6",
                                                         "\xFC", "\xE8", "\xE0", "\xE9\xE9"};
constexpr std::array<std::string_view, 20> Codas{"",  "",   "",   "",   "n",   "r",  "l",  "k",  "t",  "s",
                                                 "m", "nd", "rt", "ld", "cht", "ng", "st", "rs", "ns", "ft"};
constexpr std::array<std::string_view, 10> Suffixes{"en", "heid", "ing",  "lijk",  "tje",
                                                    "er", "ers",  "baar", "schap", "ig"};
constexpr std::array<std::string_view, 40> Common{
    "de",  "het", "een", "en",  "van",  "in",   "op",    "met",   "voor", "is",   "dat", "niet", "aan",  "er",
    "ook", "om",  "bij", "als", "naar", "zijn", "wordt", "werd",  "nog",  "over", "tot", "uit",  "maar", "door",
    "na",  "al",  "dan", "wel", "zo",   "geen", "meer",  "heeft", "hun",  "dit",  "die", "wat"};
constexpr std::array<std::string_view, 20> FirstNames{"Roelof",
                                                      "Femke",
                                                      "Klaas",
                                                      "Wietske",
                                                      "Hennie",
                                                      "Trijntje",
                                                      "Sjoerd",
                                                      "Anneke",
                                                      "Geert",
                                                      "Marieke",
                                                      "Jan",
                                                      "Ineke",
                                                      "Zo\xEB",
                                                      "Ren\xE9"
                                                      "e",
                                                      "Andr\xE9",
                                                      "No\xEBlle",
                                                      "Jo\xEBl",
                                                      "Chlo\xE9",
                                                      "Bart",
                                                      "Lotte"};
constexpr std::array<std::string_view, 18> LastNames{
    "Bakker",   "de Haan", "Mulder", "Hoogeboom", "Wolters",  "Jansen",  "Visser",  "Smit",      "de Vries",
    "van Dijk", "Meijer",  "Bosma",  "Postma",    "Dijkstra", "Kuipers", "Ha\xEFk", "M\xFCller", "Bont\xE9"};
constexpr std::array<std::string_view, 16> Sections{
    "Binnenland", "Buitenland", "Economie", "Regio",      "Sport",     "Cultuur",  "Wetenschap", "Opinie",
    "Media",      "Wonen",      "Reizen",   "Gezondheid", "Onderwijs", "Landbouw", "Verkeer",    "Caf\xE9 en cuisine"};

constexpr std::string_view Crlf = "\r\n";
constexpr std::string_view DocumentEnd = "\t</rubriek>\r\n</krant>\r\n";

class Writer {
public:
    explicit Writer(uint64_t seed) : m_rng(seed) {}

    void meta(std::string& out)
    {
        out += "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<krant>\r\n\t<meta>\r\n";
        field(out, 2, "krant-id", "PROEFKRANT-20270115");
        field(out, 2, "krantnaam", "De Proefkrant");
        field(out, 2, "soort", "krant");
        field(out, 2, "ondertitel", "Dagblad voor het Oosten en het Zuiden");
        field(out, 2, "editie", "Vrijdag 15 januari 2027, editie Stad en Streek");
        field(out, 2, "auteur",
              "Hoofdredactie: Ren\xE9"
              "e Dijkstra");
        field(out, 2, "uitgever", "Uitgeverij Scheldemond Media, Middelburg");
        field(out, 2, "datum", "2027-01-15");
        out += "\t</meta>\r\n";
    }

    // The opening of section number n (0-based), closing the previous one first.
    void sectionStart(std::string& out, int n)
    {
        if (n > 0)
            out += "\t</rubriek>\r\n";
        out += "\t<rubriek>\r\n\t\t<titel>\r\n\t\t\t<head>";
        if (n == 0) {
            out += "Voorpagina";
        } else {
            out += Sections[static_cast<size_t>(n - 1) % Sections.size()];
            if (const size_t round = static_cast<size_t>(n - 1) / Sections.size(); round > 0) {
                out += ", deel ";
                out += std::to_string(round + 1);
            }
        }
        out += "</head>\r\n\t\t</titel>\r\n";
    }

    void article(std::string& out)
    {
        out += "\t\t<artikel>\r\n\t\t\t<titel>\r\n";
        open(out, 4, "head");
        sentence(out, 4 + m_rng.below(6), false);
        close(out, "head");
        open(out, 4, "onderkop");
        sentence(out, 8 + m_rng.below(10), false);
        close(out, "onderkop");
        out += "\t\t\t</titel>\r\n";
        open(out, 3, "auteur");
        out += "Door ";
        name(out);
        if (m_rng.percent(25)) {
            out += " en ";
            name(out);
        }
        close(out, "auteur");
        open(out, 3, "intro");
        sentences(out, 2 + m_rng.below(2));
        close(out, "intro");
        // A page mark every few articles.
        if (m_untilPage-- == 0) {
            open(out, 3, "pagenum");
            out += std::to_string(m_page++);
            close(out, "pagenum");
            m_untilPage = 1 + m_rng.below(4);
        }
        for (uint32_t i = 3 + m_rng.below(7); i > 0; --i) {
            open(out, 3, "p");
            sentences(out, 2 + m_rng.below(5));
            close(out, "p");
        }
        out += "\t\t</artikel>\r\n";
    }

private:
    static void indent(std::string& out, int depth) { out.append(static_cast<size_t>(depth), '\t'); }

    static void open(std::string& out, int depth, std::string_view tag)
    {
        indent(out, depth);
        out += '<';
        out += tag;
        out += '>';
    }

    static void close(std::string& out, std::string_view tag)
    {
        out += "</";
        out += tag;
        out += '>';
        out += Crlf;
    }

    static void field(std::string& out, int depth, std::string_view tag, std::string_view text)
    {
        open(out, depth, tag);
        out += text;
        close(out, tag);
    }

    void name(std::string& out)
    {
        out += m_rng.pick(FirstNames);
        out += ' ';
        out += m_rng.pick(LastNames);
    }

    void word(std::string& out)
    {
        if (m_rng.percent(40)) {
            out += m_rng.pick(Common);
            return;
        }
        for (uint32_t s = 1 + m_rng.below(3); s > 0; --s) {
            out += m_rng.pick(Onsets);
            out += m_rng.percent(4) ? m_rng.pick(AccentedNuclei) : m_rng.pick(Nuclei);
            out += m_rng.pick(Codas);
        }
        if (m_rng.percent(20))
            out += m_rng.pick(Suffixes);
    }

    // Upper case for the first letter written at from, Latin-1 letters included.
    static void capitalize(std::string& out, size_t from)
    {
        if (from >= out.size())
            return;
        auto& c = reinterpret_cast<unsigned char&>(out[from]);
        if (c >= 'a' && c <= 'z') {
            // Dutch capitalizes the ij digraph as a whole.
            if (c == 'i' && from + 1 < out.size() && out[from + 1] == 'j')
                out[from + 1] = 'J';
            c = static_cast<unsigned char>(c - 'a' + 'A');
        } else if (c >= 0xE0 && c != 0xF7 && c != 0xFF) {
            c = static_cast<unsigned char>(c - 0x20);
        }
    }

    void amount(std::string& out)
    {
        char buffer[32];
        if (m_rng.percent(50))
            std::snprintf(buffer, sizeof buffer, "&#8364; %u,%02u", 1 + m_rng.below(999), m_rng.below(100));
        else
            std::snprintf(buffer, sizeof buffer, "&#8364; %u,%u miljoen", 1 + m_rng.below(99), m_rng.below(10));
        out += buffer;
    }

    // words words, the first capitalized, then a full stop (or not, for a head).
    void sentence(std::string& out, uint32_t words, bool fullStop)
    {
        const size_t start = out.size();
        bool bold = false;
        for (uint32_t i = 0; i < words; ++i) {
            if (i > 0)
                out += (i > 3 && m_rng.percent(6)) ? ", " : " ";
            if (fullStop && !bold && i > 0 && i + 2 < words && m_rng.percent(1)) {
                out += "<b>";
                bold = true;
            }
            if (i > 1 && m_rng.percent(2))
                amount(out);
            else if (i > 1 && m_rng.percent(1))
                out += "zo&apos;n";
            else
                word(out);
            if (bold && m_rng.percent(40)) {
                out += "</b>";
                bold = false;
            }
        }
        if (bold)
            out += "</b>";
        capitalize(out, start);
        if (fullStop)
            out += '.';
    }

    void sentences(std::string& out, uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i) {
            if (i > 0)
                out += ' ';
            sentence(out, 6 + m_rng.below(13), true);
        }
    }

    XorShift m_rng;
    unsigned m_page = 1;
    uint32_t m_untilPage = 0; // the first article opens page 1
};

} // namespace

std::string GenerateNewspaper(size_t targetBytes, uint64_t seed)
{
    Writer writer(seed);
    XorShift sizes(seed ^ 0xA5A5'A5A5'A5A5'A5A5ull);
    std::string out;
    out.reserve(targetBytes + 64 * 1024);
    writer.meta(out);

    std::string next; // the next article, with its section opening when it starts one
    int section = 0;
    uint32_t left = 0; // articles still to come in the current section
    size_t articles = 0;
    for (;;) {
        next.clear();
        const bool opensSection = left == 0;
        if (opensSection)
            writer.sectionStart(next, section);
        writer.article(next);
        // Stop when this article would take the document further from the target than leaving it out.
        const size_t without = out.size() + DocumentEnd.size();
        const size_t with = without + next.size();
        if (articles > 0 && with > targetBytes &&
            with - targetBytes > (targetBytes > without ? targetBytes - without : 0))
            break;
        out += next;
        ++articles;
        if (opensSection) {
            ++section;
            left = 30 + sizes.below(69); // 30 .. 98 articles
        }
        --left;
    }
    out += DocumentEnd;
    return out;
}

bool WriteNewspaper(const std::string& path, size_t targetBytes, uint64_t seed)
{
    const std::string text = GenerateNewspaper(targetBytes, seed);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

} // namespace Bench
