#pragma once
// The main window: every control of the form, the members the parts of the program share, and the
// event handlers. Each part of the program adds its handlers in its own source file.

#include "corpus/Data.h"

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;
class QWebEnginePage;
class QWebEngineView;
class QWidget;
class QFrame;
class QMouseEvent;
class QWheelEvent;

class OwnerDrawList;   // shell/OwnerDrawList.h: a QListView with the toolkit's click semantics
class EntriesModel;    // shell/EntriesList.h
class SearchModel;     // display/SearchList.h
class FileNamesModel;  // images/FileLists.h
class ScrollBoxArea;   // images/PageView.h: the scroll box of the page image
class PageImage;       // images/PageView.h: the page image, painted stretched
class PointOverlay;    // images/PageView.h: the transparent overlay with its drawing surface
class EntrySearch;     // display/Search.h

class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and loads every notebook and file list; raises VelmoraError when a notes
    // file or a letter folder is missing (the window is then never shown).
    explicit TfmMain(const QString &programPath, QWidget *parent = nullptr);
    ~TfmMain() override;

    // Pixels at the design density (120 per inch) scaled to the screen's.
    int S(int designPixels) const;

    // ---- shared members -------------------------------------------------------------------------
    QString appFolder; // the program's folder, with a trailing separator
    std::array<QCheckBox *, 4> itemChecks{};
    std::array<QCheckBox *, 4> searchChecks{};
    std::array<QCheckBox *, 5> imgChecks{};
    std::array<QCheckBox *, 4> pdfChecks{};
    QStringList bookLetters;
    QStringList scanLetters;
    QStringList notesFiles;
    std::array<std::unique_ptr<Notebook>, 4> notebooks;
    std::array<bool, 4> positionsChanged{};
    std::array<QColor, 4> rowColors, rowAltColors, pageRowColors;
    std::array<QColor, 5> scanColors, scanAltColors;
    int dragStartX = 0, dragStartY = 0, dragStartHorz = 0, dragStartVert = 0;
    bool dragging = false;
    std::array<QStringList, 5> imgFileLists;
    std::array<QStringList, 4> pdfFileLists;
    QString currentImagePath;
    float imageRate = 1.0f;
    QList<int> itemBooks, itemEntries;
    QList<int> searchBooks, searchEntries;
    QWebEnginePage *htmlDocument = nullptr;

    // ---- controls (names of the form) -----------------------------------------------------------
    QSplitter *MainSplitter = nullptr; // holds Panel2 | WebBrowser1 | ScrollBox; its handles are the bars
    QWidget *Splitter1 = nullptr;      // handle between Panel2 and the web view
    QWidget *Splitter3 = nullptr;      // handle between the web view and ScrollBox
    QWidget *Splitter2 = nullptr;      // bar at the top of Panel2; it resizes nothing
    QWidget *Panel1 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *btReadme = nullptr;
    QPushButton *btSaveImgXY = nullptr;
    QCheckBox *cbGetImgXY = nullptr;
    QWidget *Panel2 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSearch = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
    QWidget *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr, *Panel6 = nullptr;
    QCheckBox *cbKItem = nullptr, *cbMItem = nullptr, *cbNItem = nullptr, *cbOItem = nullptr;
    QCheckBox *cbKSearch = nullptr, *cbMSearch = nullptr, *cbNSearch = nullptr, *cbOSearch = nullptr;
    QCheckBox *cbTitle = nullptr, *cbContent = nullptr, *cbSource = nullptr, *cbPs = nullptr;
    QCheckBox *cbKImg = nullptr, *cbLImg = nullptr, *cbMImg = nullptr, *cbNImg = nullptr, *cbOImg = nullptr;
    QCheckBox *cbKPDF = nullptr, *cbMPDF = nullptr, *cbNPDF = nullptr, *cbOPDF = nullptr;
    QLineEdit *edSearch = nullptr, *edImg = nullptr, *edPDF = nullptr;
    OwnerDrawList *lbData = nullptr, *lbSearch = nullptr, *lbImg = nullptr, *lbPDF = nullptr;
    ScrollBoxArea *ScrollBox = nullptr;
    PageImage *Image = nullptr;
    PointOverlay *imgPoint = nullptr;
    QWebEngineView *WebBrowser1 = nullptr;
    QTimer *Timer = nullptr;
    QMenu *ImagePopupMenu = nullptr;
    QAction *itemImage100 = nullptr, *N501 = nullptr, *N751 = nullptr, *N1004 = nullptr, *N1003 = nullptr,
            *N1002 = nullptr;
    bool imagePopupAuto = true; // the zoom menu opens on a right click over the page

    // ---- start-up and closing (shell/Main.cpp, shell/Settings.cpp) -------------------------------
    void LoadSetup();
    void LoadWindowState();
    void SaveWindowState();
    void Splitter1Moved();
    void Splitter2Moved();
    // The close question; returns false when the window must stay open.
    bool FormClose();
    // Shows the window, maximised when the settings say so.
    void ShowAsStored();

    // ---- entries list (shell/EntriesList.cpp) ----------------------------------------------------
    void FillDataList();
    void cbKItemClick();
    void lbDataClick();
    int DataRowHeight(int index) const;

    // ---- entry display (display/WebHost.cpp) -----------------------------------------------------
    void ShowEntry(int bookIndex, int entryIndex, const QString &highlight);
    void WritePage(const QString &body);
    void WebBrowser1DocumentComplete();
    QString lastWrittenPage; // the last page handed to the web view, whole

    // ---- search (display/SearchList.cpp) ---------------------------------------------------------
    void edSearchChange();
    void edSearchKeyDown(int key);
    void edSearchClick();
    void cbTitleClick();
    void cbContentClick();
    void cbPsClick();
    void cbSourceClick();
    void cbKSearchClick();
    void lbSearchClick();
    int SearchRowHeight(int index) const;

    // ---- page image viewer and marker (images/Viewer.cpp, images/Marker.cpp) ----------------------
    void LoadPageImage(const QString &path);
    void ScrollBoxMouseWheel(Qt::KeyboardModifiers shift, int wheelDelta, bool &handled);
    void itemImage100Click(QAction *sender);
    void imgPointMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void imgPointMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void imgPointMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void ShowEntryOnImage(int bookIndex, int entryIndex);
    void ClearMarker();
    void TimerTimer();

    // ---- position capture (images/Capture.cpp) ---------------------------------------------------
    void cbGetImgXYClick();
    void btSaveImgXYClick();
    void RevealCaptureMode();

    // ---- scans and PDF browsers (images/FileBrowsers.cpp) ----------------------------------------
    void ScanImageFolder();
    void FilterImageList();
    void cbKImgClick();
    void edImgChange();
    void lbImgClick();
    void ScanPdfFolder();
    void FilterPdfList();
    void cbKPDFClick();
    void edPDFChange();
    void lbPDFClick();
    void btReadmeClick();

    // Dialog seams: tests answer the close question and see the message boxes without a person.
    static std::function<bool(const QString &text)> confirmDialog; // Yes -> true
    static std::function<void(const QString &text)> messageDialog;

    // Models behind the lists.
    EntriesModel *dataModel = nullptr;
    SearchModel *searchModel = nullptr;
    FileNamesModel *imgModel = nullptr;
    FileNamesModel *pdfModel = nullptr;
    std::unique_ptr<EntrySearch> search;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void CreateControls();
    void CreateViewerControls(); // images/: ScrollBox, Image, imgPoint, the zoom menu, the Timer
    void SetUpFileLists();       // images/: models and painting of lbImg and lbPDF
    void SetUpEntriesList();     // shell/EntriesList.cpp
    void SetUpSearchList();      // display/SearchList.cpp
    void ConnectEvents();
    QString pendingPage;      // a page asked for while no document is ready
    bool hasPendingPage = false;
    bool blankPending = false; // a navigation to the blank page is under way
    bool initMax = false;
    QSize storedOuterSize;    // outer size read from the settings, corrected for the frame when shown
    bool firstShow = true;
    void SetScrollBoxWidth(int width);
    int ScrollBoxWidth() const;
    int pendingScrollBoxWidth = 0;
};

extern TfmMain *fmMain;

#include "shell/ErrorDisplay.h" // ShowErrorMessage
