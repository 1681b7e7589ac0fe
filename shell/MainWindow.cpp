#include "shell/MainWindow.h"

#include "common/Log.h"
#include "corpus/NotebookLoader.h"
#include "corpus/NotebookStore.h"
#include "corpus/ReadingContext.h"
#include "corpus/ScanIndex.h"
#include "display/EntryView.h"
#include "display/SearchPane.h"
#include "images/FileBrowserPane.h"
#include "images/PageViewer.h"
#include "shell/CaptureProposals.h"
#include "shell/CaptureSession.h"
#include "shell/CaptureStepping.h"
#include "shell/CitationCopy.h"
#include "shell/CloseQuestion.h"
#include "shell/DocumentOpener.h"
#include "shell/EntriesPane.h"
#include "shell/ExportMenu.h"
#include "shell/HistoryKeys.h"
#include "shell/KeyboardAccess.h"
#include "shell/MarksWiring.h"
#include "shell/NightMode.h"
#include "shell/PaneSplitter.h"
#include "shell/StatusLine.h"
#include "shell/WindowHeader.h"
#include "shell/WindowKeys.h"
#include "shell/WindowMemory.h"
#include "shell/WindowPlace.h"
#include "widgets/AccessibleFocus.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"
#include "widgets/NoteList.h"
#include "widgets/NoticeStrip.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

namespace {

// Said in the header while large notes are still being read after the window showed.
QString ReadingNotice() {
    return QStringLiteral("筆記讀入中，條目列表隨讀隨增；檢索先查已讀入的部分…");
}

} // namespace

MainWindow::MainWindow(const QString &programPath, QWidget *parent, const QString &settingsFolder)
    : QMainWindow(parent), store_(new NotebookStore(this)), loader_(new NotebookLoader(*store_, this)),
      reading_(new ReadingContext(*store_, this)), place_(new WindowPlace(this)),
      scanIndex_(new ScanIndex(*store_, this)) {
    InstallAccessibleFocus(); // before the panes are made
    programFolder_ = QFileInfo(programPath).absolutePath() + QLatin1Char('/');
    settingsFolder_ = settingsFolder.isEmpty() ? programFolder_ : settingsFolder;
    // The notes are read on worker threads while the window and its web view are built: at a hundred
    // megabytes of notes that hides much of the reading.
    BuildPanes();
    loader_->TakeFirst();
    // The reader's own marks (stars, notes: kept beside the library, never in its notes files), night
    // reading.
    new MarksWiring({this, store_, reading_, tabs_, entries_->List(), search_, entryView_,
                     [this](const QString &text) { ShowLastingNotice(text); }},
                    QDir::currentPath(), this);
    night_ = new NightMode(this, entryView_, pageViewer_);
    for (QAction *action : {night_->Toggle(), night_->InvertScan()})
        static_cast<WindowHeader *>(header_)->AddMenuAction(action);
    SetCaption(ReadWindowTitle(programFolder_, windowTitle()));
    memory_ = new WindowMemory({this, place_, mainSplitter_, leftPane_, leftBar_, tabs_, entries_, search_,
                                entryView_, pageViewer_, reading_, store_, night_},
                               settingsFolder_, this);
    memory_->ApplyStored();

    tabs_->setCurrentIndex(0);
    entries_->Fill();
    scans_->ScanFolders(programFolder_);
    pdfVolumes_->ScanFolders(programFolder_);
    scans_->ApplyFilter();
    pdfVolumes_->ApplyFilter();
    Wire();
    WireShown();
    WireScanMap();
    // Capture by proposals: after the pane, so that the scan of an entry is shown when it is proposed on.
    new CaptureProposals(*capture_, *stepping_, *store_, *reading_, *pageViewer_, this);
    WireKeys();
    // The entry page and the scan draw no focus of their own; their context menus open from the keyboard.
    new FocusRing(this, {entryView_, pageViewer_});
    OrderPanes(this, {leftPane_, entryView_, pageViewer_});
    InstallContextMenuKeys(this,
                           {{entryView_, entryView_->WebView()}, {pageViewer_, pageViewer_->MenuSurface()}});
    memory_->TakeUpReading(loader_->IsDone());
    // The keyboard starts where the reading does: in the entries list (or the open tab's own control),
    // not on the manual button, which Space would open.
    if (tabs_->currentWidget() == entries_)
        entries_->FocusList();
    else
        tabs_->currentWidget()->setFocus(Qt::OtherFocusReason);
    connect(loader_, &NotebookLoader::AllRead, this, [this] { TakeUpAfterReading(); });
    connect(loader_, &NotebookLoader::Unreadable, this, &MainWindow::NotesUnreadable);
    if (loader_->IsDone())
        TakeUpAfterReading();
    else
        notices_->Add(ReadingNotice(), NoticeStrip::Kind::Routine, true);
}

MainWindow::~MainWindow() {
    EndQuestionsUnanswered(false); // a window made after this one may ask again
}

