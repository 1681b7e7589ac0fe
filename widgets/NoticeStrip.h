#pragma once
// The window's notices, in a strip under the header: each with an icon, its text (naming the file it is
// about) at the window's own size, and a close button. A notice of something lost or not taken (a
// position not placed, a file not taken, a journal set aside or skipped) stays until it is dismissed;
// a routine one (a file read again) goes by itself after a while. Several stack, newest last, none
// replacing another; past a few rows the strip scrolls.

#include <QStringList>
#include <QWidget>

class QScrollArea;
class QVBoxLayout;

class NoticeStrip : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Routine, Lasting };
    // How long a routine notice stays.
    static constexpr int kRoutineMs = 15000;

    explicit NoticeStrip(QWidget *parent = nullptr);

    // Adds a notice; the same text shown already is not added twice (a routine one starts its time again).
    // `untilDismissed`: a routine notice that stays until Dismiss (the notes still being read).
    void Add(const QString &text, Kind kind, bool untilDismissed = false);
    // Takes away the notices with this text.
    void Dismiss(const QString &text);
    QStringList Texts() const;

private:
    void Remove(QWidget *row);
    void Fit();

    QScrollArea *scroll_ = nullptr;
    QVBoxLayout *rows_ = nullptr;
};
