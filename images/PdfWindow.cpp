#include "images/PdfWindow.h"

#include "common/Error.h"
#include "widgets/ErrorBoundary.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr qreal kZoomStep = 1.25;
constexpr qreal kMinZoom = 0.1, kMaxZoom = 8.0;

QToolButton *Button(QWidget *parent, const QString &text, const QString &tip) {
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}
} // namespace

PdfWindow::PdfWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), document_(new QPdfDocument(this)), view_(new QPdfView(this)),
      page_(new QSpinBox(this)), pageCount_(new QLabel(this)), note_(new QLabel(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(800, 900);
    view_->setDocument(document_);
    view_->setPageMode(QPdfView::PageMode::MultiPage);
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    view_->setAccessibleName(QStringLiteral("PDF 頁面"));
    page_->setAccessibleName(QStringLiteral("頁碼"));
    page_->setMinimum(1);
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    note_->hide();

    auto *previous = Button(this, QStringLiteral("◀"), QStringLiteral("上一頁"));
    auto *next = Button(this, QStringLiteral("▶"), QStringLiteral("下一頁"));
    auto *zoomOut = Button(this, QStringLiteral("－"), QStringLiteral("縮小"));
    auto *zoomIn = Button(this, QStringLiteral("＋"), QStringLiteral("放大"));
    auto *fitWidth = Button(this, QStringLiteral("↔"), QStringLiteral("符合寬度"));
    auto *bar = new QHBoxLayout;
    bar->addWidget(previous);
    bar->addWidget(page_);
    bar->addWidget(pageCount_);
    bar->addWidget(next);
    bar->addSpacing(16);
    bar->addWidget(zoomOut);
    bar->addWidget(zoomIn);
    bar->addWidget(fitWidth);
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(note_);
    layout->addWidget(view_, 1);

    connect(previous, &QToolButton::clicked, this, Guarded([this] { GoToPage(CurrentPage() - 1); }));
    connect(next, &QToolButton::clicked, this, Guarded([this] { GoToPage(CurrentPage() + 1); }));
    connect(zoomIn, &QToolButton::clicked, this, Guarded([this] { StepZoom(1); }));
    connect(zoomOut, &QToolButton::clicked, this, Guarded([this] { StepZoom(-1); }));
    connect(fitWidth, &QToolButton::clicked, this,
            Guarded([this] { view_->setZoomMode(QPdfView::ZoomMode::FitToWidth); }));
    connect(page_, &QSpinBox::editingFinished, this, Guarded([this] { GoToPage(page_->value() - 1); }));
    connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this,
            Guarded([this](int page) { page_->setValue(page + 1); }));
    const auto key = [this](const QKeySequence &keys, auto handler) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, Guarded(handler));
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { StepZoom(1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { StepZoom(1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { StepZoom(-1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { GoToPage(0); });
    key(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { GoToPage(PageCount() - 1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); });
    key(QKeySequence(Qt::Key_Escape), [this] { close(); });
    view_->setFocus();
}

void PdfWindow::Open(const QString &path) {
    const QPdfDocument::Error error = document_->load(path);
    if (error != QPdfDocument::Error::None) {
        const QString why =
            error == QPdfDocument::Error::FileNotFound        ? QStringLiteral("找不到檔案")
            : error == QPdfDocument::Error::IncorrectPassword ? QStringLiteral("檔案有密碼保護")
            : error == QPdfDocument::Error::UnsupportedSecurityScheme ? QStringLiteral("不支援檔案的加密方式")
                                                                      : QStringLiteral("不是可讀的 PDF 檔");
        throw VelmoraError(QStringLiteral("無法開啟 PDF：%1\n%2").arg(ShownPath(path), why));
    }
    setWindowTitle(QStringLiteral("%1 – 澄溪導師筆記").arg(QFileInfo(path).fileName()));
    page_->setMaximum(qMax(1, PageCount()));
    pageCount_->setText(QStringLiteral("/ %1 頁").arg(PageCount()));
    GoToPage(0);
}

void PdfWindow::SetNote(const QString &text) {
    note_->setText(text);
    note_->setVisible(!text.isEmpty());
}

int PdfWindow::PageCount() const {
    return document_->pageCount();
}
int PdfWindow::CurrentPage() const {
    return view_->pageNavigator()->currentPage();
}

void PdfWindow::GoToPage(int page) {
    if (PageCount() == 0) return;
    page = qBound(0, page, PageCount() - 1);
    view_->pageNavigator()->jump(page, QPointF(), view_->pageNavigator()->currentZoom());
    page_->setValue(page + 1);
}

qreal PdfWindow::Zoom() const {
    return view_->zoomFactor();
}

void PdfWindow::StepZoom(int direction) {
    const qreal zoom = qBound(kMinZoom, Zoom() * (direction > 0 ? kZoomStep : 1 / kZoomStep), kMaxZoom);
    view_->setZoomMode(QPdfView::ZoomMode::Custom);
    view_->setZoomFactor(zoom);
}
