#include "display/CharIndex.h"

#include <algorithm>

namespace {

constexpr int kUnits = 0x10000;
// The units paired: those in at least 1/kPairedShare of about kSampled records, kMaxPaired at most.
constexpr int kMaxPaired = 128;
constexpr int kPairedShare = 16;
constexpr int kSampled = 2048;
constexpr int kSignatureBits = 512;

// The two signature bits of the pair of ranks `a`, `b`.
inline void PairBits(int a, int b, quint32 &one, quint32 &two) {
    const quint32 h = quint32(a * kMaxPaired + b) * 0x9E3779B1u;
    one = h >> 23;
    two = (h >> 14) & (kSignatureBits - 1);
}

// Without branches: gaps of one and of two bytes are about as frequent among the rarer units.
int GapBytes(quint32 gap) {
    return 1 + (gap >= 1u << 7) + (gap >= 1u << 14) + (gap >= 1u << 21) + (gap >= 1u << 28);
}

// Returns how many bytes were written.
int PutGap(uint8_t *p, quint32 gap) {
    const int n = GapBytes(gap);
    for (int i = 0; i < n; ++i)
        p[i] = uint8_t(((gap >> (7 * i)) & 0x7F) | (i + 1 < n ? 0x80 : 0));
    return n;
}

// Appends the numbers of the set bits, ascending.
void AppendBits(const uint64_t *words, size_t count, std::vector<int> &out) {
    for (size_t w = 0; w < count; ++w)
        for (uint64_t bits = words[w]; bits; bits &= bits - 1)
            out.push_back(int(w * 64 + size_t(__builtin_ctzll(bits))));
}

// Tables with an entry for every UTF-16 code unit, for building an index. They are kept for the
// thread's next build and are all zero between builds, only the entries of the units seen being put
// back, so that a small notebook costs what it holds rather than 65536 entries of each.
struct Scratch {
    std::vector<int> last;      // 1 + the last record that held the unit; 0: none yet
    std::vector<quint32> count; // records that hold it
    std::vector<quint64> bytes; // bytes of its gaps, then where its next gap or bit goes
    std::vector<uint8_t> rank;  // 1 + its rank when paired (up to kMaxPaired); 0: not paired
    std::vector<uint8_t> dense; // its set is a bitmap
    std::vector<uint64_t> held; // a bit for each unit whose entries may not be zero

    Scratch() : last(kUnits), count(kUnits), bytes(kUnits), rank(kUnits), dense(kUnits), held(kUnits / 64) {}
    void Hold(char16_t u) { held[u / 64] |= uint64_t(1) << (u % 64); }
    // The units held, ascending.
    std::vector<char16_t> Held() const {
        std::vector<char16_t> units;
        for (size_t w = 0; w < held.size(); ++w)
            for (uint64_t b = held[w]; b; b &= b - 1)
                units.push_back(char16_t(w * 64 + size_t(__builtin_ctzll(b))));
        return units;
    }
    void Clear() {
        for (char16_t u : Held())
            last[u] = 0, count[u] = 0, bytes[u] = 0, rank[u] = 0, dense[u] = 0;
        std::fill(held.begin(), held.end(), 0);
    }
};

// Puts the scratch tables back to zero however the build ends.
struct ScratchGuard {
    Scratch &scratch;
    ~ScratchGuard() { scratch.Clear(); }
};

} // namespace

// Reads a sparse set's records one after another; must not be asked for more than the set holds.
class CharIndex::Walk {
public:
    explicit Walk(const uint8_t *p) : p_(p) {}
    int Next() {
        quint32 gap = 0;
        int shift = 0;
        uint8_t byte;
        do {
            byte = *p_++;
            gap |= quint32(byte & 0x7F) << shift;
            shift += 7;
        } while (byte & 0x80);
        record_ += int(gap) + 1;
        return record_;
    }

private:
    const uint8_t *p_;
    int record_ = -1;
};

