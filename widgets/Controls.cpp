#include "widgets/Controls.h"

#include "widgets/Look.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRect>
#include <QStringList>
#include <QWidget>

QWidget *MakePanel(QWidget *parent, int height, const QString &objectName) {
    auto *panel = new QWidget(parent);
    panel->setObjectName(objectName);
    panel->setFixedHeight(height);
    return panel;
}

QCheckBox *MakeCheck(QWidget *parent, const QString &caption, const QRect &rect, const QString &objectName,
                     bool checked) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(objectName);
    box->setGeometry(rect);
    box->setChecked(checked);
    return box;
}

std::vector<QCheckBox *> MakeLetterChecks(QWidget *panel, const QStringList &letters, const QString &suffix) {
    static const int lefts[5] = {11, 58, 105, 152, 199};
    std::vector<QCheckBox *> boxes;
    for (int i = 0; i < letters.size() && i < 5; ++i)
        boxes.push_back(
            MakeCheck(panel, letters[i],
                      QRect(DesignPixels(lefts[i]), DesignPixels(16), DesignPixels(41), DesignPixels(17)),
                      QStringLiteral("cb") + letters[i] + suffix));
    return boxes;
}

QLineEdit *MakeFilterEdit(QWidget *panel, int designTop, const QString &objectName) {
    auto *edit = new QLineEdit(panel);
    edit->setObjectName(objectName);
    edit->setGeometry(DesignPixels(11), DesignPixels(designTop), DesignPixels(228), DesignPixels(29));
    return edit;
}

#include "widgets/OwnerDrawList.h"

OwnerDrawList *MakeRowList(QWidget *parent, QAbstractItemModel *model, const QString &objectName) {
    auto *list = new OwnerDrawList(parent);
    list->setObjectName(objectName);
    list->itemHeight = DesignPixels(21);
    list->setModel(model);
    list->setItemDelegate(new RowDelegate(list));
    return list;
}

void NameLetterChecks(const std::vector<QCheckBox *> &checks, const QString &what) {
    for (QCheckBox *box : checks)
        box->setAccessibleName(what + QLatin1Char(' ') + box->text());
}
