#include "display/PersonalNoteSection.h"

QString PersonalNoteSection(const QString &note, bool night) {
    if (note.trimmed().isEmpty()) return QString();
    // The note is the reader's plain text: escaped, its line breaks kept by the section's white-space.
    const QString box = night ? QStringLiteral("background-color: #2E2A1A; color: #EDE3C4;")
                              : QStringLiteral("background-color: #FFF8E1; color: #3A3000;");
    const QString heading = night ? QStringLiteral("#E8C55A") : QStringLiteral("#7A5A00");
    return QStringLiteral("\n<div class='mynote' style='margin-top: 1.5em; padding: 0.4em 0.8em; "
                          "border-left: 4px solid #C9A227; %1'>"
                          "<div style='font-weight: bold; color: %2;'>我的筆記</div>"
                          "<div style='white-space: pre-wrap;'>%3</div></div>\n")
        .arg(box, heading, note.toHtmlEscaped());
}
