#pragma once

// Pattern fill layers (`PtFl`) and the patterns they name, which the document keeps in a
// `Patt`, `Pat2` or `Pat3` block after its layers: each an image of its own mode, tiled.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SectionReader;
struct Descriptor;

struct Pattern {
    std::string id;
    int mode = 0; // as the header's colour mode
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::vector<std::vector<unsigned char>> channels; // 8-bit, rows from the top
};

struct PatternFill {
    bool present = false;
    std::string id; // of the pattern
    // What of the fill's settings is not read or not drawn, such as a scale; "" where none.
    std::string unread;
    std::shared_ptr<const Pattern> pattern; // where the document holds it
};

// The pattern and its layout under `path` of `descriptor`: "" for a fill layer's, the effect's
// path for a pattern overlay's.
PatternFill PatternFillOf(const Descriptor &descriptor, const std::string &path);

// The fill of the `PtFl` block from the reader's position to `end`.
PatternFill ReadPatternFill(SectionReader &reader, std::uint64_t end);

// The patterns of a pattern block from the reader's position to `end`, as far as they read:
// 8-bit ones, without transparency of their own.
std::vector<Pattern> ReadPatterns(SectionReader &reader, std::uint64_t end);
