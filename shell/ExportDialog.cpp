#include "shell/ExportDialog.h"

#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// What each form's name ends with; the site is a folder.
QString Suffix(ExportFormat format) {
    switch (format) {
    case ExportFormat::Tei:
        return QStringLiteral(".tei.xml");
    case ExportFormat::Markdown:
        return QStringLiteral(".md");
    case ExportFormat::Html:
        return QStringLiteral("-網站");
    }
    return {};
}

QString CropsFolder(const QString &stem) {
    return stem + QStringLiteral("-掃描圖");
}

} // namespace

ExportDialog::ExportDialog(const QString &what, const QString &stem, QWidget *parent)
    : QDialog(parent), format_(new QComboBox(this)), path_(new QLineEdit(this)),
      crops_(new QCheckBox(QStringLiteral("附上掃描圖的裁切(&S)"), this)), cropsWhere_(new QLabel(this)) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("匯出"));
    auto *layout = new QVBoxLayout(this);
    auto *whatLabel = new QLabel(QStringLiteral("匯出：%1").arg(what), this);
    whatLabel->setObjectName(QStringLiteral("ExportWhat"));
    layout->addWidget(whatLabel);

    auto *form = new QFormLayout;
    format_->setObjectName(QStringLiteral("ExportFormat"));
    format_->addItem(QStringLiteral("TEI"), int(ExportFormat::Tei));
    format_->addItem(QStringLiteral("Markdown"), int(ExportFormat::Markdown));
    format_->addItem(QStringLiteral("網站"), int(ExportFormat::Html));
    form->addRow(QStringLiteral("格式(&F)："), format_);
    auto *row = new QHBoxLayout;
    path_->setObjectName(QStringLiteral("ExportPath"));
    path_->setText(stem + Suffix(ExportFormat::Tei));
    path_->setMinimumWidth(DesignPixels(420));
    row->addWidget(path_, 1);
    auto *browse = new QPushButton(QStringLiteral("選擇(&B)…"), this);
    browse->setObjectName(QStringLiteral("ExportBrowse"));
    browse->setAutoDefault(false);
    row->addWidget(browse);
    form->addRow(QStringLiteral("寫到(&W)："), row);
    qobject_cast<QLabel *>(form->labelForField(row))->setBuddy(path_);
    layout->addLayout(form);
    crops_->setObjectName(QStringLiteral("ExportCrops"));
    crops_->setChecked(true);
    layout->addWidget(crops_);
    cropsWhere_->setObjectName(QStringLiteral("ExportCropsWhere"));
    cropsWhere_->setWordWrap(true);
    layout->addWidget(cropsWhere_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("匯出"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
    connect(format_, &QComboBox::currentIndexChanged, this, Guarded([this] { FormatChanged(); }));
    connect(path_, &QLineEdit::textChanged, this, Guarded([this] { ShowCrops(); }));
    connect(crops_, &QCheckBox::toggled, this, Guarded([this] { ShowCrops(); }));
    connect(browse, &QPushButton::clicked, this, Guarded([this] { Browse(); }));
    ShowCrops();
    path_->setFocus();
}

ExportChoice ExportDialog::Choice() const {
    ExportChoice c;
    c.format = ExportFormat(format_->currentData().toInt());
    c.output = QDir::cleanPath(QDir::current().absoluteFilePath(path_->text().trimmed()));
    if (c.format != ExportFormat::Html && crops_->isChecked()) c.crops = CropsFolder(Stem());
    return c;
}

QString ExportDialog::Stem() const {
    QString path = QDir::cleanPath(QDir::current().absoluteFilePath(path_->text().trimmed()));
    for (const ExportFormat f : {ExportFormat::Tei, ExportFormat::Markdown, ExportFormat::Html})
        if (path.endsWith(Suffix(f))) return path.chopped(Suffix(f).size());
    const QFileInfo info(path);
    return info.suffix().isEmpty() ? path : info.dir().filePath(info.completeBaseName());
}

void ExportDialog::FormatChanged() {
    // The name follows the form chosen; what the reader typed before its extension stays.
    const QString wanted = Stem() + Suffix(ExportFormat(format_->currentData().toInt()));
    {
        const QSignalBlocker quiet(path_);
        path_->setText(wanted);
    }
    ShowCrops();
}

void ExportDialog::ShowCrops() {
    const ExportFormat format = ExportFormat(format_->currentData().toInt());
    // A site shows every entry beside its crop: it always has them.
    crops_->setEnabled(format != ExportFormat::Html);
    if (format == ExportFormat::Html) crops_->setChecked(true);
    QString where;
    if (format == ExportFormat::Html)
        where = QStringLiteral("網站的每一頁都附上掃描圖的裁切。");
    else if (crops_->isChecked())
        where = QStringLiteral("裁切寫到 %1").arg(QDir::toNativeSeparators(CropsFolder(Stem())));
    cropsWhere_->setText(where);
}

void ExportDialog::Browse() {
    const ExportFormat format = ExportFormat(format_->currentData().toInt());
    const QString now = path_->text().trimmed();
    QString chosen;
    if (format == ExportFormat::Html)
        chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("網站寫到哪個資料夾"), now,
                                                   QFileDialog::DontUseNativeDialog);
    else
        chosen = QFileDialog::getSaveFileName(this, QStringLiteral("匯出到"), now, QString(), nullptr,
                                              QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty()) path_->setText(chosen);
}

void ExportDialog::accept() {
    const ExportChoice c = Choice();
    if (path_->text().trimmed().isEmpty()) {
        ShowErrorMessage(QStringLiteral("請填寫匯出到哪裡。"));
        return;
    }
    const QFileInfo target(c.output);
    if (!target.dir().exists()) {
        ShowErrorMessage(
            QStringLiteral("資料夾 \"%1\" 不存在。").arg(QDir::toNativeSeparators(target.absolutePath())));
        return;
    }
    if (c.format != ExportFormat::Html && target.isDir()) {
        ShowErrorMessage(
            QStringLiteral("\"%1\" 是資料夾，請填寫檔名。").arg(QDir::toNativeSeparators(c.output)));
        return;
    }
    if (c.format != ExportFormat::Html && target.exists() &&
        !AskYesNo(this,
                  QStringLiteral("\"%1\" 已經存在，要取代它嗎？").arg(QDir::toNativeSeparators(c.output))))
        return;
    QDialog::accept();
}
