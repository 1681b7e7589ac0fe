#include "shell/StatusLine.h"

#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "images/PageViewer.h"
#include "shell/CaptureSession.h"
#include "widgets/ErrorBoundary.h"

#include <QLabel>

namespace {
// The page's name from its scan's path (".\image\K\K003.jpg" names page K003).
QString PageName(const QString &scanPath) {
    QString name = scanPath.mid(scanPath.lastIndexOf(QLatin1Char('\\')) + 1);
    if (name.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive)) name.chop(4);
    return name;
}
} // namespace

StatusLine::StatusLine(const NotebookStore &store, const ReadingContext &reading,
                       const CaptureSession &capture, const PageViewer &scan, QWidget *parent)
    : QStatusBar(parent), store_(store), reading_(reading), capture_(capture) {
    setObjectName(QStringLiteral("StatusLine"));
    setSizeGripEnabled(false); // the window's frame resizes it
    entry_ = AddPart("statusEntry", false);
    coverage_ = AddPart("statusCoverage", true);
    zoom_ = AddPart("statusZoom", true);
    coverage_->hide();

    connect(&reading, &ReadingContext::ShownChanged, this, Guarded([this] { ShowEntry(); }));
    connect(&scan, &PageViewer::ZoomFactorChanged, this, Guarded([this](float factor) { ShowZoom(factor); }));
    // The zoom read back from the settings is the one the next scan is shown at.
    connect(&reading, &ReadingContext::ShownChanged, this,
            Guarded([this, &scan] { ShowZoom(scan.ZoomFactor()); }));
    connect(&capture, &CaptureSession::Revealed, this, Guarded([this] { ShowCoverage(); }));
    connect(&capture, &CaptureSession::CountsChanged, this, Guarded([this] { ShowCoverage(); }));
    connect(&capture, &CaptureSession::RecordingChanged, this, Guarded([this] { ShowCoverage(); }));
    ShowEntry();
    ShowZoom(scan.ZoomFactor());
    ShowCoverage();
}

QLabel *StatusLine::AddPart(const char *objectName, bool right) {
    auto *label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextFormat(Qt::PlainText);
    // The entry on the left, where the eye leaves the lists; the scan's figures on the right, under it.
    if (right)
        addPermanentWidget(label);
    else
        addWidget(label, 1);
    return label;
}

QString StatusLine::Text() const {
    QStringList parts;
    for (const QLabel *label : {entry_, coverage_, zoom_})
        if (!label->isHidden() && !label->text().isEmpty()) parts << label->text();
    return parts.join(QStringLiteral("　"));
}

void StatusLine::ShowEntry() {
    const NoteRef ref = reading_.Shown().ref;
    if (!store_.Contains(ref)) {
        entry_->clear();
        return;
    }
    const NoteEntry &entry = store_.Entry(ref);
    const QString letter = NotebookLetters()[size_t(ref.book)];
    const QString page = PageName(entry.pageImage);
    entry_->setText(page.isEmpty() ? QStringLiteral("筆記 %1").arg(letter)
                                   : QStringLiteral("筆記 %1　頁 %2").arg(letter, page));
    setAccessibleName(Text());
}

void StatusLine::ShowZoom(float factor) {
    zoom_->setText(QStringLiteral("圖檔 %1%").arg(double(factor) * 100.0, 0, 'f', 0));
    setAccessibleName(Text());
}

void StatusLine::ShowCoverage() {
    // Only in capture mode: the count is what the person placing positions works down.
    if (!capture_.IsRevealed()) {
        coverage_->hide();
        return;
    }
    int entries = 0;
    int placed = 0;
    for (const Notebook &book : store_.Set().books)
        for (const NoteEntry &entry : book.entries) {
            if (entry.isPage) continue;
            ++entries;
            placed += entry.HasPosition();
        }
    coverage_->setText(QStringLiteral("已定位 %1／%2 條").arg(placed).arg(entries));
    coverage_->show();
    setAccessibleName(Text());
}
