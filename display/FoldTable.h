#pragma once
// The fold class table velmora-foldgen writes at build time (FoldTable.cpp in the build folder):
// every character of a variant class with more than one member, ascending, with its class's
// representative (its smallest member).

struct FoldPair {
    char32_t character;
    char32_t representative;
};
extern const FoldPair kFoldPairs[];
extern const int kFoldPairCount;
extern const int kFoldClassCount;
