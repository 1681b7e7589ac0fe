#include "shell/Main.h"

#include "corpus/Error.h"
#include "display/Search.h"
#include "display/SearchList.h"
#include "display/WebHost.h"
#include "images/PageView.h"
#include "shell/EntriesList.h"
#include "shell/OwnerDrawList.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

TfmMain *fmMain = nullptr;

const QString kAppTitle = QStringLiteral("澄溪導師筆記");

std::function<bool(const QString &)> TfmMain::confirmDialog = [](const QString &text) {
    return QMessageBox::question(fmMain, kAppTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
};

std::function<void(const QString &)> TfmMain::messageDialog = [](const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, kAppTitle, text, QMessageBox::Ok, fmMain);
    box.exec();
};

namespace {

// A panel whose children sit at fixed places, like the form lays them out.
QWidget *MakePanel(QWidget *parent, int height) {
    auto *panel = new QWidget(parent);
    panel->setFixedHeight(height);
    return panel;
}

QCheckBox *MakeCheck(QWidget *parent, const QString &caption, const QRect &r, bool checked = true) {
    auto *box = new QCheckBox(caption, parent);
    box->setGeometry(r);
    box->setChecked(checked);
    return box;
}

} // namespace

int TfmMain::S(int designPixels) const {
    // The form was laid out at 120 pixels per inch; the screen's logical density scales it.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return int(qRound(designPixels * dpi / 120.0));
}

TfmMain::TfmMain(const QString &programPath, QWidget *parent) : QMainWindow(parent) {
    fmMain = this;
    // 1. The controls of the form.
    CreateControls();
    // 2. The program's folder, with its trailing separator.
    appFolder = QFileInfo(programPath).absolutePath() + QLatin1Char('/');
    // 3.-8. Shared members.
    currentImagePath.clear();
    dragging = false;
    imageRate = 1.0f;
    bookLetters = QStringList{"K", "M", "N", "O"};
    scanLetters = QStringList{"K", "L", "M", "N", "O"};
    itemChecks = {cbKItem, cbMItem, cbNItem, cbOItem};
    searchChecks = {cbKSearch, cbMSearch, cbNSearch, cbOSearch};
    imgChecks = {cbKImg, cbLImg, cbMImg, cbNImg, cbOImg};
    pdfChecks = {cbKPDF, cbMPDF, cbNPDF, cbOPDF};
    scanColors = {QColor(0xFFD0D0), QColor(0xFFFFBB), QColor(0xD0FFD0), QColor(0xFFEED0), QColor(0xD0D0FF)};
    scanAltColors = {QColor(0xFFF0F0), QColor(0xFFFFE3), QColor(0xF0FFF0), QColor(0xFFFAF0), QColor(0xF0F0FF)};
    rowColors = {QColor(0xFFD0D0), QColor(0xD0FFD0), QColor(0xFFEED0), QColor(0xD0D0FF)};
    rowAltColors = {QColor(0xFFF0F0), QColor(0xF0FFF0), QColor(0xFFFAF0), QColor(0xF0F0FF)};
    pageRowColors = {QColor(0xFFA0A0), QColor(0xA0FFA0), QColor(0xFFDE9F), QColor(0xA0A0FF)};
    notesFiles = QStringList{"velmora200_k.xml", "velmora200_M.xml", "velmora200_N.xml", "velmora200_O.xml"};
    for (auto &list : imgFileLists)
        list.clear();
    for (auto &list : pdfFileLists)
        list.clear();
    positionsChanged.fill(false);
    // 9.-10. The settings files.
    LoadSetup();
    LoadWindowState();
    // 11. A blank document to write entry pages into.
    blankPending = true;
    WebBrowser1->setUrl(QUrl(QStringLiteral("about:blank")));
    // 12. The notebooks, from the working directory.
    QList<const Notebook *> books;
    for (int i = 0; i < 4; ++i) {
        notebooks[i] = std::make_unique<Notebook>();
        notebooks[i]->LoadNotes(notesFiles[i]);
        books << notebooks[i].get();
    }
    search = std::make_unique<EntrySearch>(books);
    // 13.-15. The lists.
    PageControl1->setCurrentIndex(0);
    FillDataList();
    ScanImageFolder();
    ScanPdfFolder();
    FilterImageList();
    FilterPdfList();
    ConnectEvents();
}

TfmMain::~TfmMain() {
    if (fmMain == this)
        fmMain = nullptr;
}