CharIndex CharIndex::Build(int records, const TextsOf &texts) {
    CharIndex index;
    index.records_ = records;
    if (records <= 0) return index;
    const quint64 words = (quint64(records) + 63) / 64;
    static thread_local Scratch scratch;
    const ScratchGuard guard{scratch};
    std::vector<int> &last = scratch.last;
    std::vector<quint32> &count = scratch.count;
    int e = 0;

    // The units to pair: the most frequent in a sample of records spread over the notebook. A poor
    // sample costs only time, as every set and signature holds all the records it should.
    const int step = std::max(1, records / kSampled);
    int sampled = 0;
    const std::function<void(QStringView)> sample = [&](QStringView text) {
        for (QChar c : text) {
            const char16_t u = c.unicode();
            scratch.Hold(u);
            count[u] += last[u] != e + 1;
            last[u] = e + 1;
        }
    };
    for (e = 0; e < records; e += step, ++sampled)
        texts(e, sample);
    std::vector<char16_t> &frequent = index.paired_;
    for (char16_t u : scratch.Held())
        if (count[u] * kPairedShare >= quint32(sampled)) frequent.push_back(u);
    std::sort(frequent.begin(), frequent.end(),
              [&](char16_t a, char16_t b) { return count[a] != count[b] ? count[a] > count[b] : a < b; });
    if (frequent.size() > size_t(kMaxPaired)) frequent.resize(kMaxPaired);
    std::sort(frequent.begin(), frequent.end());
    frequent.shrink_to_fit();
    scratch.Clear();
    for (size_t r = 0; r < frequent.size(); ++r) {
        scratch.rank[frequent[r]] = uint8_t(r + 1);
        scratch.Hold(frequent[r]);
    }
    const uint8_t *const rank = scratch.rank.data();

    // One pass over the texts. A record's paired units and the pairs of them side by side gather in
    // a few words of its own (`present`, by rank, and `signature`), which then go to the bitmaps;
    // every other unit new to the record is noted: record e's are seen[ends[e]] up to
    // seen[ends[e + 1]]. Whether a unit is paired or new is too even a toss to branch on, so every
    // unit is written, and counted by 0 when it does not count.
    const size_t paired = index.paired_.size();
    index.bits_.assign(paired * words, 0);
    index.signatures_.assign(size_t(kSignatureBits) * words, 0);
    std::vector<char16_t> seen;
    std::vector<size_t> ends(size_t(records) + 1, 0);
    size_t used = 0;
    uint64_t present[kMaxPaired / 64] = {}, signature[kSignatureBits / 64] = {};
    const std::function<void(QStringView)> note = [&](QStringView text) {
        if (seen.size() < used + size_t(text.size()))
            seen.resize(std::max(seen.size() * 2, used + size_t(text.size())));
        // Locals, not the captured variables, so that the stores below need not be read back.
        const int stamp = e + 1;
        size_t n = used;
        char16_t *const out = seen.data();
        int *const lastOf = last.data();
        uint64_t *const held = scratch.held.data();
        int before = -1; // the rank of the unit before, in this text
        for (QChar c : text) {
            const char16_t u = c.unicode();
            const int r = rank[u] - 1;
            const uint64_t isPaired = uint64_t(0) - uint64_t(r >= 0);
            present[(r / 64) & 1] |= isPaired & (uint64_t(1) << (r & 63));
            quint32 one, two;
            PairBits(before & (kMaxPaired - 1), r & (kMaxPaired - 1), one, two);
            const uint64_t isPair = uint64_t(0) - uint64_t((before | r) >= 0);
            signature[one / 64] |= isPair & (uint64_t(1) << (one % 64));
            signature[two / 64] |= isPair & (uint64_t(1) << (two % 64));
            before = r;
            held[u / 64] |= uint64_t(1) << (u % 64);
            out[n] = u;
            n += (lastOf[u] != stamp) & (r < 0);
            lastOf[u] = stamp;
        }
        used = n;
    };
    // Sets record e's bit in the bitmap of each bit set in `gathered` (`count` words), `first` the
    // first of those bitmaps, and clears `gathered`.
    const auto spread = [&](uint64_t *gathered, int count, uint64_t *first) {
        const uint64_t bit = uint64_t(1) << (e % 64);
        for (int w = 0; w < count; ++w) {
            for (uint64_t b = gathered[w]; b; b &= b - 1)
                first[(size_t(w) * 64 + size_t(__builtin_ctzll(b))) * words + size_t(e) / 64] |= bit;
            gathered[w] = 0;
        }
    };
    for (e = 0; e < records; ++e) {
        texts(e, note);
        ends[size_t(e) + 1] = used;
        spread(present, kMaxPaired / 64, index.bits_.data());
        spread(signature, kSignatureBits / 64, index.signatures_.data());
    }
    const std::vector<char16_t> units = scratch.Held(); // every unit of the notebook, ascending

    // Per other unit, how many records hold it and how many bytes their gaps take.
    for (char16_t u : units)
        last[u] = 0;
    std::vector<quint64> &bytes = scratch.bytes;
    for (e = 0; e < records; ++e)
        for (size_t i = ends[size_t(e)]; i < ends[size_t(e) + 1]; ++i) {
            const char16_t u = seen[i];
            bytes[u] += quint64(GapBytes(quint32(e - last[u])));
            ++count[u];
            last[u] = e + 1;
        }

    // Each set in the smaller form, the paired units' bitmaps as they are; `next` is where an
    // other unit's next record goes, in gaps_ or bits_.
    std::vector<quint64> &next = bytes;
    std::vector<uint8_t> &dense = scratch.dense;
    quint64 gapBytes = 0, bitWords = paired * words;
    index.units_.reserve(units.size());
    index.sets_.reserve(units.size());
    for (char16_t u : units) {
        Set s;
        if (rank[u]) {
            s.dense = true;
            s.at = quint64(rank[u] - 1) * words;
            for (quint64 w = 0; w < words; ++w)
                s.count += quint32(__builtin_popcountll(index.bits_[s.at + w]));
        } else {
            s.count = count[u];
            s.dense = bytes[u] > words * 8;
            s.at = s.dense ? bitWords : gapBytes;
            (s.dense ? bitWords : gapBytes) += s.dense ? words : bytes[u];
            next[u] = s.at;
            dense[u] = s.dense;
        }
        if (!s.count) continue;
        index.units_.push_back(u);
        index.sets_.push_back(s);
    }
    index.units_.shrink_to_fit();
    index.sets_.shrink_to_fit();
    index.bits_.resize(bitWords, 0);
    index.gaps_.resize(gapBytes);

    // Then every noted unit of every record is a record its set gains.
    for (char16_t u : units)
        last[u] = 0;
    uint8_t *const gaps = index.gaps_.data();
    uint64_t *const bits = index.bits_.data();
    for (e = 0; e < records; ++e)
        for (size_t i = ends[size_t(e)]; i < ends[size_t(e) + 1]; ++i) {
            const char16_t u = seen[i];
            if (dense[u])
                bits[next[u] + quint64(e) / 64] |= uint64_t(1) << (e % 64);
            else
                next[u] += quint64(PutGap(gaps + next[u], quint32(e - last[u])));
            last[u] = e + 1;
        }
    return index;
}

