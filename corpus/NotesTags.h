#pragma once
// The tags of a notes file, in one place for the reader's walk and for the checker that explains what
// the walk does with each line.

#include <QString>

inline const QString kEntryOpenTag = QStringLiteral("<條目>");
inline const QString kEntryCloseTag = QStringLiteral("</條目>");
inline const QString kPageOpenTag = QStringLiteral("<page>");
inline const QString kPageCloseTag = QStringLiteral("</page>");
inline const QString kPositionTag = QStringLiteral("<座標");
// The four sections in the order the walk looks for them: content, collation notes, remarks, sources.
inline const QString kSectionOpenTags[] = {QStringLiteral("<內容>"), QStringLiteral("<校註>"),
                                           QStringLiteral("<案語>"), QStringLiteral("<出處>")};
inline const QString kSectionCloseTags[] = {QStringLiteral("</內容>"), QStringLiteral("</校註>"),
                                            QStringLiteral("</案語>"), QStringLiteral("</出處>")};