void TfmMain::CreateControls() {
    setWindowTitle(kAppTitle);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(S(17));
    setFont(font);
    resize(S(1101), S(749));
    move(0, 0);

    auto *root = new QWidget(this);
    setCentralWidget(root);
    auto *rootLayout = new QVBoxLayout(root);
    rootLayout->setContentsMargins(0, 0, 0, 0);
    rootLayout->setSpacing(0);

    // Header panel.
    Panel1 = MakePanel(root, S(57));
    Panel1->setObjectName("Panel1");
    rootLayout->addWidget(Panel1);
    Label3 = new QLabel(kAppTitle, Panel1);
    Label3->setGeometry(S(16), S(9), S(198), S(42));
    QFont titleFont(QStringLiteral("微軟正黑體"));
    titleFont.setPixelSize(S(33));
    Label3->setFont(titleFont);
    Label3->setStyleSheet(QStringLiteral("color: #800000;"));
    btReadme = new QPushButton(QStringLiteral("操作說明"), Panel1);
    btReadme->setGeometry(S(241), S(13), S(82), S(29));
    cbGetImgXY = MakeCheck(Panel1, QStringLiteral("右鍵記錄座標"), QRect(S(345), S(19), S(129), S(17)), false);
    cbGetImgXY->hide();
    btSaveImgXY = new QPushButton(QStringLiteral("儲存座標"), Panel1);
    btSaveImgXY->setGeometry(S(480), S(13), S(89), S(29));
    btSaveImgXY->hide();

    // Left pane | web view | page image, with the two bars between them.
    MainSplitter = new QSplitter(Qt::Horizontal, root);
    MainSplitter->setHandleWidth(S(3));
    MainSplitter->setOpaqueResize(false); // a line follows the pointer; the panes resize when it ends
    rootLayout->addWidget(MainSplitter, 1);

    Panel2 = new QWidget(MainSplitter);
    auto *leftLayout = new QVBoxLayout(Panel2);
    leftLayout->setContentsMargins(1, 1, 1, 1);
    leftLayout->setSpacing(0);
    Splitter2 = new QWidget(Panel2);
    Splitter2->setFixedHeight(S(3));
    Splitter2->setCursor(Qt::SizeVerCursor); // nothing above it to resize
    leftLayout->addWidget(Splitter2);
    PageControl1 = new QTabWidget(Panel2);
    // The four captions stay in view side by side, without scroll arrows.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    leftLayout->addWidget(PageControl1, 1);

    auto makeTab = [&](const QString &caption, int panelHeight, QWidget *&panel) {
        auto *tab = new QWidget;
        auto *layout = new QVBoxLayout(tab);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        panel = MakePanel(tab, S(panelHeight));
        layout->addWidget(panel);
        PageControl1->addTab(tab, caption);
        return tab;
    };
    auto makeList = [&](QWidget *tab) {
        auto *list = new OwnerDrawList(tab);
        list->itemHeight = S(21);
        static_cast<QVBoxLayout *>(tab->layout())->addWidget(list, 1);
        return list;
    };
    const int lefts[5] = {S(11), S(58), S(105), S(152), S(199)};
    // One row of letter check boxes, all checked, at the form's places.
    auto makeLetters = [&](QWidget *panel, const char *letters, std::initializer_list<QCheckBox **> boxes) {
        int i = 0;
        for (QCheckBox **box : boxes) {
            *box = MakeCheck(panel, QString(QLatin1Char(letters[i])), QRect(lefts[i], S(16), S(41), S(17)));
            ++i;
        }
    };
    auto makeFilter = [&](QWidget *panel, int top) {
        auto *edit = new QLineEdit(panel);
        edit->setGeometry(S(11), S(top), S(228), S(29));
        return edit;
    };

    TabSheet1 = makeTab(QStringLiteral("條目"), 49, Panel4);
    makeLetters(Panel4, "KMNO", {&cbKItem, &cbMItem, &cbNItem, &cbOItem});
    lbData = makeList(TabSheet1);

    TabSearch = makeTab(QStringLiteral("檢索"), 121, Panel3);
    makeLetters(Panel3, "KMNO", {&cbKSearch, &cbMSearch, &cbNSearch, &cbOSearch});
    cbTitle = MakeCheck(Panel3, QStringLiteral("條目"), QRect(S(11), S(50), S(57), S(17)));
    cbContent = MakeCheck(Panel3, QStringLiteral("內容"), QRect(S(71), S(50), S(57), S(17)));
    cbSource = MakeCheck(Panel3, QStringLiteral("出處"), QRect(S(134), S(50), S(60), S(17)));
    cbPs = MakeCheck(Panel3, QStringLiteral("案語"), QRect(S(191), S(50), S(59), S(17)));
    cbPs->hide();
    edSearch = makeFilter(Panel3, 79);
    lbSearch = makeList(TabSearch);

    TabSheet2 = makeTab(QStringLiteral("圖檔"), 89, Panel5);
    makeLetters(Panel5, "KLMNO", {&cbKImg, &cbLImg, &cbMImg, &cbNImg, &cbOImg});
    edImg = makeFilter(Panel5, 47);
    lbImg = makeList(TabSheet2);

    TabSheet3 = makeTab(QStringLiteral("PDF"), 89, Panel6);
    makeLetters(Panel6, "KMNO", {&cbKPDF, &cbMPDF, &cbNPDF, &cbOPDF});
    edPDF = makeFilter(Panel6, 47);
    lbPDF = makeList(TabSheet3);
    PageControl1->setCurrentIndex(3); // as laid out; the construction turns to the first page

    WebBrowser1 = CreateWebView(MainSplitter);
    CreateViewerControls();
    MainSplitter->addWidget(ScrollBox);

    MainSplitter->setStretchFactor(0, 0);
    MainSplitter->setStretchFactor(1, 1);
    MainSplitter->setStretchFactor(2, 0);
    MainSplitter->setCollapsible(1, false);
    const int handles = 2 * MainSplitter->handleWidth();
    MainSplitter->setSizes({S(258), S(1101) - S(258) - S(469) - handles, S(469)});
    pendingScrollBoxWidth = S(469);
    Panel2->setMinimumWidth(0);
    Splitter1 = MainSplitter->handle(1);
    Splitter3 = MainSplitter->handle(2);

    dataModel = new EntriesModel(this);
    SetUpEntriesList();
    SetUpSearchList();
    SetUpFileLists();
}