const CharIndex::Set *CharIndex::Find(char16_t unit) const {
    const auto it = std::lower_bound(units_.begin(), units_.end(), unit);
    return it != units_.end() && *it == unit ? &sets_[size_t(it - units_.begin())] : nullptr;
}

int CharIndex::RankOf(char16_t unit) const {
    const auto it = std::lower_bound(paired_.begin(), paired_.end(), unit);
    return it != paired_.end() && *it == unit ? int(it - paired_.begin()) : -1;
}

int CharIndex::RecordsWith(char16_t unit) const {
    const Set *s = Find(unit);
    return s ? int(s->count) : 0;
}

void CharIndex::Fill(const Set &set, std::vector<int> &out) const {
    out.reserve(out.size() + set.count);
    if (set.dense) {
        AppendBits(bits_.data() + set.at, (size_t(records_) + 63) / 64, out);
        return;
    }
    Walk walk(gaps_.data() + set.at);
    for (quint32 i = 0; i < set.count; ++i)
        out.push_back(walk.Next());
}

bool CharIndex::Test(const Set &set, int record) const {
    return (bits_[set.at + quint64(record) / 64] >> (record % 64)) & 1;
}

std::vector<int> CharIndex::Records(char16_t unit) const {
    std::vector<int> out;
    if (const Set *s = Find(unit)) Fill(*s, out);
    return out;
}

