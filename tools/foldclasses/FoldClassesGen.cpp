// velmora-foldgen: writes the fold class table the search uses when it folds variant characters,
// from Unicode's Han variant data (Unihan_Variants.txt, already decompressed). Run at build time, so
// that the reader carries the table and needs no data file at run time.
// Usage: velmora-foldgen Unihan_Variants.txt OUTPUT.cpp
//
// Two characters are in one class when a chain of kTraditionalVariant, kSimplifiedVariant,
// kSemanticVariant or kZVariant links joins them; the other kinds (specialized semantic, spoofing)
// name characters that only look alike or share a meaning in some uses, and stay apart. Each
// character of a class with more than one member is written with the smallest code point of its
// class, its representative.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::map<char32_t, char32_t> parent;

char32_t Root(char32_t c) {
    parent.emplace(c, c);
    char32_t root = c;
    while (parent[root] != root)
        root = parent[root];
    while (parent[c] != root) { // every character on the way points at the root from now on
        const char32_t up = parent[c];
        parent[c] = root;
        c = up;
    }
    return root;
}

void Join(char32_t a, char32_t b) {
    const char32_t ra = Root(a), rb = Root(b);
    if (ra != rb) parent[std::max(ra, rb)] = std::min(ra, rb);
}

// "U+5B78" or "U+6588<kLau,kMatthews" → 0x5B78 / 0x6588; 0 when it is not a code point.
char32_t CodePoint(const std::string &field) {
    if (field.size() < 3 || field[0] != 'U' || field[1] != '+') return 0;
    try {
        return char32_t(std::stoul(field.substr(2), nullptr, 16));
    } catch (...) {
        return 0;
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: velmora-foldgen Unihan_Variants.txt OUTPUT.cpp\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "velmora-foldgen: cannot read " << argv[1] << "\n";
        return 2;
    }
    static const char *const kinds[] = {"kTraditionalVariant", "kSimplifiedVariant", "kSemanticVariant",
                                        "kZVariant"};
    std::string line;
    int links = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string from, kind, to;
        if (!(fields >> from >> kind)) continue;
        if (std::find_if(std::begin(kinds), std::end(kinds), [&](const char *k) { return kind == k; }) ==
            std::end(kinds))
            continue;
        const char32_t a = CodePoint(from);
        if (!a) continue;
        while (fields >> to)
            if (const char32_t b = CodePoint(to)) {
                Join(a, b);
                ++links;
            }
    }
    if (links < 1000) { // the file is not what it should be: better no build than a reader that folds nothing
        std::cerr << "velmora-foldgen: " << argv[1] << " holds only " << links << " variant links\n";
        return 1;
    }

    std::vector<std::pair<char32_t, char32_t>> folds; // character, representative; ascending
    std::map<char32_t, int> sizes;
    for (const auto &p : parent)
        ++sizes[Root(p.first)];
    for (const auto &p : parent) {
        const char32_t root = Root(p.first);
        if (root != p.first) folds.emplace_back(p.first, root);
    }
    int classes = 0;
    for (const auto &s : sizes)
        classes += s.second > 1;

    std::ofstream out(argv[2]);
    out << "// Written by velmora-foldgen from Unihan_Variants.txt; do not edit.\n"
           "#include \"display/FoldTable.h\"\n\n"
           "const FoldPair kFoldPairs[] = {\n";
    for (const auto &f : folds)
        out << "    {0x" << std::hex << uint32_t(f.first) << ", 0x" << uint32_t(f.second) << std::dec
            << "},\n";
    out << "};\n"
           "const int kFoldPairCount = "
        << folds.size() << ";\nconst int kFoldClassCount = " << classes << ";\n";
    out.close();
    if (!out) {
        std::cerr << "velmora-foldgen: cannot write " << argv[2] << "\n";
        return 2;
    }
    return 0;
}
