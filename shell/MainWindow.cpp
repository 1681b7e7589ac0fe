#include "shell/MainWindow.h"

#include "common/Log.h"
#include "corpus/Error.h"
#include "corpus/NotebookLoading.h"
#include "corpus/NotesFile.h"
#include "display/EntryView.h"
#include "display/SearchPane.h"
#include "images/FileBrowserPane.h"
#include "images/PageView.h"
#include "images/PageViewer.h"
#include "corpus/NotebookStore.h"
#include "shell/AboutBox.h"
#include "corpus/ScanIndex.h"
#include "shell/CaptureSession.h"
#include "shell/DocumentOpener.h"
#include "shell/KeyboardAccess.h"
#include "shell/EntriesPane.h"
#include "shell/WindowKeys.h"
#include "shell/WindowPlace.h"
#include "widgets/AccessibleFocus.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoteList.h"
#include "widgets/NoticeStrip.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

#include <array>
#include <algorithm>

namespace {

// "K K1 甲條": notebook letter, page name and headword, for quoting where a passage comes from.
QString ReferenceLine(int book, const NoteEntry &entry) {
    // The page name is the scan's file name (".\image\K\K1.jpg") without folder and extension.
    QString page = entry.pageImage.mid(entry.pageImage.lastIndexOf(QLatin1Char('\\')) + 1);
    if (page.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive)) page.chop(4);
    QStringList parts{NotebookLetters()[size_t(book)]};
    if (!page.isEmpty()) parts << page;
    parts << QString(entry.title).replace(QStringLiteral("<br>"), QStringLiteral(" "));
    return parts.join(QLatin1Char(' '));
}

// Said in the header while large notes are still being read after the window showed.
QString ReadingNotice() { return QStringLiteral("筆記讀入中，條目列表隨讀隨增；檢索先查已讀入的部分…"); }

} // namespace

MainWindow::MainWindow(const QString &programPath, QWidget *parent, const QString &settingsFolder)
    : QMainWindow(parent), store_(new NotebookStore(this)), place_(new WindowPlace(this)),
      scanIndex_(new ScanIndex(*store_, this)) {
    InstallAccessibleFocus(); // before the panes are made
    programFolder_ = QFileInfo(programPath).absolutePath() + QLatin1Char('/');
    settingsFolder_ = settingsFolder.isEmpty() ? programFolder_ : settingsFolder;
    // The notes are read on worker threads while the window and its web view are built: at a hundred
    // megabytes of notes that hides much of the reading.
    loading_ = new NotebookLoading(this);
    connect(loading_, &NotebookLoading::BookRead, this, [this] { TakeReadNotebooks(); }, Qt::QueuedConnection);
    BuildPanes();
    TakeFirstNotebooks();
    SetCaption(ReadWindowTitle(programFolder_, windowTitle()));

    WindowSettings defaults;
    defaults.outer = frameGeometry();
    defaults.zoomFactor = pageViewer_->ZoomFactor();
    defaults.maximised = isMaximized();
    defaults.scanPaneWidth = ScanPaneWidth();
    const WindowSettings stored = ReadWindowSettings(settingsFolder_, defaults);
    ApplySettings(stored);

    tabs_->setCurrentIndex(0);
    entries_->Fill();
    scans_->ScanFolders(programFolder_);
    pdfVolumes_->ScanFolders(programFolder_);
    scans_->ApplyFilter();
    pdfVolumes_->ApplyFilter();
    Wire();
    WireScanFeatures();
    WireScanMap();
    WireReading();
    // The entry page and the scan draw no focus of their own; their context menus open from the keyboard.
    new FocusRing(this, {entryView_, pageViewer_});
    OrderPanes(this, {leftPane_, entryView_, pageViewer_});
    InstallContextMenuKeys(this, {{entryView_, entryView_->WebView()},
                                  {pageViewer_, pageViewer_->findChild<PointOverlay *>()}});
    RestoreReading(stored);
    // The keyboard starts where the reading does: in the entries list (or the open tab's own control),
    // not on the manual button, which Space would open.
    if (tabs_->currentWidget() == entries_)
        entries_->FocusList();
    else
        tabs_->currentWidget()->setFocus(Qt::OtherFocusReason);
    if (!loading_) {
        AllRead();
    } else {
        notices_->Add(ReadingNotice(), NoticeStrip::Kind::Routine, true);
        // A notebook read before the connection was made announced itself to nobody.
        QMetaObject::invokeMethod(this, [this] { TakeReadNotebooks(); }, Qt::QueuedConnection);
    }
}

