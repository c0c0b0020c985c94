#include "controls/Accessibility.h"

#include "controls/ImageControl.h"
#include "language/Languages.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace tess {

namespace {

constexpr const char* RoleProperty = "accessibleRole";

// An image control as a button: "press" clicks it, as Space does.
class ImageControlAccessible : public QAccessibleWidget {
public:
    ImageControlAccessible(ImageControl* control, QAccessible::Role role)
        : QAccessibleWidget(control, role)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.disabled = !static_cast<ImageControl*>(widget())->isActive();
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (role() == QAccessible::Button)
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            static_cast<ImageControl*>(widget())->press();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* drawnControl(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    const QVariant role = widget->property(RoleProperty);
    if (!role.isValid())
        return nullptr;
    if (auto* image = qobject_cast<ImageControl*>(widget))
        return new ImageControlAccessible(image, QAccessible::Role(role.toInt()));
    return new QAccessibleWidget(widget, QAccessible::Role(role.toInt()));
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(drawnControl);
        return true;
    }();
    (void)installed;
}

void setSpokenName(QWidget* widget, const QString& name)
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

void setSpokenDescription(QWidget* widget, const QString& description)
{
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

QString flagLanguageName(int flag)
{
    return flag >= 0 && flag < int(Languages.size()) ? nativeName(Languages[std::size_t(flag)]) : QString();
}

void setAccessibleRole(QWidget* widget, int role)
{
    widget->setProperty(RoleProperty, role);
}

} // namespace tess
