#pragma once
// Random texts over a tiny alphabet for the randomized comparisons: with few letters, matches, tags
// and entity references crowd, touch and nearly overlap.

#include <QRandomGenerator>
#include <QString>

// Between 0 and maxSize characters, each drawn from `alphabet`.
inline QString RandomText(QRandomGenerator &rng, const QString &alphabet, int maxSize) {
    QString s;
    for (int n = rng.bounded(maxSize + 1); n > 0; --n)
        s += alphabet[rng.bounded(int(alphabet.size()))];
    return s;
}
