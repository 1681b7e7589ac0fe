#pragma once
// What to take out and where: the form (TEI, Markdown or a site), the file or folder written, and
// whether the crops of the scans come along. Asked before an export starts; checks what it can first.

#include "export/Export.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

struct ExportChoice {
    ExportFormat format = ExportFormat::Tei;
    QString output; // a file for TEI and Markdown, a folder for the site
    QString crops;  // the crops' folder beside a file; empty: none (a site has its own)
};

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // `what` names what is taken out ("筆記 K，全部 1234 則"); `stem` is the path the written names
    // start from (the extension follows the form).
    ExportDialog(const QString &what, const QString &stem, QWidget *parent);
    ExportChoice Choice() const;
    void accept() override;

private:
    void FormatChanged();
    void ShowCrops();
    void Browse();
    QString Stem() const;

    QComboBox *format_;
    QLineEdit *path_;
    QCheckBox *crops_;
    QLabel *cropsWhere_;
};
