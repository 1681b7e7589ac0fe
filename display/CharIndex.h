#pragma once
// For each UTF-16 code unit that occurs in a notebook's searched texts, the set of its records that
// hold it. A record can hold a query only if it holds every code unit of the query, so the sets of
// the query's units, intersected, are the only records worth testing; for a one-unit query that
// searches every text the set is the answer itself.
//
// Units that most records hold leave many records to test when a query is made of them alone
// ("子曰"). The most frequent units of a sample of records are paired: each record also has a
// signature of the pairs of paired units that stand side by side in one of its texts, 512 bits with
// two set for each pair. A record whose signature lacks one of the query's pairs cannot hold it.
// The signatures are kept a bit at a time, each bit a bitmap of the records, so that a query's pairs
// narrow the candidates a word of 64 records at a time.
//
// A set is kept in the smaller of two forms: a bitmap of the notebook's records, or the ascending
// record numbers as gaps of one to five bytes each (seven bits a byte, high bit: more follow). The
// sets of frequent units are bitmaps, most others take a byte or two per record.

#include <QStringView>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <vector>

class CharIndex {
public:
    // Calls `add` with each searched text of `record`.
    using TextsOf = std::function<void(int record, const std::function<void(QStringView)> &add)>;

    CharIndex() = default;
    // Reads the texts of a sample of records, then of every record twice.
    static CharIndex Build(int records, const TextsOf &texts);

    // The number of records that hold `unit`; 0 when none does.
    int RecordsWith(char16_t unit) const;
    // The records that hold `unit`, ascending.
    std::vector<int> Records(char16_t unit) const;
    // The records that hold every code unit of `query` and whose signatures have its pairs,
    // ascending; empty when one of its units is in none.
    std::vector<int> Candidates(QStringView query) const;

    // Memory held by the index, in bytes.
    qint64 Bytes() const;

private:
    struct Set {
        quint64 at = 0;     // first byte in gaps_, or first word in bits_
        quint32 count = 0;  // records holding the unit
        bool dense = false; // a bitmap
    };
    class Walk;

    const Set *Find(char16_t unit) const;
    int RankOf(char16_t unit) const; // -1 when the unit is not paired
    void Fill(const Set &set, std::vector<int> &out) const;
    bool Test(const Set &set, int record) const;

    int records_ = 0;
    std::vector<char16_t> units_; // ascending; units_[i] has sets_[i]
    std::vector<Set> sets_;
    std::vector<uint8_t> gaps_;
    std::vector<uint64_t> bits_;
    std::vector<char16_t> paired_;     // ascending; a unit's rank is its place here
    std::vector<uint64_t> signatures_; // 512 bitmaps of the records, one for each bit
};
