// The TEI form of an export (declared in ExportWriters.h).
#include "corpus/EntryAnchor.h"
#include "export/ExportWriters.h"

#include "export/NotesMarkup.h"

namespace {

const char kTeiNamespace[] = "http://www.tei-c.org/ns/1.0";

// Gathers the output and hands it on in pieces of about a megabyte.
class Out {
public:
    explicit Out(const ExportSink &sink) : sink_(sink) {}
    Out &operator<<(const QString &s) {
        buffer_ += s.toUtf8();
        if (buffer_.size() > (1 << 20)) Flush();
        return *this;
    }
    Out &operator<<(const char *s) {
        buffer_ += s;
        return *this;
    }
    void Flush() {
        if (!buffer_.isEmpty()) sink_(buffer_);
        buffer_.clear();
    }

private:
    const ExportSink &sink_;
    QByteArray buffer_;
};

QString Coordinates(const ScanZone &z) {
    return QStringLiteral("ulx=\"%1\" uly=\"%2\" lrx=\"%3\" lry=\"%4\"")
        .arg(z.ulx)
        .arg(z.uly)
        .arg(z.lrx)
        .arg(z.lry);
}

void Section(Out &out, const NoteEntry &e, NotesField field, const char *open, const char *close) {
    const QString text = FieldText(e, field);
    if (text.isEmpty()) return;
    out << open << MarkupToTei(text) << close;
}

} // namespace

void WriteTei(const ExportPlan &plan, const ExportSink &sink, const ExportControl &control) {
    Out out(sink);
    const QList<ExportBook> &books = plan.books();
    QStringList names;
    for (const ExportBook &b : books)
        names << b.name;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<TEI xmlns=\"" << kTeiNamespace << "\" xml:lang=\"zh-Hant\">\n<teiHeader>\n<fileDesc>\n"
        << QStringLiteral("<titleStmt><title>澄溪導師筆記 %1</title></titleStmt>\n")
               .arg(XmlEscape(names.join(u'、')))
        << QStringLiteral(
               "<publicationStmt><p>以 velmora-notes export 自筆記檔匯出。</p></publicationStmt>\n")
        << "<sourceDesc>\n<listBibl>\n";
    for (const ExportBook &b : books)
        out << QStringLiteral("<bibl><title>筆記 %1</title> <idno type=\"file\">%2</idno></bibl>\n")
                   .arg(XmlEscape(b.name), XmlEscape(b.file));
    out << "</listBibl>\n</sourceDesc>\n</fileDesc>\n</teiHeader>\n";

    // The scans first: a surface per page record, a zone per placed entry on it.
    bool anyPage = false;
    for (qsizetype bi = 0; bi < books.size(); ++bi) {
        const QList<NoteEntry> &records = books[bi].records;
        bool surfaceOpen = false;
        for (qsizetype r = 0; r < records.size(); ++r) {
            if (records[r].isPage) {
                if (surfaceOpen) out << "</surface>\n";
                if (!anyPage) out << "<facsimile>\n";
                anyPage = surfaceOpen = true;
                const ScanInfo *scan = plan.ScanOf(bi, r);
                const QString id = plan.Stem(bi, r) + QStringLiteral("-scan");
                if (scan->Readable()) {
                    out << QStringLiteral("<surface xml:id=\"%1\" %2>\n<graphic url=\"%3\" width=\"%4px\" "
                                          "height=\"%5px\"/>\n")
                               .arg(id, Coordinates({0, 0, scan->width, scan->height}), XmlEscape(scan->url))
                               .arg(scan->width)
                               .arg(scan->height);
                } else {
                    out << QStringLiteral("<surface xml:id=\"%1\">\n<graphic url=\"%2\"/>\n")
                               .arg(id, XmlEscape(scan->url));
                }
            } else if (const auto zone = plan.Zone(bi, r)) {
                out << QStringLiteral("<zone xml:id=\"%1-zone\" %2/>\n")
                           .arg(plan.Stem(bi, r), Coordinates(*zone));
            }
        }
        if (surfaceOpen) out << "</surface>\n";
    }
    if (anyPage) out << "</facsimile>\n";

    out << "<text>\n<body>\n";
    qint64 done = 0;
    const qint64 total = plan.RecordCount();
    for (qsizetype bi = 0; bi < books.size(); ++bi) {
        const ExportBook &book = books[bi];
        out << QStringLiteral("<div type=\"notebook\" n=\"%1\">\n<head>筆記 %1</head>\n")
                   .arg(XmlEscape(book.name));
        for (qsizetype r = 0; r < book.records.size(); ++r, ++done) {
            if ((done & 0x3FF) == 0) {
                control.Check();
                control.Report(QStringLiteral("寫入 TEI"), done, total);
            }
            const NoteEntry &e = book.records[r];
            const QString stem = plan.Stem(bi, r);
            if (e.isPage) {
                out << QStringLiteral("<pb n=\"%1\" facs=\"#%2-scan\"/>\n")
                           .arg(XmlEscape(PageNameOf(e)), stem);
                continue;
            }
            out << QStringLiteral("<div type=\"entry\" xml:id=\"%1\" n=\"%2\"")
                       .arg(stem)
                       .arg(plan.Number(bi, r));
            if (plan.Zone(bi, r)) out << QStringLiteral(" facs=\"#%1-zone\"").arg(stem);
            out << ">\n<head>" << MarkupToTei(FieldText(e, NotesField::Title)) << "</head>\n";
            Section(out, e, NotesField::Content, "<p>", "</p>\n");
            Section(out, e, NotesField::Note, "<note type=\"collation\">", "</note>\n");
            Section(out, e, NotesField::Remark, "<note type=\"remark\">", "</note>\n");
            Section(out, e, NotesField::Source, "<bibl>", "</bibl>\n");
            out << "</div>\n";
        }
        out << "</div>\n";
    }
    out << "</body>\n</text>\n</TEI>\n";
    out.Flush();
    control.Report(QStringLiteral("寫入 TEI"), total, total);
}
