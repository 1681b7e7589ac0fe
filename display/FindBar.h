#pragma once
// The small find bar above the entry page: a text box and the count of matches. Typing
// searches at once; Enter finds the next match, Shift+Enter the previous one, Esc closes the bar.
// The bar only asks; the page it lies over does the finding.

#include <QWidget>

class QLabel;
class QLineEdit;

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QWidget *parent);

    QString Text() const;
    // Shows the bar with its text selected and the keyboard in it.
    void Open();
    // "2/5", or a word saying nothing matched; empty when nothing was searched.
    void ShowCount(int active, int total);
    // Hides the bar and says so.
    void Close();

Q_SIGNALS:
    void FindRequested(const QString &text, bool backward);
    void Closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *text_;
    QLabel *count_;
};
