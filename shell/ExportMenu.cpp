#include "shell/ExportMenu.h"

#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "export/NotesMarkup.h"
#include "platform/WinPath.h"
#include "shell/ExportDialog.h"
#include "shell/ExportJob.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>

#include <map>
#include <set>

namespace {

// The notes file of a notebook, as the reader opened it.
QString NotesFile(int book) {
    return QFileInfo(ResolveWinPath(NotesFileNames()[size_t(book)])).absoluteFilePath();
}

// Where the names an export writes start: the user's documents folder, else the home folder.
QString Folder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

ExportMenu::ExportMenu(const NotebookStore &store, const ReadingContext &reading, QWidget *window)
    : QObject(window), store_(store), reading_(reading), window_(window),
      button_(new QPushButton(QStringLiteral("匯出…"))) {
    button_->setObjectName(QStringLiteral("btExport"));
    button_->setFixedHeight(DesignPixels(29));
    button_->setAccessibleName(QStringLiteral("匯出"));
    auto *menu = new QMenu(button_);
    menu->setObjectName(QStringLiteral("ExportMenu"));
    menu->setAccessibleName(QStringLiteral("匯出"));
    notebook_ = menu->addAction(QString(), this, Guarded([this] { Export(Scope::Notebook); }));
    notebook_->setObjectName(QStringLiteral("ExportNotebook"));
    results_ = menu->addAction(QString(), this, Guarded([this] { Export(Scope::Results); }));
    results_->setObjectName(QStringLiteral("ExportResults"));
    entry_ = menu->addAction(QString(), this, Guarded([this] { Export(Scope::Entry); }));
    entry_->setObjectName(QStringLiteral("ExportEntry"));
    connect(menu, &QMenu::aboutToShow, this, Guarded([this] { Refresh(); }));
    // Popped up under the button rather than run in a loop of its own (as a button's own menu is), so
    // that the window goes on with its work while it is open.
    connect(button_, &QPushButton::clicked, this,
            Guarded([this, menu] { menu->popup(button_->mapToGlobal(QPoint(0, button_->height()))); }));
    Refresh();
}

void ExportMenu::Refresh() {
    const NoteRef shown = reading_.Shown().ref;
    const bool hasEntry = store_.Contains(shown) && !store_.Entry(shown).isPage;
    const bool hasBook = store_.Contains(shown);
    notebook_->setText(hasBook ? QStringLiteral("筆記 %1 (&N)…").arg(NotebookLetters()[size_t(shown.book)])
                               : QStringLiteral("所顯示的筆記 (&N)…"));
    notebook_->setEnabled(hasBook);
    results_->setText(QStringLiteral("檢索結果，%1 則 (&R)…").arg(hits_.size()));
    results_->setEnabled(!hits_.empty());
    entry_->setText(QStringLiteral("所顯示的條目 (&E)…"));
    entry_->setEnabled(hasEntry);
}

void ExportMenu::Export(Scope scope) {
    Refresh(); // a key may come after the shown entry or the results changed
    const NoteRef shown = reading_.Shown().ref;
    ExportRequest request;
    QString what, stem;
    if (scope == Scope::Results) {
        if (hits_.empty()) return;
        // The files in notebook order, each with its results.
        std::map<int, std::set<qsizetype>> byBook;
        for (const NoteRef &hit : hits_)
            byBook[hit.book].insert(hit.entry);
        for (const auto &[book, entries] : byBook) {
            request.files << NotesFile(book);
            request.selection.entries << QSet<qsizetype>(entries.begin(), entries.end());
        }
        what = QStringLiteral("檢索結果，%1 則").arg(hits_.size());
        stem = QStringLiteral("檢索結果");
    } else {
        if (!store_.Contains(shown)) return;
        const QString letter = NotebookLetters()[size_t(shown.book)];
        request.files << NotesFile(shown.book);
        if (scope == Scope::Entry) {
            const NoteEntry &entry = store_.Entry(shown);
            if (entry.isPage) return;
            request.selection.entries << QSet<qsizetype>{shown.entry};
            const QString headword =
                MarkupToPlain(FieldLines(entry, NotesField::Title).join(QLatin1Char(' ')));
            what = QStringLiteral("筆記 %1 的條目「%2」").arg(letter, headword);
            stem = QStringLiteral("筆記%1-%2").arg(letter).arg(shown.entry);
        } else {
            what = QStringLiteral("筆記 %1，全部 %2 筆記錄")
                       .arg(letter)
                       .arg(store_.Set().books[size_t(shown.book)].entries.size());
            stem = QStringLiteral("筆記%1").arg(letter);
        }
    }
    // Open, not run in a loop of its own: the window goes on drawing behind it.
    auto *dialog = new ExportDialog(what, QDir(Folder()).filePath(stem), window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, Guarded([this, dialog, request]() mutable {
                const ExportChoice choice = dialog->Choice();
                request.format = choice.format;
                request.output = choice.output;
                request.crops = choice.crops;
                auto *job = new ExportJob(request, window_);
                connect(job, &ExportJob::Notice, this, &ExportMenu::Notice);
            }));
    dialog->open();
}