void TfmMain::ConnectEvents() {
    for (QCheckBox *box : itemChecks)
        connect(box, &QCheckBox::clicked, this, [this] { cbKItemClick(); });
    connect(lbData, &OwnerDrawList::Click, this, [this] { lbDataClick(); });

    for (QCheckBox *box : searchChecks)
        connect(box, &QCheckBox::clicked, this, [this] { cbKSearchClick(); });
    connect(cbTitle, &QCheckBox::clicked, this, [this] { cbTitleClick(); });
    connect(cbContent, &QCheckBox::clicked, this, [this] { cbContentClick(); });
    connect(cbSource, &QCheckBox::clicked, this, [this] { cbSourceClick(); });
    connect(cbPs, &QCheckBox::clicked, this, [this] { cbPsClick(); });
    connect(edSearch, &QLineEdit::textChanged, this, [this] { edSearchChange(); });
    connect(edSearch, &QLineEdit::returnPressed, this, [this] { edSearchKeyDown(13); });
    edSearch->installEventFilter(this);
    connect(lbSearch, &OwnerDrawList::Click, this, [this] { lbSearchClick(); });

    for (QCheckBox *box : imgChecks)
        connect(box, &QCheckBox::clicked, this, [this] { cbKImgClick(); });
    connect(edImg, &QLineEdit::textChanged, this, [this] { edImgChange(); });
    connect(lbImg, &OwnerDrawList::Click, this, [this] { lbImgClick(); });
    for (QCheckBox *box : pdfChecks)
        connect(box, &QCheckBox::clicked, this, [this] { cbKPDFClick(); });
    connect(edPDF, &QLineEdit::textChanged, this, [this] { edPDFChange(); });
    connect(lbPDF, &OwnerDrawList::Click, this, [this] { lbPDFClick(); });

    connect(btReadme, &QPushButton::clicked, this, [this] { btReadmeClick(); });
    connect(btSaveImgXY, &QPushButton::clicked, this, [this] { btSaveImgXYClick(); });
    connect(cbGetImgXY, &QCheckBox::clicked, this, [this] { cbGetImgXYClick(); });

    connect(MainSplitter, &QSplitter::splitterMoved, this, [this](int, int index) {
        if (index == 1)
            Splitter1Moved();
    });
    connect(WebBrowser1, &QWebEngineView::loadFinished, this, [this](bool) { WebBrowser1DocumentComplete(); });
}

bool TfmMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == edSearch && event->type() == QEvent::MouseButtonRelease)
        edSearchClick();
    return QMainWindow::eventFilter(watched, event);
}

void TfmMain::Splitter1Moved() {
    if (Panel2->height() <= 29)
        Panel2->resize(Panel2->width(), 30);
}

void TfmMain::Splitter2Moved() {
    if (lbSearch->width() <= 29)
        lbSearch->resize(30, lbSearch->height());
    if (lbData->width() <= 29)
        lbData->resize(30, lbData->height());
}

bool TfmMain::FormClose() {
    const bool unsaved = std::any_of(positionsChanged.begin(), positionsChanged.end(), [](bool b) { return b; });
    if (unsaved && !confirmDialog(QStringLiteral("警告 : 定位有更改，尚未儲存，是否確定結束程式？")))
        return false;
    SaveWindowState();
    return true;
}

void TfmMain::closeEvent(QCloseEvent *event) {
    // A failure to write the settings keeps the window open, like any handler error.
    try {
        if (FormClose())
            event->accept();
        else
            event->ignore();
    } catch (const std::exception &e) {
        event->ignore();
        ShowErrorMessage(QString::fromUtf8(e.what()));
    }
}