void MainWindow::TakeFirstNotebooks() {
    // Notes read well within the window's own start (the demo, a few megabytes) are read whole before it
    // shows. Of larger ones the window waits only for the first records of the first notebook that has
    // any: the first screen of the entries list; the rest follows while the person reads.
    constexpr qint64 kReadWholeBytes = 16 << 20;
    constexpr qint64 kFirstScreenBytes = 256 << 10;
    const bool whole = loading_->TotalBytes() <= kReadWholeBytes;
    bool records = false;
    for (int b = 0; b < kNotebookCount && (whole || !records); ++b) {
        // Nothing reads the notebooks yet: they are put in without announcing them.
        if (!whole && !loading_->IsRead(b)) {
            QList<NoteEntry> start = ReadNotesFileStart(NotesFileNames()[size_t(b)], kFirstScreenBytes);
            if (!start.isEmpty()) {
                store_->SetForLoading().books[size_t(b)].entries = std::move(start);
                break; // the whole notebook extends them when it is read
            }
        }
        store_->SetForLoading().books[size_t(b)] = loading_->Take(b);
        taken_[size_t(b)] = true;
        readWarnings_ += loading_->Warnings(b);
        records = !store_->Set().books[size_t(b)].entries.isEmpty();
    }
    if (AllTaken()) {
        delete loading_;
        loading_ = nullptr;
    }
}

bool MainWindow::AllTaken() const {
    return std::all_of(taken_.begin(), taken_.end(), [](bool t) { return t; });
}

void MainWindow::TakeReadNotebooks() {
    if (!loading_ || readFailed_)
        return;
    for (int b = 0; b < kNotebookCount; ++b) {
        if (taken_[size_t(b)] || !loading_->IsRead(b))
            continue;
        taken_[size_t(b)] = true;
        Notebook read;
        try {
            read = loading_->Take(b);
        } catch (const VelmoraError &e) {
            qCCritical(lcShell).noquote() << e.message();
            readFailed_ = true; // the notebooks stay incomplete: nothing is taken up or announced as read
            Q_EMIT NotesUnreadable(e.message());
            return;
        }
        readWarnings_ += loading_->Warnings(b);
        // The lists, the counts and the marks grow from the announcement.
        Guarded([&] { store_->ExtendBook(b, std::move(read)); })();
        if (entryPending_)
            Guarded([this] { RestoreEntry(); })();
    }
    if (AllTaken()) {
        loading_->deleteLater();
        loading_ = nullptr;
        AllRead();
    }
}

void MainWindow::FinishReading() {
    if (!loading_)
        return;
    for (int b = 0; b < kNotebookCount; ++b)
        if (!taken_[size_t(b)])
            loading_->WaitFor(b);
    TakeReadNotebooks();
}

void MainWindow::AllRead() {
    notices_->Dismiss(ReadingNotice());
    if (!readWarnings_.isEmpty())
        ShowNotice(readWarnings_.join(QStringLiteral("　")));
    if (searchPending_) {
        searchPending_ = false;
        if (search_->Query().isEmpty())
            search_->SetQuery(restoring_.searchText);
    }
    if (!firstShow_)
        search_->PrepareInBackground();
    // Positions left unsaved by a run that did not end normally; an unreadable journal is said so and kept.
    Guarded([this] { capture_->OfferJournals(); })();
    // From now on a notes file written by another program is read again.
    store_->WatchFiles();
    Q_EMIT NotebooksRead();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    EndQuestionsUnanswered(false); // a window made after this one may ask again
}

