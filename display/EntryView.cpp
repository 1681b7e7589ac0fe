#include "display/EntryView.h"

#include "corpus/Data.h"
#include "display/EntryPage.h"
#include "display/FindBar.h"
#include "display/NightPage.h"
#include "display/PersonalNoteSection.h"
#include "display/WebHost.h"
#include "widgets/ErrorBoundary.h"

#include <QAction>
#include <QApplication>
#include <QChildEvent>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWheelEvent>
#include <array>

namespace {

// The zoom ladder of the page, as readers of web pages step it.
constexpr std::array<double, 13> kZoomSteps{0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                            1.25, 1.5,  1.75, 2.0, 2.5, 3.0};

// White paper painted by hand: a widget that fills its background itself would count as opaque, and
// the view under it would not be painted, so it would never be seen to catch up.
class BlankSheet : public QWidget {
public:
    using QWidget::QWidget;
    QColor paper = Qt::white; // the night page's ground at night

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), paper); }
};

// The title the blank document takes once its `load`-th load has been drawn.
QString BlankMark(int load) {
    return QStringLiteral("velmora-blank-%1").arg(load);
}

bool IsCopyKey(QEvent *event) {
    return static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy);
}

} // namespace

EntryView::EntryView(QWidget *parent)
    : QWidget(parent), view_(CreateWebView(this)), findBar_(new FindBar(this)) {
    setObjectName(QStringLiteral("EntryView"));
    view_->setObjectName(QStringLiteral("WebBrowser1"));
    view_->setAccessibleName(QStringLiteral("條目內容"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The find bar is a strip above the page, not over it: the page's first line stays in sight.
    layout->addWidget(findBar_);
    layout->addWidget(view_);
    connect(view_, &QWebEngineView::loadFinished, this, Guarded([this] { DocumentLoaded(); }));
    connect(view_, &QWebEngineView::titleChanged, this,
            Guarded([this](const QString &title) { TitleChanged(title); }));
    // While the blank document loads, a blank sheet of our own lies over the view: the page pane
    // turns blank in the same frame as the scan changes, and the view catches up behind it.
    blankCover_ = new BlankSheet(this);
    blankCover_->setObjectName(QStringLiteral("blankCover"));
    blankCover_->hide();

    // The view's own menu would offer navigation and "view source": ours has only what fits.
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint &at) { ShowContextMenu(at); }));
    connect(view_->page(), &QWebEnginePage::findTextFinished, this,
            Guarded([this](const QWebEngineFindTextResult &result) { FoundText(result); }));
    connect(findBar_, &FindBar::FindRequested, this,
            Guarded([this](const QString &text, bool backward) { Find(text, backward); }));
    connect(findBar_, &FindBar::Closed, this, Guarded([this] {
                escapeKey_->setEnabled(false);
                view_->page()->findText(QString()); // takes the marks off the page
                lastFound_.clear();
                view_->setFocus(Qt::OtherFocusReason);
            }));

    // The keys work while the keyboard is anywhere in the page or its find bar.
    const auto addKey = [this](const QKeySequence &keys, auto handler) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, Guarded(handler));
    };
    addKey(QKeySequence::Find, [this] { OpenFindBar(); });
    addKey(QKeySequence(Qt::Key_F3), [this] { FindAgain(false); });
    addKey(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindAgain(true); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { StepPageZoom(1); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { StepPageZoom(1); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { StepPageZoom(-1); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { StepPageZoom(0); });
    // Esc closes the find bar wherever the keyboard is in the page or the bar.
    escapeKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escapeKey_->setContext(Qt::WidgetWithChildrenShortcut);
    escapeKey_->setEnabled(false);
    connect(escapeKey_, &QShortcut::activated, this, Guarded([this] { findBar_->Close(); }));

    // The page's keys and wheel reach the widget the view draws into, which it may replace.
    view_->installEventFilter(this);
    for (QObject *child : view_->children())
        WatchViewChild(child);
    ShowBlank();
}

void EntryView::WatchViewChild(QObject *child) {
    if (child->isWidgetType()) child->installEventFilter(this);
}

void EntryView::ShowRecord(int book, const NoteEntry &entry, const QString &highlight) {
    referenceLine_ = entry.isPage ? QString() : EntryReferenceLine(book, entry);
    ShowEntry(entry, highlight);
}

void EntryView::ShowEntry(const NoteEntry &entry, const QString &highlight) {
    shownEntry_ = entry;
    shownHighlight_ = highlight;
    showsEntry_ = !entry.isPage;
    if (entry.isPage)
        ShowBlank();
    else
        WritePage(MarkedBody());
}

void EntryView::Rehighlight(const QString &highlight) {
    if (!showsEntry_ || highlight == shownHighlight_) return;
    // The page is written again whole, with the new marks: the page itself still runs no script.
    shownHighlight_ = highlight;
    WritePage(MarkedBody());
}

QString EntryView::MarkedBody() const {
    // The search marks the reader's note too: a hit found only there shows where it is.
    const QString note = noteOfShown_ ? noteOfShown_() : QString();
    return HighlightWords(BuildEntryPage(shownEntry_) + PersonalNoteSection(note, night_), shownHighlight_);
}

void EntryView::RefreshPersonalNote() {
    if (!showsEntry_) return;
    const QString body = MarkedBody();
    if ((night_ ? WrapNightPage(body) : WrapPage(body)) != lastWrittenPage_) WritePage(body);
}

void EntryView::SetNight(bool night) {
    if (night == night_) return;
    night_ = night;
    const QColor paper = night ? QColor(0x1B, 0x1D, 0x22) : QColor(Qt::white);
    static_cast<BlankSheet *>(blankCover_)->paper = paper;
    view_->page()->setBackgroundColor(paper); // the blank page of a page record too
    if (showsEntry_) WritePage(MarkedBody());
}

void EntryView::AddBelow(QWidget *strip) {
    // The page keeps every height the strips below it do not need.
    auto *column = static_cast<QVBoxLayout *>(layout());
    column->addWidget(strip, 0);
    column->setStretchFactor(view_, 1);
}

void EntryView::ShowBlank() {
    showsEntry_ = false;
    documentReady_ = false;
    hasPendingPage_ = false;
    pendingPage_.clear();
    lastWrittenPage_.clear();
    blankCover_->setGeometry(view_->geometry());
    blankCover_->show();
    blankCover_->raise();
    coverWaitsForPaint_ = false;
    ++blankLoads_;
    view_->setUrl(BlankPageUrl());
}

void EntryView::WritePage(const QString &body) {
    const QString page = night_ ? WrapNightPage(body) : WrapPage(body);
    lastWrittenPage_ = page;
    lastFound_.clear(); // a new page: the count of the old one no longer holds
    // Until the blank document has loaded there is nothing to write into: keep the page for then.
    if (!documentReady_) {
        pendingPage_ = page;
        hasPendingPage_ = true;
        return;
    }
    view_->page()->runJavaScript(DocumentWriteScript(page), QWebEngineScript::ApplicationWorld);
    // Written before the blank document was drawn: the page itself is what the sheet waits for.
    if (blankCover_->isVisible() && !coverWaitsForPaint_) HideCoverAtNextPaint();
}

void EntryView::DocumentLoaded() {
    documentReady_ = true;
    coverWaitsForPaint_ = false;
    // A new document may come with the view's default zoom: keep the reader's.
    view_->setZoomFactor(pageZoom_);
    if (hasPendingPage_) {
        hasPendingPage_ = false;
        view_->page()->runJavaScript(DocumentWriteScript(pendingPage_), QWebEngineScript::ApplicationWorld);
        pendingPage_.clear();
        if (blankCover_->isVisible()) HideCoverAtNextPaint();
        return;
    }
    if (!blankCover_->isVisible()) return;
    // The load signal comes before the view has a frame of the blank document: the sheet stays until
    // the page says it has drawn that frame and the view has painted after that. A view out of sight
    // draws no frames; the sheet goes after a while all the same.
    view_->page()->runJavaScript(PaintedMarkScript(BlankMark(blankLoads_)),
                                 QWebEngineScript::ApplicationWorld);
    HideCoverAfter(1000);
}

void EntryView::TitleChanged(const QString &title) {
    if (blankCover_->isVisible() && title == BlankMark(blankLoads_)) HideCoverAtNextPaint();
}

void EntryView::HideCoverAtNextPaint() {
    coverWaitsForPaint_ = true;
    // Should the view have painted its latest frame already, no paint comes: the sheet goes anyway.
    HideCoverAfter(250);
}

void EntryView::HideCoverAfter(int ms) {
    // Only for this blank load: a later blank page keeps its sheet until it has been drawn itself.
    QTimer::singleShot(ms, blankCover_, [this, load = blankLoads_] {
        if (load == blankLoads_) blankCover_->hide();
    });
}

void EntryView::SetPageZoom(double factor) {
    if (!(factor > 0)) // also not a number
        factor = 1.0;
    factor = qBound(kZoomSteps.front(), factor, kZoomSteps.back());
    pageZoom_ = factor;
    view_->setZoomFactor(factor);
}

void EntryView::StepPageZoom(int direction) {
    double next = 1.0;
    if (direction > 0) {
        next = kZoomSteps.back();
        for (double step : kZoomSteps)
            if (step > pageZoom_ + 1e-6) {
                next = step;
                break;
            }
    } else if (direction < 0) {
        next = kZoomSteps.front();
        for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it)
            if (*it < pageZoom_ - 1e-6) {
                next = *it;
                break;
            }
    }
    SetPageZoom(next);
}

void EntryView::OpenFindBar() {
    findBar_->Open();
    escapeKey_->setEnabled(true);
    if (!findBar_->Text().isEmpty()) Find(findBar_->Text(), false);
}

void EntryView::FindAgain(bool backward) {
    if (findBar_->Text().isEmpty()) {
        OpenFindBar();
        return;
    }
    if (findBar_->isHidden()) {
        findBar_->show();
        escapeKey_->setEnabled(true);
    }
    Find(findBar_->Text(), backward);
}

bool EntryView::IsFindBarOpen() const {
    return findBar_->isVisible();
}

void EntryView::Find(const QString &text, bool backward) {
    lastFound_ = text;
    view_->page()->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
    if (text.isEmpty()) findBar_->ShowCount(0, 0);
}

void EntryView::FoundText(const QWebEngineFindTextResult &result) {
    // Results of a search closed or replaced since are not this bar's.
    if (lastFound_.isEmpty() || lastFound_ != findBar_->Text()) return;
    findBar_->ShowCount(result.activeMatch(), result.numberOfMatches());
}

void EntryView::CopySelection() {
    // Plain text only: the page's markup and colours stay out of whatever it is pasted into.
    const QString text = view_->selectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void EntryView::ShowContextMenu(const QPoint &at) {
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("EntryPageMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copy = menu->addAction(QStringLiteral("複製"), this, Guarded([this] { CopySelection(); }));
    copy->setObjectName(QStringLiteral("CopyAction"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!view_->selectedText().isEmpty());
    QAction *selectAll =
        menu->addAction(QStringLiteral("全選"), this,
                        Guarded([this] { view_->page()->triggerAction(QWebEnginePage::SelectAll); }));
    selectAll->setObjectName(QStringLiteral("SelectAllAction"));
    selectAll->setShortcut(QKeySequence::SelectAll);
    QAction *reference = menu->addAction(QStringLiteral("複製引用"), this, Guarded([this] {
                                             if (copyReference_)
                                                 copyReference_();
                                             else
                                                 QApplication::clipboard()->setText(referenceLine_);
                                         }));
    reference->setObjectName(QStringLiteral("CopyReferenceAction"));
    reference->setEnabled(!referenceLine_.isEmpty());
    if (!menuActions_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(menuActions_);
    }
    menu->popup(view_->mapToGlobal(at));
}

bool EntryView::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
        if (watched == view_) blankCover_->setGeometry(view_->geometry());
        break;
    case QEvent::Paint:
        if (coverWaitsForPaint_ && watched != view_) {
            coverWaitsForPaint_ = false;
            QTimer::singleShot(0, blankCover_, &QWidget::hide);
        }
        break;
    case QEvent::ChildAdded:
        if (watched == view_) WatchViewChild(static_cast<QChildEvent *>(event)->child());
        break;
    case QEvent::ShortcutOverride:
        // The view would copy its rich text itself: claim the key so that it comes to us.
        if (IsCopyKey(event)) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (IsCopyKey(event)) {
            try {
                CopySelection();
            } catch (...) {
                ShowCurrentError();
            }
            return true;
        }
        break;
    case QEvent::Wheel:
        if (static_cast<QWheelEvent *>(event)->modifiers().testFlag(Qt::ControlModifier)) {
            const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
            if (delta != 0) {
                try {
                    StepPageZoom(delta > 0 ? 1 : -1);
                } catch (...) {
                    ShowCurrentError();
                }
            }
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
