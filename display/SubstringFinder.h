#pragma once
// An exact, case-sensitive test of whether a text holds a needle, made for many short texts searched
// for one needle: two of the needle's characters (its anchors, ideally its rarest) are compared at
// eight positions at once, and only where both match is the whole needle compared.

#include <QStringView>

class SubstringFinder {
public:
    // `needle` is not copied and must outlive the finder; it must not be empty. `first` and `second`
    // are positions in it (they may be the same).
    SubstringFinder(QStringView needle, qsizetype first, qsizetype second);

    bool In(QStringView text) const;

private:
    QStringView needle_;
    qsizetype first_, second_;
    char16_t firstUnit_, secondUnit_;
};
