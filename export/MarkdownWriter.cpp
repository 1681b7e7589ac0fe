// The Markdown form of an export (declared in ExportWriters.h).
#include "export/ExportWriters.h"

#include "export/NotesMarkup.h"

namespace {

QString Labelled(const QString &label, const QString &text) {
    return QStringLiteral("**【%1】**　%2\n\n").arg(label, MarkupToMarkdown(text));
}

QString AltText(const QString &text) {
    QString alt = MarkupToPlain(text);
    for (const QChar c : {QChar(u'\\'), QChar(u'['), QChar(u']')})
        alt.replace(c, QStringLiteral("\\") + c);
    return alt;
}

} // namespace

void WriteMarkdown(const ExportPlan &plan, const CropSet &crops, const QString &cropPrefix,
                   const ExportSink &sink, const ExportControl &control) {
    QByteArray buffer;
    qint64 done = 0;
    const qint64 total = plan.RecordCount();
    const QList<ExportBook> &books = plan.books();
    for (qsizetype bi = 0; bi < books.size(); ++bi) {
        const ExportBook &book = books[bi];
        QString page; // the page the entries stand on, for the crops' alternative text
        buffer += QStringLiteral("<!-- 筆記 %1：%2 -->\n\n")
                      .arg(book.name, QString(book.file).replace(QLatin1String("--"), QLatin1String("- -")))
                      .toUtf8();
        for (qsizetype r = 0; r < book.records.size(); ++r, ++done) {
            if ((done & 0x3FF) == 0) {
                control.Check();
                control.Report(QStringLiteral("寫入 Markdown"), done, total);
            }
            const NoteEntry &e = book.records[r];
            QString s;
            if (e.isPage) {
                page = e.title.mid(1, e.title.size() - 2);
                s = QStringLiteral("# %1\n\n").arg(MarkupToMarkdown(page));
            } else {
                const QStringList head = FieldLines(e, NotesField::Title);
                s = QStringLiteral("## %1\n\n").arg(MarkupToMarkdown(head.join(QLatin1Char(' '))));
                s += Labelled(QStringLiteral("內容"), FieldText(e, NotesField::Content));
                const struct {
                    NotesField field;
                    const char16_t *label;
                } sections[] = {{NotesField::Note, u"校註"},
                                {NotesField::Remark, u"案語"},
                                {NotesField::Source, u"出處"}};
                for (const auto &sec : sections) {
                    const QString text = FieldText(e, sec.field);
                    if (!text.isEmpty()) s += Labelled(QString::fromUtf16(sec.label), text);
                }
                if (bi < crops.size() && crops[bi].contains(r))
                    s += QStringLiteral("![%1 %2](<%3%4.jpg>)\n\n")
                             .arg(AltText(page), AltText(head.join(QLatin1Char(' '))), cropPrefix,
                                  plan.Stem(bi, r));
            }
            buffer += s.toUtf8();
            if (buffer.size() > (1 << 20)) {
                sink(buffer);
                buffer.clear();
            }
        }
    }
    sink(buffer);
    control.Report(QStringLiteral("寫入 Markdown"), total, total);
}
