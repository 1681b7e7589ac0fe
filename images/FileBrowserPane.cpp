#include "images/FileBrowserPane.h"

#include "images/FileLists.h"
#include "platform/WinPath.h"
#include "widgets/Controls.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/FileNamesModel.h"
#include "widgets/Look.h"
#include "widgets/OwnerDrawList.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

FileBrowserPane::Kind FileBrowserPane::Scans() {
    return Kind{QStringLiteral("TabSheet2"),
                QStringLiteral("Panel5"),
                QStringLiteral("Img"),
                QStringLiteral("Image"),
                QStringLiteral("*.jpg"),
                QStringLiteral(".\\image\\"),
                QStringList{"K", "L", "M", "N", "O"},
                QStringLiteral("圖檔")};
}

FileBrowserPane::Kind FileBrowserPane::PdfVolumes() {
    return Kind{QStringLiteral("TabSheet3"),     QStringLiteral("Panel6"), QStringLiteral("PDF"),
                QStringLiteral("PDF"),           QStringLiteral("*.pdf"),  QStringLiteral("PDF\\"),
                QStringList{"K", "M", "N", "O"}, QStringLiteral("PDF 冊")};
}

FileBrowserPane::FileBrowserPane(const Kind &kind, QWidget *parent)
    : QWidget(parent), kind_(kind), namesByLetter_(size_t(kind.letters.size())),
      names_(new FileNamesModel(this)) {
    setObjectName(kind.tabName);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QWidget *boxes = MakePanel(this, DesignPixels(89), kind.panelName);
    layout->addWidget(boxes);
    letterChecks_ = MakeLetterChecks(boxes, kind.letters, kind.nameSuffix);
    filterEdit_ = MakeFilterEdit(boxes, 47, QStringLiteral("ed") + kind.nameSuffix);
    filesList_ = MakeRowList(this, names_, QStringLiteral("lb") + kind.nameSuffix);
    NameLetterChecks(letterChecks_, kind.caption);
    filterEdit_->setAccessibleName(kind.caption + QStringLiteral(" 檔名篩選"));
    filesList_->setAccessibleName(kind.caption + QStringLiteral(" 檔案列表"));
    layout->addWidget(filesList_, 1);
    // Turning to the tab puts the keyboard in the name filter: typing narrows the list at once, and
    // Down goes on into the list (choosing nothing yet: a PDF volume would open).
    setFocusProxy(filterEdit_);
    filterEdit_->installEventFilter(this);

    for (QCheckBox *box : letterChecks_)
        connect(box, &QCheckBox::clicked, this, Guarded([this] { ApplyFilter(); }));
    connect(filterEdit_, &QLineEdit::textChanged, this, Guarded([this](const QString &text) {
                ApplyFilter();
                Q_EMIT FilterEdited(text);
            }));
    connect(filesList_, &OwnerDrawList::Click, this, Guarded([this] {
                const QString name = names_->Name(filesList_->ItemIndex());
                if (!name.isEmpty()) Q_EMIT FileChosen(kind_.openPrefix + name[0] + QLatin1Char('\\') + name);
            }));
}

bool FileBrowserPane::eventFilter(QObject *watched, QEvent *event) {
    if (watched == filterEdit_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier && names_->rowCount() > 0) {
            filesList_->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FileBrowserPane::ScanFolders(const QString &programFolder) {
    for (qsizetype i = 0; i < kind_.letters.size(); ++i) {
        // The program folder ends in a separator, so the joined path holds a doubled one; it counts as one.
        const QString folder = programFolder + QLatin1Char('\\') + kind_.folder + QLatin1Char('\\') +
                               kind_.letters[i] + QLatin1Char('\\');
        namesByLetter_[size_t(i)].append(ListFolderFiles(folder, kind_.pattern));
    }
}

void FileBrowserPane::ApplyFilter() {
    QList<bool> checked;
    for (QCheckBox *box : letterChecks_)
        checked.append(box->isChecked());
    names_->SetNames(FilterFileNames(QList<QStringList>(namesByLetter_.begin(), namesByLetter_.end()),
                                     checked, filterEdit_->text()));
}

void FileBrowserPane::ClearFilter() {
    filterEdit_->setText(QString());
}

int FileBrowserPane::RowCount() const {
    return names_->rowCount();
}

QString FileBrowserPane::Name(int row) const {
    return names_->Name(row);
}

QStringList FileBrowserPane::Paths(const QString &letter) const {
    QStringList paths;
    const qsizetype i = kind_.letters.indexOf(letter);
    if (i < 0) return paths;
    for (const QString &name : namesByLetter_[size_t(i)])
        paths.append(kind_.openPrefix + name[0] + QLatin1Char('\\') + name);
    return paths;
}