std::vector<int> CharIndex::Candidates(QStringView query) const {
    std::vector<const Set *> sets;
    std::vector<const uint64_t *> pairs; // the signature bitmaps of the query's pairs
    const size_t words = (size_t(records_) + 63) / 64;
    int before = -1;
    for (QChar c : query) {
        const Set *s = Find(c.unicode());
        if (!s) return {};
        sets.push_back(s);
        const int r = RankOf(c.unicode());
        if ((before | r) >= 0) {
            quint32 one, two;
            PairBits(before, r, one, two);
            pairs.push_back(signatures_.data() + one * words);
            pairs.push_back(signatures_.data() + two * words);
        }
        before = r;
    }
    std::sort(sets.begin(), sets.end());
    sets.erase(std::unique(sets.begin(), sets.end()), sets.end());
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    if (sets.empty()) return {};
    std::sort(sets.begin(), sets.end(), [](const Set *a, const Set *b) { return a->count < b->count; });

    // A sparse set to start from, the smallest, if there is one: the paired units' sets are bitmaps
    // however few records they have.
    const auto sparse = std::find_if(sets.begin(), sets.end(), [](const Set *s) { return !s->dense; });
    std::rotate(sets.begin(), sparse, sparse == sets.end() ? sparse : sparse + 1);
    std::vector<int> out;
    if (sets.front()->dense) {
        // All are bitmaps: one AND a word, the signature bitmaps too.
        std::vector<uint64_t> both(bits_.begin() + qsizetype(sets.front()->at),
                                   bits_.begin() + qsizetype(sets.front()->at + words));
        for (size_t i = 1; i < sets.size(); ++i) {
            const uint64_t *other = bits_.data() + sets[i]->at;
            for (size_t w = 0; w < words; ++w)
                both[w] &= other[w];
        }
        for (const uint64_t *other : pairs)
            for (size_t w = 0; w < words; ++w)
                both[w] &= other[w];
        AppendBits(both.data(), words, out);
        return out;
    }

    // From the smallest set on: bitmaps are tested bit by bit, sparse sets walked beside the list.
    Fill(*sets.front(), out);
    for (size_t i = 1; i < sets.size() && !out.empty(); ++i) {
        const Set &s = *sets[i];
        size_t kept = 0;
        if (s.dense) {
            for (int e : out)
                if (Test(s, e)) out[kept++] = e;
        } else {
            Walk walk(gaps_.data() + s.at);
            quint32 left = s.count;
            int r = -1;
            for (int e : out) {
                while (r < e && left) {
                    r = walk.Next();
                    --left;
                }
                if (r == e)
                    out[kept++] = e;
                else if (r < e) // the set has run out
                    break;
            }
        }
        out.resize(kept);
    }
    size_t kept = 0;
    for (int e : out) {
        bool all = true;
        for (const uint64_t *bitmap : pairs)
            all = all && ((bitmap[size_t(e) / 64] >> (e % 64)) & 1);
        if (all) out[kept++] = e;
    }
    out.resize(kept);
    return out;
}

qint64 CharIndex::Bytes() const {
    return qint64(sizeof(*this) + units_.capacity() * sizeof(char16_t) + sets_.capacity() * sizeof(Set) +
                  gaps_.capacity() + (bits_.capacity() + signatures_.capacity()) * sizeof(uint64_t) +
                  paired_.capacity() * sizeof(char16_t));
}
