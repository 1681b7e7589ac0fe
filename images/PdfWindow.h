#pragma once
// The reader's own PDF window, for a manual or a volume the desktop has no application for: the pages
// one under another, with page navigation and zoom from the tool bar and the keyboard.

#include <QWidget>

class QLabel;
class QPdfDocument;
class QPdfView;
class QSpinBox;

class PdfWindow : public QWidget {
    Q_OBJECT
public:
    explicit PdfWindow(QWidget *parent = nullptr);

    // Raises VelmoraError naming the file when it cannot be read as a PDF.
    void Open(const QString &path);
    // A line under the tool bar (why the reader's own window shows the file).
    void SetNote(const QString &text);

    int PageCount() const;
    int CurrentPage() const; // from 0
    void GoToPage(int page);
    qreal Zoom() const;
    void StepZoom(int direction);

private:
    QPdfDocument *document_;
    QPdfView *view_;
    QSpinBox *page_;
    QLabel *pageCount_;
    QLabel *note_;
};
