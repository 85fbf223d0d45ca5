#include "ui/base/Accessibility.h"

#include "ui/base/ProgressSlider.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

namespace kelvane::a11y {

namespace {

// A picture slider as the bus sees it: its fractional value, not QSlider's thousandths,
// and the value's text (ProgressSlider::valueText) as its description, which is what a
// screen reader says after the name.
class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit SliderAccessible(ProgressSlider *slider)
        : QAccessibleWidget(slider, slider->isReadOnly() ? QAccessible::ProgressBar
                                                         : QAccessible::Slider) {}

    ProgressSlider *slider() const { return static_cast<ProgressSlider *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) {
            const QString value = slider()->valueText();
            if (!value.isEmpty()) return value;
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (slider()->isReadOnly()) s.readOnly = true;
        return s;
    }

    QVariant currentValue() const override { return slider()->doubleValue(); }
    void setCurrentValue(const QVariant &value) override {
        if (slider()->isReadOnly() || !slider()->isEnabled()) return;
        slider()->setDoubleValue(
            std::clamp(value.toDouble(), minimumValue().toDouble(), slider()->maximumValue()));
    }
    QVariant maximumValue() const override { return slider()->maximumValue(); }
    QVariant minimumValue() const override {
        return double(slider()->minimum()) / ProgressSlider::scale;
    }
    QVariant minimumStepSize() const override {
        return double(slider()->singleStep()) / ProgressSlider::scale;
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object) {
    if (className == QLatin1String("kelvane::ProgressSlider"))
        if (auto *slider = qobject_cast<ProgressSlider *>(object))
            return new SliderAccessible(slider);
    return nullptr;
}

// The Menu key and Shift+F10, for the item views: the menu comes on the current item.
// Under X11 Qt itself turns a Menu key press into a context menu event for the focused
// widget, placed at the text cursor (in the view's frame, not its viewport): that event
// is replaced by one on the current item, and a Menu key Qt did not turn into one (other
// platforms, synthetic keys) still opens the menu, once.
class KeyboardMenus : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool menuKey = key->key() == Qt::Key_Menu && !key->isAutoRepeat();
            const bool shiftF10 =
                key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
            if (!menuKey && !shiftF10) break;
            auto *view = qobject_cast<QAbstractItemView *>(watched);
            if (!view && shiftF10 && watched == QApplication::focusWidget()) {
                // Other widgets (a radio entry, a text field) get the menu event the Menu
                // key gives them, in their middle.
                auto *widget = static_cast<QWidget *>(watched);
                const QPoint middle = widget->rect().center();
                QContextMenuEvent menu(QContextMenuEvent::Keyboard, middle,
                                       widget->mapToGlobal(middle), Qt::NoModifier);
                QCoreApplication::sendEvent(widget, &menu);
                return true;
            }
            if (!view || !openKeyboardMenu(view)) break;
            // Qt's own event for the same press, if it comes, is not a second menu.
            if (menuKey) m_swallowNext = true;
            return true;
        }
        case QEvent::KeyRelease:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Menu) m_swallowNext = false;
            break;
        case QEvent::ContextMenu: {
            auto *menu = static_cast<QContextMenuEvent *>(event);
            if (menu->reason() != QContextMenuEvent::Keyboard) break;
            auto *view = qobject_cast<QAbstractItemView *>(watched);
            if (!view) break;
            if (m_swallowNext) {
                m_swallowNext = false;
                return true;
            }
            if (openKeyboardMenu(view)) return true;
            break;
        }
        default:
            break;
        }
        return false;
    }

  private:
    bool m_swallowNext = false;
};

} // namespace

void install() {
    static bool installed = false;
    if (installed || !qApp) return;
    installed = true;
    QAccessible::installFactory(factory);
    qApp->installEventFilter(new KeyboardMenus(qApp));
}

void nameSearchField(QLineEdit *field, const QString &name, const QString &description) {
    field->setAccessibleName(name);
    field->setAccessibleDescription(description);
    // The clear button Qt adds is an unnamed icon.
    for (QToolButton *button : field->findChildren<QToolButton *>()) {
        button->setAccessibleName(QObject::tr("Effacer la recherche"));
        button->setToolTip(QObject::tr("Effacer la recherche"));
    }
}

QPoint keyboardMenuPoint(const QAbstractItemView *view) {
    QModelIndex index = view->currentIndex();
    if (!index.isValid() && view->selectionModel() &&
        !view->selectionModel()->selectedIndexes().isEmpty())
        index = view->selectionModel()->selectedIndexes().first();
    if (!index.isValid()) return {-1, -1};
    const QRect rect = view->visualRect(index) & view->viewport()->rect();
    return rect.isEmpty() ? QPoint(-1, -1) : rect.center();
}

bool openKeyboardMenu(QAbstractItemView *view) {
    if (view->contextMenuPolicy() == Qt::PreventContextMenu) return false;
    if (view->currentIndex().isValid()) view->scrollTo(view->currentIndex());
    const QPoint at = keyboardMenuPoint(view);
    QWidget *viewport = view->viewport();
    // A point on no item still places the menu on the view (its top left corner).
    const QPoint global = viewport->mapToGlobal(at.x() < 0 ? QPoint(4, 4) : at);
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, global, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &menu);
    return true;
}

} // namespace kelvane::a11y