bool MainWindow::AllNotebooksRead() const {
    return loader_->IsDone();
}

void MainWindow::FinishReading() {
    loader_->Finish();
}

void MainWindow::TakeUpAfterReading() {
    notices_->Dismiss(ReadingNotice());
    for (const QString &warning : loader_->Warnings())
        ShowNotice(warning); // one a file, each with its own close button
    memory_->AllRead();
    if (!firstShow_) search_->PrepareInBackground();
    // Positions left unsaved by a run that did not end normally; an unreadable journal is said so and kept.
    Guarded([this] { capture_->OfferJournals(); })();
    // From now on a notes file written by another program is read again.
    store_->WatchFiles();
    Q_EMIT NotebooksRead();
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
    capture_ = new CaptureSession(*store_, *reading_, this);
    header_ = new WindowHeader(this, programFolder_, *capture_, root);
    rootLayout->addWidget(header_);
    // The reader's own notices (a notes file read anew, a journal not taken) under the header.
    notices_ = new NoticeStrip(root);
    rootLayout->addWidget(notices_);

    // Left pane | entry page | page scan, with the two bars between them.
    mainSplitter_ = new PaneSplitter(root);
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
    mainSplitter_->SetPanes(leftPane_, entryView_, pageViewer_);
    setMinimumSize(DesignPixels(600), DesignPixels(400));
    // The shown entry's notebook and page, the scan's zoom, the count of capture mode, below the panes.
    setStatusBar(new StatusLine(*store_, *reading_, *capture_, *pageViewer_, this));
}

void MainWindow::Wire() {
    connect(entries_, &EntriesPane::EntryChosen, this,
            Guarded([this](NoteRef ref) { reading_->Show(ref, QString(), OpenedFrom::EntriesList); }));
    connect(search_, &SearchPane::HitChosen, this, Guarded([this](NoteRef ref, const QString &highlight) {
                reading_->Show(ref, highlight, OpenedFrom::SearchResults);
            }));
    connect(search_, &SearchPane::ShowInEntriesList, this, Guarded([this](NoteRef ref) {
                if (!entries_->Select(ref)) return;
                tabs_->setCurrentWidget(entries_);
                entries_->FocusList();
            }));
    connect(scans_, &FileBrowserPane::FileChosen, this,
            Guarded([this](const QString &path) { pageViewer_->ShowScan(path); }));
    connect(scans_, &FileBrowserPane::FilterEdited, this, Guarded([this](const QString &text) {
                // The keyword is taken out again; the list then shows every name.
                if (capture_->TakeKeyword(text)) scans_->ClearFilter();
            }));
    connect(pdfVolumes_, &FileBrowserPane::FileChosen, this,
            Guarded([this](const QString &path) { OpenDocument(this, path); }));
    connect(capture_, &CaptureSession::Notice, this, [this](const QString &text) { ShowNotice(text); });
    connect(capture_, &CaptureSession::LastingNotice, this,
            [this](const QString &text) { ShowLastingNotice(text); });
    connect(capture_, &CaptureSession::NoticeOver, notices_, &NoticeStrip::Dismiss);
    // Capture: the scan's right click goes to the session, which records into the notebooks and moves
    // on in the list that opened the entry shown.
    stepping_ = std::make_unique<CaptureStepping>(*reading_, entries_->List(), search_->List());
    capture_->SetTargets(stepping_.get());
    connect(capture_, &CaptureSession::RecordingChanged, pageViewer_, &PageViewer::SetCaptureMode);
    connect(capture_, &CaptureSession::CaptionChanged, pageViewer_, &PageViewer::SetCaptureCaption);
    connect(pageViewer_, &PageViewer::PositionPicked, capture_,
            Guarded([this](int x, int y) { capture_->RecordAt(x, y); }));
    connect(pageViewer_, &PageViewer::UndoCaptureWanted, capture_, Guarded([this] { capture_->Undo(); }));
    connect(pageViewer_, &PageViewer::NextUnpositionedWanted, capture_,
            Guarded([this] { capture_->ShowNextWithoutPosition(); }));
    // Taking the notes out: the header's export menu, and the citation of the entry shown.
    auto *exportMenu = new ExportMenu(*store_, *reading_, this);
    header_->AddButton(exportMenu->Button());
    connect(search_, &SearchPane::ResultsChanged, exportMenu, &ExportMenu::SetResults);
    connect(exportMenu, &ExportMenu::Notice, this, [this](const QString &text) { ShowNotice(text); });
    auto *citation = new CitationCopy(*store_, *reading_, this);
    entryView_->SetReferenceCopier(Guarded([citation] { citation->Copy(); }));
    connect(citation, &CitationCopy::Notice, this, [this](const QString &text) { ShowNotice(text); });
}

