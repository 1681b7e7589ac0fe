#pragma once
// The three panes side by side below the header: the lists on the left, the entry page, the page scan,
// with the two bars between them (Splitter1 and Splitter3). The left pane keeps its width as the window
// changes size; the page and the scan share the rest in the proportion the reader left them at, so a
// maximised window gives the scan its part of the room instead of handing all of it to the page.

#include <QSplitter>

class PaneSplitter : public QSplitter {
    Q_OBJECT
public:
    // The scan's part of the page's and the scan's width in the designed window (469 of 837 pixels).
    static double DesignScanShare();

    explicit PaneSplitter(QWidget *parent);

    // Takes the three panes in their designed widths.
    void SetPanes(QWidget *left, QWidget *page, QWidget *scan);

    // The scan pane's width; before the window is first laid out, the width it will get then.
    void SetScanPaneWidth(int width);
    int ScanPaneWidth() const;
    // The scan's part of the page's and the scan's width, 0 to 1, kept as the window changes size; a
    // value outside 0 to 1 (none stored) leaves it to the width the scan has when the window is laid out.
    void SetScanShare(double share);
    double ScanShare() const { return scanShare_; }
    // The panes have their real sizes now (the window is laid out): the width asked for is given.
    void Settle();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // After a change of size: the left pane keeps its width, the page and the scan share the change.
    void Share(const QList<int> &before);
    void FollowDrag(int index);

    QWidget *left_ = nullptr;
    QWidget *scan_ = nullptr;
    bool settled_ = false;
    bool shareGiven_ = false;
    int pendingScanWidth_ = 0;
    double scanShare_;
};
