// quillbook-gen-paper SIZE_MB OUT.xml: writes a synthetic newspaper of about
// SIZE_MB megabytes (1 MB = 1,000,000 bytes; fractions allowed).

#include "bench/NewspaperGenerator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE_MB OUT.xml\n", argv[0]);
        return 2;
    }
    char* end = nullptr;
    const double megabytes = std::strtod(argv[1], &end);
    if (end == argv[1] || *end != '\0' || !(megabytes > 0) || megabytes > 4096) {
        std::fprintf(stderr, "%s: SIZE_MB must be a number above 0 and at most 4096, not \"%s\"\n", argv[0], argv[1]);
        return 2;
    }
    const auto target = static_cast<size_t>(megabytes * Bench::BytesPerMB);
    if (!Bench::WriteNewspaper(argv[2], target)) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