void MainWindow::BuildPanes() {
    setWindowTitle(AppTitle());
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(DesignPixels(17));
    setFont(font);
    resize(DesignPixels(1101), DesignPixels(749));
    move(0, 0);

    auto *root = new QWidget(this);
    setCentralWidget(root);
    auto *rootLayout = new QVBoxLayout(root);
    rootLayout->setContentsMargins(0, 0, 0, 0);
    rootLayout->setSpacing(0);

    // The header: the title, the manual button and the hidden capture controls.
    header_ = new QWidget(root);
    header_->setObjectName(QStringLiteral("Panel1"));
    header_->setFixedHeight(DesignPixels(57));
    rootLayout->addWidget(header_);
    // The reader's own notices (a notes file read anew, a journal not taken) under the header.
    notices_ = new NoticeStrip(root);
    rootLayout->addWidget(notices_);
    auto *titleLabel = new QLabel(AppTitle(), header_);
    titleLabel->setObjectName(QStringLiteral("Label3"));
    titleLabel->setGeometry(DesignPixels(16), DesignPixels(9), DesignPixels(198), DesignPixels(42));
    QFont titleFont(QStringLiteral("微軟正黑體"));
    titleFont.setPixelSize(DesignPixels(33));
    titleLabel->setFont(titleFont);
    titleLabel->setStyleSheet(QStringLiteral("color: #800000;"));
    auto *manualButton = new QPushButton(QStringLiteral("操作說明"), header_);
    manualButton->setObjectName(QStringLiteral("btReadme"));
    manualButton->setGeometry(DesignPixels(241), DesignPixels(13), DesignPixels(82), DesignPixels(29));
    manualButton->setAccessibleName(manualButton->text());
    connect(manualButton, &QPushButton::clicked, this, Guarded([this] { OpenDocument(this, QStringLiteral("readme.pdf")); }));
    // The About box hangs off the manual button's context menu (and Shift+F1): the header keeps its layout.
    manualButton->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *aboutAction = new QAction(QStringLiteral("關於澄溪導師筆記…"), manualButton);
    aboutAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    aboutAction->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction, &QAction::triggered, this, Guarded([this] { ShowAboutBox(this, programFolder_); }));
    manualButton->addAction(aboutAction);
    addAction(aboutAction);
    capture_ = new CaptureSession(*store_, header_);

    // Left pane | entry page | page scan, with the two bars between them.
    mainSplitter_ = new QSplitter(Qt::Horizontal, root);
    mainSplitter_->setObjectName(QStringLiteral("MainSplitter"));
    mainSplitter_->setHandleWidth(DesignPixels(3));
    mainSplitter_->setOpaqueResize(false); // a line follows the pointer; the panes resize when it ends
    rootLayout->addWidget(mainSplitter_, 1);

    leftPane_ = new QWidget(mainSplitter_);
    leftPane_->setObjectName(QStringLiteral("Panel2"));
    auto *leftLayout = new QVBoxLayout(leftPane_);
    leftLayout->setContentsMargins(1, 1, 1, 1);
    leftLayout->setSpacing(0);
    leftBar_ = new QWidget(leftPane_);
    leftBar_->setObjectName(QStringLiteral("Splitter2"));
    leftBar_->setFixedHeight(DesignPixels(3));
    leftBar_->setCursor(Qt::SizeVerCursor); // nothing above it to resize
    leftLayout->addWidget(leftBar_);
    tabs_ = new QTabWidget(leftPane_);
    tabs_->setObjectName(QStringLiteral("PageControl1"));
    // The four captions stay in view side by side, without scroll arrows.
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);
    leftLayout->addWidget(tabs_, 1);

    entries_ = new EntriesPane(*store_, tabs_);
    search_ = new SearchPane(*store_, tabs_);
    capture_->SetEntriesList(entries_->List());
    scans_ = new FileBrowserPane(FileBrowserPane::Scans(), tabs_);
    pdfVolumes_ = new FileBrowserPane(FileBrowserPane::PdfVolumes(), tabs_);
    tabs_->addTab(entries_, QStringLiteral("條目"));
    tabs_->addTab(search_, QStringLiteral("檢索"));
    tabs_->addTab(scans_, QStringLiteral("圖檔"));
    tabs_->addTab(pdfVolumes_, QStringLiteral("PDF"));
    tabs_->setCurrentIndex(3); // as laid out; the construction turns to the first page
    tabs_->setAccessibleName(QStringLiteral("分頁"));
    tabs_->tabBar()->setAccessibleName(QStringLiteral("分頁"));

    entryView_ = new EntryView(mainSplitter_);
    pageViewer_ = new PageViewer(mainSplitter_);
    mainSplitter_->addWidget(entryView_);
    mainSplitter_->addWidget(pageViewer_);
    mainSplitter_->setStretchFactor(0, 0);
    mainSplitter_->setStretchFactor(1, 1);
    mainSplitter_->setStretchFactor(2, 0);
    mainSplitter_->setCollapsible(1, false);
    const int handles = 2 * mainSplitter_->handleWidth();
    mainSplitter_->setSizes({DesignPixels(258), DesignPixels(1101) - DesignPixels(258) - DesignPixels(469) - handles,
                             DesignPixels(469)});
    pendingScanPaneWidth_ = DesignPixels(469);
    leftPane_->setMinimumWidth(0);
    // However narrow the window, the page and the scan keep room to be read and used.
    entryView_->setMinimumWidth(DesignPixels(160));
    pageViewer_->setMinimumWidth(DesignPixels(120));
    setMinimumSize(DesignPixels(600), DesignPixels(400));
    mainSplitter_->handle(1)->setObjectName(QStringLiteral("Splitter1"));
    mainSplitter_->handle(2)->setObjectName(QStringLiteral("Splitter3"));
}

