// The scans and PDF browsers: listing the letter folders, filtering, and opening a file.

#include "shell/Main.h"

#include "images/FileLists.h"
#include "images/PageView.h"
#include "platform/DesktopOpen.h"
#include "platform/WinPath.h"
#include "shell/OwnerDrawList.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

template <std::size_t N> QList<QStringList> ToList(const std::array<QStringList, N> &lists) {
    return QList<QStringList>(lists.begin(), lists.end());
}

template <std::size_t N> QList<bool> Checked(const std::array<QCheckBox *, N> &boxes) {
    QList<bool> checked;
    for (QCheckBox *box : boxes)
        checked.append(box && box->isChecked());
    return checked;
}

// The name of the selected row of a file list, or "" when no row is selected.
QString SelectedName(OwnerDrawList *list, FileNamesModel *model) {
    const int row = list->ItemIndex();
    return row < 0 ? QString() : model->Name(row);
}

} // namespace

void TfmMain::ScanImageFolder() {
    for (int i = 0; i < 5; ++i) {
        // appFolder ends in a separator, so the joined path holds a doubled one; it counts as one.
        const QString folder = appFolder + QStringLiteral("\\Image\\") + scanLetters[i] + QStringLiteral("\\");
        imgFileLists[i].append(ListFolderFiles(folder, QStringLiteral("*.jpg")));
    }
}

void TfmMain::FilterImageList() {
    imgModel->SetNames(FilterFileNames(ToList(imgFileLists), Checked(imgChecks), edImg->text()));
}

void TfmMain::cbKImgClick() {
    FilterImageList();
}

void TfmMain::edImgChange() {
    FilterImageList();
    if (edImg->text() == QLatin1String("update")) {
        RevealCaptureMode();
        // Changing the text runs this handler once more, which refills the list unfiltered.
        edImg->setText(QString());
    }
}

void TfmMain::lbImgClick() {
    const QString name = SelectedName(lbImg, imgModel);
    if (name.isEmpty())
        return;
    const QString path = QStringLiteral(".\\image\\") + name[0] + QStringLiteral("\\") + name;
    if (path == currentImagePath)
        return;
    LoadPageImage(path);
    imgPoint->ResizeSurface(imgPoint->size());
    ScrollBox->SetVert(0);
    // Clamped to the end of the range: the view shows the top right corner of the page.
    ScrollBox->SetHorz(Image->width());
}

void TfmMain::ScanPdfFolder() {
    for (int i = 0; i < 4; ++i) {
        const QString folder = appFolder + QStringLiteral("\\PDF\\") + bookLetters[i] + QStringLiteral("\\");
        pdfFileLists[i].append(ListFolderFiles(folder, QStringLiteral("*.pdf")));
    }
}

void TfmMain::FilterPdfList() {
    pdfModel->SetNames(FilterFileNames(ToList(pdfFileLists), Checked(pdfChecks), edPDF->text()));
}

void TfmMain::cbKPDFClick() {
    FilterPdfList();
}

void TfmMain::edPDFChange() {
    FilterPdfList();
}

void TfmMain::lbPDFClick() {
    const QString name = SelectedName(lbPDF, pdfModel);
    if (name.isEmpty())
        return;
    OpenWithDesktop(QStringLiteral("PDF\\") + name[0] + QStringLiteral("\\") + name);
}

void TfmMain::btReadmeClick() {
    OpenWithDesktop(QStringLiteral("readme.pdf"));
}
