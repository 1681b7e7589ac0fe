#include "display/PersonalNotePanel.h"

#include "corpus/NotebookStore.h"
#include "corpus/ReaderMarks.h"
#include "corpus/ReadingContext.h"
#include "widgets/ErrorBoundary.h"
#include "widgets/Look.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// How long typing must pause before the note is written.
constexpr int kPauseMs = 600;

QToolButton *StripButton(QAction *action, const QString &name, QWidget *parent) {
    auto *button = new QToolButton(parent);
    button->setAccessibleName(name); // the caption changes with the star
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus); // the keys reach them wherever the focus is
    return button;
}

} // namespace

PersonalNotePanel::PersonalNotePanel(const NotebookStore &store, ReaderMarks &marks,
                                     const ReadingContext &reading, QAction *star, QAction *note,
                                     QWidget *parent)
    : QWidget(parent), store_(store), marks_(marks), pause_(new QTimer(this)), noteAction_(note) {
    setObjectName(QStringLiteral("PersonalNotePanel"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum); // the page takes the height left
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    editorBox_ = new QWidget(this);
    auto *editorLayout = new QVBoxLayout(editorBox_);
    editorLayout->setContentsMargins(DesignPixels(4), DesignPixels(2), DesignPixels(4), DesignPixels(2));
    editorLayout->setSpacing(DesignPixels(2));
    auto *heading = new QLabel(QStringLiteral("我的筆記（自動儲存；Esc 收起）"), editorBox_);
    editorLayout->addWidget(heading);
    editor_ = new QPlainTextEdit(editorBox_);
    editor_->setObjectName(QStringLiteral("edPersonalNote"));
    editor_->setAccessibleName(QStringLiteral("我的筆記"));
    editor_->setTabChangesFocus(true);
    editor_->setFixedHeight(DesignPixels(110));
    editorLayout->addWidget(editor_);
    editorBox_->hide();
    layout->addWidget(editorBox_);

    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("PageStrip"));
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(DesignPixels(2), 0, DesignPixels(2), 0);
    stripLayout->setSpacing(DesignPixels(4));
    stripLayout->addWidget(StripButton(star, QStringLiteral("書籤"), strip));
    stripLayout->addWidget(StripButton(note, QStringLiteral("我的筆記"), strip));
    stripLayout->addStretch(1);
    layout->addWidget(strip);

    pause_->setSingleShot(true);
    pause_->setInterval(kPauseMs);
    connect(pause_, &QTimer::timeout, this, Guarded([this] { SaveNow(); }));
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        typed_ = true;
        pause_->start();
    });
    auto *escape = new QAction(editor_);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WidgetShortcut);
    editor_->addAction(escape);
    connect(escape, &QAction::triggered, this, Guarded([this] { SetEditorOpen(false); }));
    connect(&reading, &ReadingContext::ShownChanged, this,
            Guarded([this](const ShownEntry &shown, ReadingContext::Move) { Follow(shown.ref); }));
    // A note changed elsewhere (another reader's, read in) shows in the editor unless typing is pending.
    connect(&marks, &ReaderMarks::MarksReset, this, [this] {
        if (!typed_ && editing_.isValid()) Follow(editing_);
    });
    Follow(reading.Shown().ref);
}

bool PersonalNotePanel::IsEditorOpen() const {
    return editorBox_->isVisible();
}

void PersonalNotePanel::SetEditorOpen(bool open) {
    if (open && !editing_.isValid()) return; // a page record, or nothing shown
    noteAction_->setChecked(open);
    if (open == editorBox_->isVisibleTo(this)) {
        if (open) editor_->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    editorBox_->setVisible(open);
    if (open) {
        editor_->setFocus(Qt::ShortcutFocusReason);
        editor_->moveCursor(QTextCursor::End);
        return;
    }
    SaveNow();
    Q_EMIT NoteShown();
}

void PersonalNotePanel::SaveNow() {
    pause_->stop();
    if (!typed_ || !editing_.isValid()) return;
    typed_ = false;
    marks_.SetNote(editing_, editor_->toPlainText());
    // Written now; should it fail, the note stays to be written by the next save, and the error is said.
    marks_.Flush();
    if (!IsEditorOpen()) Q_EMIT NoteShown();
}

void PersonalNotePanel::Follow(NoteRef ref) {
    // What was typed for the entry before is kept for it, not for the one now shown.
    if (typed_ && editing_.isValid() && editing_ != ref) SaveNow();
    editing_ = store_.Contains(ref) && !store_.Entry(ref).isPage ? ref : NoteRef();
    QSignalBlocker quiet(editor_);
    editor_->setPlainText(editing_.isValid() ? marks_.NoteOf(editing_) : QString());
    typed_ = false;
    editor_->setEnabled(editing_.isValid());
}
