#include "shell/CitationCopy.h"

#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "export/Citation.h"
#include "platform/WinPath.h"
#include "widgets/ErrorBoundary.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QShortcut>
#include <QWidget>

CitationCopy::CitationCopy(const NotebookStore &store, const ReadingContext &reading, QWidget *window)
    : QObject(window), store_(store), reading_(reading) {
    auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), window);
    key->setContext(Qt::WindowShortcut);
    connect(key, &QShortcut::activated, this, Guarded([this] { Copy(); }));
}

void CitationCopy::Copy() {
    const NoteRef ref = reading_.Shown().ref;
    if (!store_.Contains(ref) || store_.Entry(ref).isPage) return;
    // The scans are found from the notes file's folder, as the reader found the notes.
    const QString folder = QFileInfo(ResolveWinPath(NotesFileNames()[size_t(ref.book)])).absolutePath();
    const Citation citation =
        CiteEntry(store_.Set().books[size_t(ref.book)].entries, ref.entry, ref.book, folder);
    auto *data = new QMimeData;
    data->setText(citation.text);
    data->setHtml(citation.html);
    if (!citation.crop.isEmpty()) data->setImageData(QImage::fromData(citation.crop, "JPEG"));
    QApplication::clipboard()->setMimeData(data);
    const QString first = citation.text.section(QLatin1Char('\n'), 0, 0);
    Q_EMIT Notice(citation.noCrop.isEmpty()
                      ? QStringLiteral("已複製引用「%1」，附掃描圖。").arg(first)
                      : QStringLiteral("已複製引用「%1」；%2。").arg(first, citation.noCrop));
}