void MainWindow::WireShown() {
    entries_->Follow(*reading_);
    connect(reading_, &ReadingContext::ShownChanged, this,
            Guarded([this](const ShownEntry &shown, ReadingContext::Move move) {
                const NoteEntry &entry = store_->Entry(shown.ref);
                entryView_->ShowRecord(shown.ref.book, entry, shown.highlight);
                pageViewer_->ShowEntry(entry);
                // Capture mode moving on in the entries list turns to it.
                if (move == ReadingContext::Move::Stepped && shown.from == OpenedFrom::EntriesList)
                    tabs_->setCurrentWidget(entries_);
                // Once the page is drawn, the pages the reader steps to next are decoded ahead.
                NoteList *list = shown.from == OpenedFrom::SearchResults ? search_->List() : entries_->List();
                QTimer::singleShot(
                    0, list, Guarded([this, list] { pageViewer_->PrefetchScans(list->NeighbourScans()); }));
            }));
}

void MainWindow::WireScanMap() {
    pageViewer_->SetScanListing([this](const QString &letter) { return scans_->Paths(letter); });
    pageViewer_->SetScanIndex(scanIndex_);
    // As a click in the entries list: its row selected (its notebook ticked if need be), and shown.
    connect(pageViewer_, &PageViewer::EntryPicked, this,
            Guarded([this](NoteRef ref) { reading_->Show(ref, QString(), OpenedFrom::EntriesList); }));
    connect(search_, &SearchPane::ResultsChanged, pageViewer_, &PageViewer::SetHits);
    // A page opened from the results keeps its marks on the query as it changes, and loses them when
    // the query no longer occurs in it.
    connect(search_, &SearchPane::ResultsChanged, this, Guarded([this] {
                const ShownEntry &shown = reading_->Shown();
                if (shown.from == OpenedFrom::SearchResults && store_->Contains(shown.ref))
                    reading_->Rehighlight(search_->HighlightFor(store_->Entry(shown.ref)));
            }));
    connect(reading_, &ReadingContext::HighlightChanged, entryView_,
            Guarded([this](const ShownEntry &shown) { entryView_->Rehighlight(shown.highlight); }));
}

void MainWindow::WireKeys() {
    new HistoryKeys(this, *reading_);
    const auto addKey = [this](const QKeySequence &keys, auto handler) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, Guarded(handler));
    };
    // The desktop's own keys: Ctrl+Q leaves through the close question, F1 opens the manual.
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
    addKey(QKeySequence(Qt::Key_F1), [this] { OpenDocument(this, QStringLiteral("readme.pdf")); });
    // The scan's keys wherever the focus is, and the text-size keys on the pane under the pointer.
    WindowKeys::Panes panes;
    panes.window = this;
    panes.lists = leftPane_;
    panes.page = entryView_;
    panes.pageView = entryView_;
    panes.search = search_;
    panes.scan = pageViewer_;
    panes.stepListText = [this](int direction) { memory_->StepListFontSize(direction); };
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
}

void MainWindow::ShowNotice(const QString &text) {
    notices_->Add(text, NoticeStrip::Kind::Routine);
}

void MainWindow::ShowLastingNotice(const QString &text) {
    notices_->Add(text, NoticeStrip::Kind::Lasting);
}

void MainWindow::ShowAsStored() {
    place_->Show();
}

void MainWindow::SetCaption(const QString &caption) {
    setWindowTitle(caption);
    ShowEmptyCaption();
}

void MainWindow::ShowEmptyCaption() {
    // The toolkit shows the program's name for an empty title: a lone space shows an empty caption,
    // while windowTitle() stays empty.
    if (windowTitle().isEmpty() && windowHandle()) windowHandle()->setTitle(QStringLiteral(" "));
}

void MainWindow::showEvent(QShowEvent *event) {
    ShowEmptyCaption(); // the native window exists from the first showing on
    QMainWindow::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    // The first paint comes before the search buffers: they are built while the reader looks.
    QTimer::singleShot(0, this, Guarded([this] {
                           loader_->AddReader(); // the core that built the window reads too
                           if (AllNotebooksRead()) search_->PrepareInBackground();
                           if (!scanIndex_->IsBuilt()) {
                               scanIndex_->Build();
                               pageViewer_->SetScanIndex(scanIndex_);
                           }
                       }));
    if (QLayout *layout = centralWidget()->layout()) layout->activate();
    mainSplitter_->Settle();
}

bool MainWindow::MayClose() {
    if (capture_->HasUnsavedPositions()) {
        const CloseAnswer answer = AskCloseWithUnsaved(this);
        if (answer == CloseAnswer::Stay) return false;
        // A save that leaves some position out (a "no" to its conflict question) keeps the window open.
        if (answer == CloseAnswer::SaveThenLeave && !capture_->Save()) return false;
    }
    try {
        memory_->Write();
    } catch (const std::exception &e) {
        // The window must not become impossible to close: the user may leave without the settings.
        return AskYesNo(
            this,
            QStringLiteral("%1\n\n視窗設定無法儲存。仍要結束程式嗎？").arg(QString::fromUtf8(e.what())));
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
        memory_->Write();
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
