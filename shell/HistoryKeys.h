#pragma once
// Back and forward among the entries shown, from anywhere in the window: Alt+Left and Alt+Right, and
// the mouse's back and forward buttons wherever they are pressed.

#include <QObject>

class ReadingContext;
class QWidget;

class HistoryKeys : public QObject {
    Q_OBJECT
public:
    HistoryKeys(QWidget *window, ReadingContext &context);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    ReadingContext &context_;
};
