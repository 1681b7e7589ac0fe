#include "display/FoldClasses.h"

#include "display/FoldTable.h"

#include <algorithm>
#include <vector>

namespace {

// A table of every UTF-16 unit for the Basic Multilingual Plane, where nearly all of the text is (a
// BMP character's representative, the smallest of its class, is in the plane too), and the table's
// characters beyond it, searched by halves.
struct Lookup {
    std::vector<char16_t> plane;
    const FoldPair *beyond = nullptr;
    int beyondCount = 0;

    Lookup() : plane(0x10000) {
        for (int u = 0; u < 0x10000; ++u)
            plane[size_t(u)] = char16_t(u);
        int i = 0;
        for (; i < kFoldPairCount && kFoldPairs[i].character < 0x10000; ++i)
            plane[kFoldPairs[i].character] = char16_t(kFoldPairs[i].representative);
        beyond = kFoldPairs + i;
        beyondCount = kFoldPairCount - i;
    }
};

const Lookup &Table() {
    static const Lookup table;
    return table;
}

char32_t FoldBeyond(const Lookup &t, char32_t c) {
    const FoldPair *end = t.beyond + t.beyondCount;
    const FoldPair *it =
        std::lower_bound(t.beyond, end, c, [](const FoldPair &p, char32_t v) { return p.character < v; });
    return it != end && it->character == c ? it->representative : c;
}

// The code point at `i` and how many units it takes; a lone surrogate stands for itself.
inline char32_t At(QStringView text, qsizetype i, int &units) {
    const char16_t u = text[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
        units = 2;
        return QChar::surrogateToUcs4(u, text[i + 1].unicode());
    }
    units = 1;
    return u;
}

} // namespace

namespace FoldClasses {

char32_t Fold(char32_t c) {
    const Lookup &t = Table();
    return c < 0x10000 ? t.plane[c] : FoldBeyond(t, c);
}

void AppendFolded(QString &out, QStringView text) {
    const Lookup &t = Table();
    const char16_t *plane = t.plane.data();
    const qsizetype n = text.size();
    const char16_t *s = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (!QChar::isSurrogate(u)) {
            out += QChar(plane[u]);
            continue;
        }
        int units;
        const char32_t c = At(text, i, units);
        if (units == 1) {
            out += QChar(u);
            continue;
        }
        const char32_t f = FoldBeyond(t, c);
        if (f < 0x10000) {
            out += QChar(char16_t(f));
        } else {
            out += QChar(QChar::highSurrogate(f));
            out += QChar(QChar::lowSurrogate(f));
        }
        ++i;
    }
}

QString Folded(QStringView text) {
    QString out;
    out.reserve(text.size());
    AppendFolded(out, text);
    return out;
}

QStringList FoundForms(QStringView text, QStringView query) {
    std::vector<char32_t> want;
    for (qsizetype i = 0; i < query.size();) {
        int units;
        want.push_back(Fold(At(query, i, units)));
        i += units;
    }
    QStringList forms;
    if (want.empty()) return forms;
    for (qsizetype pos = 0; pos < text.size();) {
        qsizetype end = pos;
        size_t matched = 0;
        while (matched < want.size() && end < text.size()) {
            int units;
            if (Fold(At(text, end, units)) != want[matched]) break;
            end += units;
            ++matched;
        }
        if (matched == want.size()) {
            const QString form = text.mid(pos, end - pos).toString();
            if (!forms.contains(form)) forms << form;
            pos = end;
        } else {
            int units;
            At(text, pos, units);
            pos += units;
        }
    }
    return forms;
}

int ClassCount() {
    return kFoldClassCount;
}

int FoldedCharacterCount() {
    return kFoldPairCount;
}

qint64 Bytes() {
    return qint64(Table().plane.capacity() * sizeof(char16_t) + size_t(kFoldPairCount) * sizeof(FoldPair));
}

} // namespace FoldClasses