void MainWindow::Wire() {
    connect(entries_, &EntriesPane::EntryChosen, this, Guarded([this](NoteRef ref) { ShowEntry(ref, QString(), Opener::EntriesList); }));
    connect(search_, &SearchPane::HitChosen, this,
            Guarded([this](NoteRef ref, const QString &highlight) {
                ShowEntry(ref, highlight, Opener::SearchResults);
            }));
    connect(search_, &SearchPane::ShowInEntriesList, this, Guarded([this](NoteRef ref) { SelectInEntriesList(ref); }));
    connect(scans_, &FileBrowserPane::FileChosen, this,
            Guarded([this](const QString &path) { pageViewer_->ShowScan(path); }));
    connect(scans_, &FileBrowserPane::FilterEdited, this, Guarded([this](const QString &text) {
                // The keyword is taken out again; the list then shows every name.
                if (capture_->TakeKeyword(text))
                    scans_->ClearFilter();
            }));
    connect(pdfVolumes_, &FileBrowserPane::FileChosen, this, Guarded([this](const QString &path) { OpenDocument(this, path); }));
    connect(capture_, &CaptureSession::Notice, this, [this](const QString &text) { ShowNotice(text); });
    connect(capture_, &CaptureSession::LastingNotice, this, [this](const QString &text) { ShowLastingNotice(text); });
    // The entry shown is shown again from its notebook read anew (its text may have changed).
    connect(store_, &NotebookStore::BookReloaded, this, Guarded([this](int book) {
                if (shownEntry_.book != book || !store_->Contains(shownEntry_))
                    return;
                revisiting_ = true;
                const auto done = qScopeGuard([this] { revisiting_ = false; });
                ShowEntry(shownEntry_, shownHighlight_, shownBy_);
            }));
    // Capture: the scan's right click goes to the session, which records into the notebooks.
    connect(capture_, &CaptureSession::RecordingChanged, pageViewer_, &PageViewer::SetCaptureMode);
    connect(capture_, &CaptureSession::CaptionChanged, pageViewer_, &PageViewer::SetCaptureCaption);
    connect(capture_, &CaptureSession::ShowWanted, this,
            Guarded([this](NoteRef ref, NoteList *list, const QString &highlight) {
                if (list == entries_->List())
                    tabs_->setCurrentWidget(entries_);
                ShowEntry(ref, highlight, OpenerOf(list));
            }));
    connect(pageViewer_, &PageViewer::PositionPicked, capture_, Guarded([this](int x, int y) { capture_->RecordAt(x, y); }));
    connect(mainSplitter_, &QSplitter::splitterMoved, this, Guarded([this](int, int index) {
                if (index == 1 && leftPane_->height() <= 29)
                    leftPane_->resize(leftPane_->width(), 30);
            }));
}

void MainWindow::WireScanFeatures() {
    pageViewer_->SetScanListing([this](const QString &letter) { return scans_->Paths(letter); });
    connect(pageViewer_, &PageViewer::UndoCaptureWanted, capture_, Guarded([this] { capture_->Undo(); }));
    connect(pageViewer_, &PageViewer::NextUnpositionedWanted, capture_,
            Guarded([this] { capture_->ShowNextWithoutPosition(); }));
}

void MainWindow::WireScanMap() {
    pageViewer_->SetScanIndex(scanIndex_);
    connect(pageViewer_, &PageViewer::EntryPicked, this, Guarded([this](NoteRef ref) { ShowPickedEntry(ref); }));
    connect(search_, &SearchPane::ResultsChanged, this, Guarded([this] {
                pageViewer_->SetHits(search_->Query().isEmpty() ? std::vector<NoteRef>{}
                                                                : search_->List()->Rows()->Rows());
            }));
}

