#pragma once
// The capture session's controls in the window's header, hidden until the session is revealed: the
// check box that records, the save button and the count of entries without a position per notebook.

#include <QWidget>

class CaptureSession;
class QCheckBox;
class QLabel;
class QPushButton;

class CaptureBar : public QWidget {
    Q_OBJECT
public:
    CaptureBar(CaptureSession &session, QWidget *parent);

private:
    void Reveal();

    CaptureSession &session_;
    QCheckBox *recordCheck_;
    QPushButton *saveButton_;
    QLabel *counts_;
};
