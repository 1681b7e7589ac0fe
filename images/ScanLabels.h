#pragma once
// The labels over the scan pane: the capture line above the scan, the notice that stands in for a scan
// that cannot be read (or is still loading), the passing note in the lower right corner (the zoom, "此處
// 無條目") and the count of search hits on the scan in the lower left one. Each keeps its object name;
// the pane places them as it is resized.

#include <QString>

class QBoxLayout;
class QLabel;
class QScrollArea;
class QTimer;
class QWidget;

class ScanLabels {
public:
    // Labels over `pane`; the capture line goes first into its `layout`, above the scroll box `box`.
    ScanLabels(QWidget *pane, QBoxLayout *layout, QScrollArea *box);

    void SetCaption(const QString &text);
    QString Caption() const;
    // The notice over the whole pane; empty hides it.
    void SetNotice(const QString &text);
    bool IsNoticeShown() const;
    // A note in the corner for a moment.
    void ShowPassing(const QString &text);
    // The lasting note in the other corner; empty hides it.
    void SetHitCount(const QString &text);
    QString HitCount() const;
    // After the pane's size changed.
    void Place();

private:
    QWidget *pane_;
    QScrollArea *box_;
    QLabel *caption_;
    QLabel *notice_;
    QLabel *passing_;
    QTimer *passingTimer_;
    QLabel *hitCount_;
};