void MainWindow::ShowPickedEntry(NoteRef ref) {
    // As a click in the entries list: its row selected (its notebook ticked if need be), and shown.
    entries_->Select(ref);
    ShowEntry(ref, QString(), Opener::EntriesList);
}

NoteList *MainWindow::ListOf(Opener opener) const {
    switch (opener) {
    case Opener::EntriesList: return entries_->List();
    case Opener::SearchResults: return search_->List();
    case Opener::None: break;
    }
    return nullptr;
}

MainWindow::Opener MainWindow::OpenerOf(const NoteList *list) const {
    if (list && list == entries_->List()) return Opener::EntriesList;
    if (list && list == search_->List()) return Opener::SearchResults;
    return Opener::None;
}

void MainWindow::ShowEntry(NoteRef ref, const QString &highlight, Opener opener) {
    const NoteEntry &entry = store_->Entry(ref);
    shownBy_ = opener;
    shownEntry_ = ref;
    shownHighlight_ = highlight;
    if (!revisiting_)
        history_.Add({ref, highlight, int(opener)});
    entryView_->SetReferenceLine(entry.isPage ? QString() : ReferenceLine(ref.book, entry));
    capture_->SetOpener(ListOf(opener), highlight);
    capture_->RefreshCaption();
    entryView_->ShowEntry(entry, highlight);
    pageViewer_->ShowEntry(entry);
    // Once the page is drawn, the pages the reader steps to next are decoded ahead.
    QTimer::singleShot(0, this, Guarded([this, opener] {
                           if (NoteList *list = ListOf(opener == Opener::None ? Opener::EntriesList : opener))
                               pageViewer_->PrefetchScans(list->NeighbourScans());
                       }));
}

void MainWindow::ShowNotice(const QString &text) { notices_->Add(text, NoticeStrip::Kind::Routine); }

void MainWindow::ShowLastingNotice(const QString &text) { notices_->Add(text, NoticeStrip::Kind::Lasting); }

void MainWindow::SelectInEntriesList(NoteRef ref) {
    if (!entries_->Select(ref))
        return;
    tabs_->setCurrentWidget(entries_);
    entries_->FocusList();
}

void MainWindow::ApplySettings(const WindowSettings &stored) {
    place_->Restore(stored.outer, stored.frame, stored.maximised);
    pageViewer_->SetZoomFactor(stored.zoomFactor);
    SetScanPaneWidth(stored.scanPaneWidth);
    entryView_->SetPageZoom(stored.pageZoom);
    SetListFontSize(stored.listFontSize);
    pageViewer_->SetMarksShown(stored.showPositions);
}

WindowSettings MainWindow::CurrentSettings() const {
    WindowSettings s;
    s.outer = place_->Outer();
    s.frame = place_->Frame();
    s.zoomFactor = pageViewer_->ZoomFactor();
    s.maximised = isMaximized();
    QWidget *client = centralWidget();
    s.panelTop = mainSplitter_->handle(1)->mapTo(client, QPoint(0, 0)).y();
    s.panelLeft = leftBar_->x();
    s.panelLeft2 = mainSplitter_->handle(2)->mapTo(client, QPoint(0, 0)).x();
    s.panelWidth = search_->ResultsListWidth();
    s.scanPaneWidth = ScanPaneWidth();
    s.panelHeight = leftPane_->height();
    StoreReading(s);
    return s;
}

void MainWindow::SetScanPaneWidth(int width) {
    // The panes get their real widths when the window is first laid out: until then keep the width.
    if (firstShow_) {
        pendingScanPaneWidth_ = width;
        return;
    }
    QList<int> sizes = mainSplitter_->sizes();
    if (sizes.size() != 3)
        return;
    const int total = sizes[0] + sizes[1] + sizes[2];
    width = qBound(0, width, qMax(0, total - sizes[0]));
    sizes[1] = total - sizes[0] - width;
    sizes[2] = width;
    mainSplitter_->setSizes(sizes);
}

int MainWindow::ScanPaneWidth() const { return firstShow_ ? pendingScanPaneWidth_ : pageViewer_->width(); }

void MainWindow::ShowAsStored() { place_->Show(); }

void MainWindow::SetCaption(const QString &caption) {
    setWindowTitle(caption);
    ShowEmptyCaption();
}

