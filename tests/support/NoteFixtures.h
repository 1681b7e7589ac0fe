#pragma once
// Entry records made in code for the text tests.

#include "corpus/Data.h"

inline NoteEntry Entry(const QString &title, const QString &content = {}, const QString &note = {},
                       const QString &remark = {}, const QString &source = {}) {
    NoteEntry e;
    e.title = title;
    e.content = content;
    e.note = note;
    e.remark = remark;
    e.source = source;
    return e;
}
