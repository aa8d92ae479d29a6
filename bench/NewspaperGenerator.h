#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Synthetic newspapers for the benchmarks: the vocabulary of the bundled
// sample (krant, meta, rubriek, artikel, titel/head, onderkop, auteur, intro,
// p, pagenum), ISO-8859-1 with accented letters and a few character
// references, tab indentation and CR LF line ends like the program's own
// files. The text is pseudo-random Dutch-looking prose from a fixed seed, so a
// given size and seed always give the same bytes, on any machine.
namespace Bench {

// One megabyte as the generator and the benchmarks count it.
constexpr size_t BytesPerMB = 1'000'000;

// The seed the benchmarks and tests use.
constexpr uint64_t DefaultSeed = 0x51D3'0FDA'6B1A'D001ull;

// A well-formed newspaper of about targetBytes bytes (the whole article that
// lands closest to the target is the last one). Sections hold up to 98
// articles; larger targets get more sections. Always at least one article.
std::string GenerateNewspaper(size_t targetBytes, uint64_t seed = DefaultSeed);

// Writes GenerateNewspaper(targetBytes, seed) to path; false when it cannot be written.
bool WriteNewspaper(const std::string& path, size_t targetBytes, uint64_t seed = DefaultSeed);

} // namespace Bench
