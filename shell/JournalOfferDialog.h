#pragma once
// The start's one question about the journals left by readers that are gone: all of them listed (the
// journal, the notes files its positions belong to, how many, when written, a lock naming another
// computer), to be restored all, restored as ticked, or set aside. Enter restores them all: it must not
// throw away a person's work.

#include <QDateTime>
#include <QDialog>
#include <QStringList>

#include <vector>

class QTreeWidget;

struct JournalOffer {
    QString fileName;
    int count = 0;
    QStringList notesFiles; // the notes files its positions are for
    QDateTime written;
    QString otherHost; // its lock names another computer
};

class JournalOfferDialog : public QDialog {
    Q_OBJECT
public:
    // One flag per offer: take it back (true) or set it aside; none when the dialog was closed without
    // an answer (the journals stay for the next start). Raises QuestionUnanswered when the
    // program ends while the question is open. A test that answers questions answers this one too, all
    // or none, through AskYesNo with the same question.
    static std::vector<bool> Ask(QWidget *parent, const std::vector<JournalOffer> &offers);
    static QString Question(const std::vector<JournalOffer> &offers);

private:
    JournalOfferDialog(QWidget *parent, const std::vector<JournalOffer> &offers);
    std::vector<bool> Ticked() const;

    QTreeWidget *list_ = nullptr;
};
