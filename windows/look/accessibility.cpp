#include "accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

#include <vector>

namespace {

// Qt's own combo box interface but for the name: the drop-down list and the text field as
// children, and the actions to open and close the list.
class NamedComboBox : public QAccessibleWidget {
public:
    explicit NamedComboBox(QComboBox *combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value ||
            (t == QAccessible::Name && combo()->accessibleName().isEmpty()))
            return combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = combo()->view()->isVisible();
        return state;
    }
    int childCount() const override { return combo()->isEditable() ? 2 : 1; }
    QAccessibleInterface *child(int index) const override {
        QObject *part = index == 0   ? static_cast<QObject *>(combo()->view())
                        : index == 1 ? combo()->lineEdit()
                                     : nullptr;
        return part ? QAccessible::queryAccessibleInterface(part) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        if (child->object() == combo()->view())
            return 0;
        return child->object() && child->object() == combo()->lineEdit() ? 1 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString &action) override {
        if (action != showMenuAction() && action != pressAction())
            return QAccessibleWidget::doAction(action);
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

private:
    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }
};

// One item of a list box, read by its text.
class ListItem : public QAccessibleInterface {
public:
    ListItem(QListWidget *list, int row)
        : m_list(list)
        , m_row(row) {}

    bool isValid() const override { return m_list && m_row < m_list->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list->window()->windowHandle(); }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(m_list);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? m_list->item(m_row)->text() : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QRect rect() const override {
        const QRect shown = m_list->visualItemRect(m_list->item(m_row));
        return {m_list->viewport()->mapToGlobal(shown.topLeft()), shown.size()};
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = state.focusable = true;
        state.selected = m_list->item(m_row)->isSelected();
        state.focused = m_list->hasFocus() && m_list->currentRow() == m_row;
        state.invisible = !m_list->viewport()->rect().intersects(
            rect().translated(-m_list->viewport()->mapToGlobal(QPoint(0, 0))));
        return state;
    }

private:
    QPointer<QListWidget> m_list;
    int m_row;
};

// A list box and its items. Qt describes a list box as a table, which tells no screen reader
// the label that names it.
class LabelledList : public QAccessibleWidget {
public:
    explicit LabelledList(QListWidget *list)
        : QAccessibleWidget(list, QAccessible::List) {}
    ~LabelledList() override {
        for (const QAccessible::Id id : m_items)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return list()->count(); }
    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        while (int(m_items.size()) <= index)
            m_items.push_back(QAccessible::registerAccessibleInterface(
                new ListItem(list(), int(m_items.size()))));
        return QAccessible::accessibleInterface(m_items[size_t(index)]);
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (QAccessible::accessibleInterface(m_items[i]) == child)
                return int(i);
        }
        return -1;
    }

private:
    QListWidget *list() const { return static_cast<QListWidget *>(widget()); }
    mutable std::vector<QAccessible::Id> m_items;
};

QAccessibleInterface *interfaceFor(const QString &className, QObject *object) {
    if (className == QLatin1String("QComboBox"))
        return new NamedComboBox(static_cast<QComboBox *>(object));
    if (className == QLatin1String("QListWidget"))
        return new LabelledList(static_cast<QListWidget *>(object));
    auto *window = qobject_cast<QWidget *>(object);
    if (className == QLatin1String("QWidget") && window && window->windowType() == Qt::Window)
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces() {
    QAccessible::installFactory(interfaceFor);
}
