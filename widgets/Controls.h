#pragma once
// Small makers for the controls the panes place at fixed design positions, as the window was drawn.

#include <QString>
#include <vector>

class QCheckBox;
class QLineEdit;
class QRect;
class QWidget;

// A panel of fixed height whose children sit at fixed places.
QWidget *MakePanel(QWidget *parent, int height, const QString &objectName);
QCheckBox *MakeCheck(QWidget *parent, const QString &caption, const QRect &rect, const QString &objectName,
                     bool checked = true);
// A row of letter check boxes, all checked, at the places of the letters row (design top 16).
// Object names are "cb" + letter + suffix ("cbKItem").
std::vector<QCheckBox *> MakeLetterChecks(QWidget *panel, const QStringList &letters, const QString &suffix);
// Accessible names for a row of letter check boxes: `what` and the letter ("條目 K"), so that a screen
// reader tells the four rows of letters apart.
void NameLetterChecks(const std::vector<QCheckBox *> &checks, const QString &what);
// A filter box at the design left 11 and the given design top.
QLineEdit *MakeFilterEdit(QWidget *panel, int designTop, const QString &objectName);

class OwnerDrawList;
class QAbstractItemModel;
// A painted list over `model`, rows one design line (21) high per text line, painted by RowDelegate.
OwnerDrawList *MakeRowList(QWidget *parent, QAbstractItemModel *model, const QString &objectName);