void MainWindow::ShowEmptyCaption() {
    // The toolkit shows the program's name for an empty title: a lone space shows an empty caption,
    // while windowTitle() stays empty.
    if (windowTitle().isEmpty() && windowHandle())
        windowHandle()->setTitle(QStringLiteral(" "));
}

void MainWindow::showEvent(QShowEvent *event) {
    ShowEmptyCaption(); // the native window exists from the first showing on
    QMainWindow::showEvent(event);
    if (!firstShow_)
        return;
    firstShow_ = false;
    // The first paint comes before the search buffers: they are built while the reader looks.
    QTimer::singleShot(0, this, Guarded([this] {
                           if (loading_)
                               loading_->AddReader(); // the core that built the window reads too
                           if (AllNotebooksRead())
                               search_->PrepareInBackground();
                           if (!scanIndex_->IsBuilt()) {
                               scanIndex_->Build();
                               pageViewer_->SetScanIndex(scanIndex_);
                           }
                       }));
    if (QLayout *layout = centralWidget()->layout())
        layout->activate();
    SetScanPaneWidth(pendingScanPaneWidth_);
}

bool MainWindow::MayClose() {
    if (capture_->HasUnsavedPositions() &&
        !AskYesNo(this, QStringLiteral("警告 : 定位有更改，尚未儲存，是否確定結束程式？")))
        return false;
    try {
        WriteWindowSettings(settingsFolder_, CurrentSettings());
    } catch (const std::exception &e) {
        // The window must not become impossible to close: the user may leave without the settings.
        return AskYesNo(this, QStringLiteral("%1\n\n視窗設定無法儲存。仍要結束程式嗎？").arg(QString::fromUtf8(e.what())));
    }
    return true;
}

void MainWindow::ForgetUnsavedPositions() {
    // Only a crash should leave the journal behind; a failure to remove it must not keep the window open.
    try {
        capture_->ForgetJournal();
    } catch (...) {
        ShowCurrentError();
    }
}

void MainWindow::PrepareToEndUnasked() {
    EndQuestionsUnanswered(); // the question open now closes unanswered, and none is asked after it
    capture_->EndUnasked();
    try {
        WriteWindowSettings(settingsFolder_, CurrentSettings());
    } catch (const std::exception &e) {
        qCWarning(lcShell) << "the window's settings were not written at the end:" << e.what();
    }
    // The journal stays as it is: written after every change, it holds the positions not saved.
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // A failure to write the settings keeps the window open, like any handler error.
    try {
        if (MayClose()) {
            event->accept();
            ForgetUnsavedPositions();
        } else {
            event->ignore();
        }
    } catch (...) {
        event->ignore();
        ShowCurrentError();
    }
}

