#pragma once
// A file browser tab, used twice: for the page scans (letters K L M N O, "*.jpg" under Image\) and
// for the PDF volumes (K M N O, "*.pdf" under PDF\). A check box per letter and a filter box choose
// which names the list shows; a click on a name chooses the file.

#include <QStringList>
#include <QWidget>
#include <vector>

class FileNamesModel;
class OwnerDrawList;
class QCheckBox;
class QLineEdit;

class FileBrowserPane : public QWidget {
    Q_OBJECT
public:
    struct Kind {
        QString tabName;    // object name of the tab page
        QString panelName;  // object name of the boxes panel
        QString nameSuffix; // object names: "cb" + letter + suffix, "ed" + suffix, "lb" + suffix
        QString folder;     // the folder beside the program that holds a folder per letter
        QString pattern;    // the file names listed
        QString openPrefix; // a chosen name is opened as openPrefix + first letter + "\" + name
        QStringList letters;
        QString caption; // what the accessible names begin with, in Chinese
    };
    static Kind Scans();
    static Kind PdfVolumes();

    FileBrowserPane(const Kind &kind, QWidget *parent);

    // Lists the files of every letter folder under `programFolder` (which ends in a separator);
    // raises when a folder is missing.
    void ScanFolders(const QString &programFolder);
    // Shows the names the boxes and the filter text let through.
    void ApplyFilter();
    void ClearFilter();
    int RowCount() const;
    QString Name(int row) const;
    // The paths that open the files of one letter's folder, in listing order, whatever the filter.
    QStringList Paths(const QString &letter) const;

Q_SIGNALS:
    // The Windows-style path of the chosen file, relative to the working directory.
    void FileChosen(const QString &path);
    // The filter text as typed, after the list has been filtered by it.
    void FilterEdited(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Kind kind_;
    std::vector<QStringList> namesByLetter_;
    std::vector<QCheckBox *> letterChecks_;
    QLineEdit *filterEdit_;
    FileNamesModel *names_;
    OwnerDrawList *filesList_;
};
