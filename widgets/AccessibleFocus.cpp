#include "widgets/AccessibleFocus.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTabBar>
#include <QWidget>

namespace {

// One tab of a bar: no object of its own, so it is a plain interface registered by the bar's.
class TabInterface : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabInterface(QTabBar *bar, int index) : bar_(bar), index_(index) {}

    int Index() const { return index_; }

    bool isValid() const override { return bar_ && index_ < bar_->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(bar_.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return QString();
        switch (t) {
        case QAccessible::Name: {
            const QString name = bar_->accessibleTabName(index_);
            return name.isEmpty() ? QString(bar_->tabText(index_)).remove(QLatin1Char('&')) : name;
        }
        case QAccessible::Description:
            return bar_->tabToolTip(index_);
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override {
        if (!isValid()) return QRect();
        const QRect tab = bar_->tabRect(index_);
        return QRect(bar_->mapToGlobal(tab.topLeft()), tab.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool current = index_ == bar_->currentIndex();
        s.invisible = !bar_->isVisible() || !bar_->isTabVisible(index_);
        s.disabled = !bar_->isEnabled() || !bar_->isTabEnabled(index_);
        s.focusable = bar_->focusPolicy() != Qt::NoFocus;
        s.focused = current && bar_->hasFocus();
        s.selectable = true;
        s.selected = current;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override {
        if (isValid() && name == pressAction()) bar_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QTabBar> bar_;
    int index_;
};

class TabBarInterface : public QAccessibleWidget {
public:
    explicit TabBarInterface(QTabBar *bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarInterface() override {
        for (const QAccessible::Id id : std::as_const(tabs_))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return Bar()->count(); }
    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= Bar()->count()) return nullptr;
        if (const QAccessible::Id id = tabs_.value(index)) return QAccessible::accessibleInterface(id);
        auto *tab = new TabInterface(Bar(), index);
        tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        if (child && child->role() == QAccessible::PageTab && child->parent() == this)
            return static_cast<const TabInterface *>(child)->Index();
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        const int index = Bar()->tabAt(Bar()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }
    QAccessibleInterface *focusChild() const override {
        return Bar()->hasFocus() ? child(Bar()->currentIndex()) : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && Bar()->currentIndex() >= 0)
            return child(Bar()->currentIndex())->text(t);
        return QAccessibleWidget::text(t);
    }
    // The bar passes the keyboard on to its current tab: the tab is what has it, not the bar too.
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (Bar()->currentIndex() >= 0) s.focused = false;
        return s;
    }

private:
    QTabBar *Bar() const { return static_cast<QTabBar *>(object()); }
    mutable QHash<int, QAccessible::Id> tabs_;
};

// A widget of no class of its own to the toolkit (a pane, a tab widget): as the toolkit would describe
// it, except that one which hands the focus to another does not have it itself.
class PlainWidgetInterface : public QAccessibleWidget {
public:
    explicit PlainWidgetInterface(QWidget *widget) : QAccessibleWidget(widget) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (widget()->focusProxy()) s.focused = false;
        return s;
    }
};

// Asked for each class of an object from the most derived up: the classes the toolkit describes
// itself (a line edit, a list) are answered by it before the search reaches QWidget.
QAccessibleInterface *FocusFactory(const QString &className, QObject *object) {
    if (!object || !object->isWidgetType()) return nullptr;
    if (className == QLatin1String("QTabBar")) return new TabBarInterface(static_cast<QTabBar *>(object));
    if (className == QLatin1String("QWidget"))
        return new PlainWidgetInterface(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void InstallAccessibleFocus() {
    static bool installed = false;
    if (installed) return;
    QAccessible::installFactory(FocusFactory);
    installed = true;
}
