// What a screen reader is told about focus: one object has the focus at a time. A tab has it only while
// its bar has the keyboard (the current tab is the selected one); a tab widget or a pane that hands the
// focus to a control of its own does not have it too.
#include "widgets/AccessibleFocus.h"

#include <QAccessible>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The names (or roles) of every object under `node` that says it has the focus.
void Focused(QAccessibleInterface *node, QStringList &found, int depth = 0) {
    if (!node || depth > 30) return;
    if (node->state().focused)
        found << (node->text(QAccessible::Name).isEmpty() ? QString::number(node->role())
                                                          : node->text(QAccessible::Name));
    for (int i = 0; i < node->childCount(); ++i)
        Focused(node->child(i), found, depth + 1);
}

} // namespace

class TestAccessibleFocus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneFocusedObject() {
        InstallAccessibleFocus(); // before the widgets are made
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *tabs = new QTabWidget(&window);
        for (const char *name : {"條目", "搜尋", "圖檔"})
            tabs->addTab(new QWidget, QString::fromUtf8(name));
        auto *pane = new QWidget(&window);
        auto *edit = new QLineEdit(pane);
        edit->setAccessibleName(QStringLiteral("查詢"));
        (new QVBoxLayout(pane))->addWidget(edit);
        pane->setFocusProxy(edit);
        layout->addWidget(tabs);
        layout->addWidget(pane);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTabBar *bar = tabs->tabBar();
        QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&window);
        QAccessibleInterface *barFace = QAccessible::queryAccessibleInterface(bar);
        QCOMPARE(barFace->childCount(), 3);

        pane->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QStringList focused;
        Focused(root, focused);
        QCOMPARE(focused, QStringList{"查詢"});
        QVERIFY(barFace->child(0)->state().selected);
        QVERIFY(!barFace->child(1)->state().selected);

        bar->setFocus();
        QTRY_VERIFY(bar->hasFocus());
        focused.clear();
        Focused(root, focused);
        QCOMPARE(focused, QStringList{"條目"});
        QCOMPARE(barFace->focusChild(), barFace->child(0));

        // Pressed through the accessibility actions, a tab becomes the current one and has the focus.
        barFace->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(tabs->currentIndex(), 2);
        focused.clear();
        Focused(root, focused);
        QCOMPARE(focused, QStringList{"圖檔"});
        QCOMPARE(barFace->indexOfChild(barFace->child(2)), 2);
        QCOMPARE(barFace->text(QAccessible::Name), QStringLiteral("圖檔"));
    }
};

QTEST_MAIN(TestAccessibleFocus)
#include "tst_accessiblefocus.moc"