void MainWindow::WireReading() {
    const auto addKey = [this](QWidget *scope, const QKeySequence &keys, Qt::ShortcutContext context,
                               auto handler) {
        auto *shortcut = new QShortcut(keys, scope);
        shortcut->setContext(context);
        connect(shortcut, &QShortcut::activated, this, Guarded(handler));
    };
    addKey(this, QKeySequence(Qt::ALT | Qt::Key_Left), Qt::WindowShortcut, [this] { GoBack(); });
    // The desktop's own keys: Ctrl+Q leaves through the close question, F1 opens the manual.
    addKey(this, QKeySequence(Qt::CTRL | Qt::Key_Q), Qt::WindowShortcut, [this] { close(); });
    addKey(this, QKeySequence(Qt::Key_F1), Qt::WindowShortcut, [this] { OpenDocument(this, QStringLiteral("readme.pdf")); });
    addKey(this, QKeySequence(Qt::ALT | Qt::Key_Right), Qt::WindowShortcut, [this] { GoForward(); });
    // The scan's keys wherever the focus is, and the text-size keys on the pane under the pointer.
    WindowKeys::Panes panes;
    panes.window = this;
    panes.lists = leftPane_;
    panes.page = entryView_;
    panes.scan = pageViewer_;
    panes.stepListText = [this](int direction) { StepListFontSize(direction); };
    panes.stepPageZoom = [this](int direction) { entryView_->StepPageZoom(direction); };
    new WindowKeys(std::move(panes), this);
    // Turning to a tab (a click, Ctrl+Tab) puts the keyboard in its own control: the entries list, the
    // search's query box, the scans' and volumes' name filter.
    connect(tabs_, &QTabWidget::currentChanged, this, Guarded([this](int index) {
                if (!isVisible()) return;
                if (tabs_->widget(index) == entries_)
                    entries_->FocusList();
                else
                    tabs_->widget(index)->setFocus(Qt::TabFocusReason);
            }));
    // The mouse's back and forward buttons act wherever they are pressed in the window.
    qApp->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this) {
        const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            Guarded([this, button] { button == Qt::BackButton ? GoBack() : GoForward(); })();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::GoBack() {
    if (history_.CanGoBack()) Revisit(history_.Back());
}

void MainWindow::GoForward() {
    if (history_.CanGoForward()) Revisit(history_.Forward());
}

void MainWindow::Revisit(const EntryHistory::Visit &visit) {
    if (!store_->Contains(visit.ref)) return;
    // The entries list follows, so that the page, the scan and the selection agree again.
    const auto opener = Opener(visit.opener);
    // The entries list follows too when a search result is in it (its notebook ticked).
    if (opener == Opener::EntriesList)
        entries_->Select(visit.ref);
    else
        entries_->List()->Select(visit.ref);
    revisiting_ = true;
    try {
        ShowEntry(visit.ref, visit.highlight, opener);
    } catch (...) {
        revisiting_ = false;
        throw;
    }
    revisiting_ = false;
}

void MainWindow::SetListFontSize(int pixels) {
    listFontSize_ = pixels <= 0 ? 0 : qBound(10, pixels, 48);
    entries_->SetListFontSize(listFontSize_);
    search_->SetListFontSize(listFontSize_);
}

void MainWindow::StepListFontSize(int direction) {
    const int current = listFontSize_ ? listFontSize_ : DesignPixels(17);
    SetListFontSize(direction == 0 ? 0 : current + 2 * direction);
}

void MainWindow::RestoreReading(const WindowSettings &stored) {
    if (stored.openTab >= 0 && stored.openTab < tabs_->count()) tabs_->setCurrentIndex(stored.openTab);
    search_->SetFolding(stored.searchFold);
    restoring_ = stored;
    // The search waits for every notebook: its results would otherwise be built again as each comes in.
    searchPending_ = !stored.searchText.isEmpty();
    if (searchPending_ && !loading_) {
        searchPending_ = false;
        search_->SetQuery(stored.searchText);
    }
    entryPending_ = true;
    RestoreEntry();
}

void MainWindow::RestoreEntry() {
    // "K:12": shown again only when that record still has the headword it had.
    const QStringList parts = restoring_.lastEntry.split(QLatin1Char(':'));
    const auto letter = parts.size() == 2 ? std::find(NotebookLetters().begin(), NotebookLetters().end(), parts[0])
                                          : NotebookLetters().end();
    bool numeric = false;
    const NoteRef ref{int(letter - NotebookLetters().begin()), parts.value(1).toInt(&numeric)};
    if (letter != NotebookLetters().end() && !taken_[size_t(ref.book)] && !store_->Contains(ref))
        return; // its notebook is still being read
    entryPending_ = false;
    // Someone who opened an entry while the notebook was read keeps it.
    if (letter == NotebookLetters().end() || !numeric || shownEntry_.isValid() || !store_->Contains(ref) ||
        SettingsLine(store_->Entry(ref).title) != restoring_.lastHeadword)
        return;
    entries_->Select(ref);
    ShowEntry(ref, QString(), Opener::EntriesList);
}

void MainWindow::StoreReading(WindowSettings &s) const {
    s.pageZoom = entryView_->PageZoom();
    s.listFontSize = listFontSize_;
    s.openTab = tabs_->currentIndex();
    s.searchText = search_->Query();
    s.searchFold = search_->Folding();
    s.showPositions = pageViewer_->MarksShown();
    // Where the reading stopped, when the notebooks it needs were not in yet, stays as it was.
    if (searchPending_)
        s.searchText = restoring_.searchText;
    if (entryPending_ && !shownEntry_.isValid()) {
        s.lastEntry = restoring_.lastEntry;
        s.lastHeadword = restoring_.lastHeadword;
    } else if (store_->Contains(shownEntry_)) {
        s.lastEntry = NotebookLetters()[size_t(shownEntry_.book)] + QLatin1Char(':') +
                      QString::number(shownEntry_.entry);
        s.lastHeadword = store_->Entry(shownEntry_).title;
    }
}
