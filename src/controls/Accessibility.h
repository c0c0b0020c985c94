#pragma once
// How the game window's own drawn controls show to screen readers: each
// carries its role in the property "accessibleRole" (a QAccessible::Role),
// its name and description as Qt keeps them, and an image control can be
// pressed like a button.

#include <QString>

class QWidget;

namespace tess {

// Lets the accessibility bus see the game's drawn controls; once per process.
void installAccessibility();

// Gives a drawn control its role.
void setAccessibleRole(QWidget* widget, int role);

// Name and description as a screen reader hears them, changed only when the
// text does: the window refreshes them with every tick of the move clock,
// and each change is announced as an event.
void setSpokenName(QWidget* widget, const QString& name);
void setSpokenDescription(QWidget* widget, const QString& description);

// The name of the language of the flag at `flag` (0 for the first), in that
// language ("Deutsch", "English", ...); the empty text past the last flag.
QString flagLanguageName(int flag);

} // namespace tess
