#include "HiddenMenu.h"

#include <QAction>

namespace {

struct MenuItem
{
    const char* name; // null: a separator
    const char* caption;
    QKeyCombination key;
    bool enabledAtStart;
};

const MenuItem MenuItems[] = {
    {"mStart", "Start", Qt::Key_F5, true},
    {"mStop", "Stopp", Qt::Key_F9, false},
    {"mReset", "0,00", Qt::Key_F7, false},
    {"mAvaria", "Unfall", Qt::Key_F11, false},
    {},
    {"New1", "New", Qt::Key_F8, true},
    {},
    {"Modus1", "Modus", Qt::CTRL | Qt::Key_M, true},
    {"Hilfe1", "H&ilfe", Qt::ALT | Qt::Key_I, true},
    {"EinstellunGen1", "Einstellungen", Qt::Key_F2, true},
    {"mHilfe", "Hilfe", Qt::Key_F1, true},
    {"mInfo", "Info", Qt::Key_F3, true},
    {},
    {"Zeileentfernen1", "Zeile entfernen", Qt::CTRL | Qt::Key_0, true},
    {"LockLS", "Lock LS", Qt::Key_F12, true},
};

} // namespace

HiddenMenu::HiddenMenu(QWidget* window)
    : QMenu(QStringLiteral("HideMenu"), window)
{
    setObjectName(QStringLiteral("HideMenu1"));
    for (const MenuItem& item : MenuItems) {
        if (!item.name) {
            addSeparator();
            continue;
        }
        auto* action = new QAction(QString::fromUtf8(item.caption), window);
        action->setObjectName(QLatin1String(item.name));
        action->setShortcut(QKeySequence(item.key));
        // The operator's keys must reach the desk from the spectator window
        // too; a modal dialog still blocks them, as it blocks the window.
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setEnabled(item.enabledAtStart);
        addAction(action);
        // A key fires only for an action that belongs to a visible widget,
        // and this menu is never shown.
        window->addAction(action);
    }
}

QAction* HiddenMenu::Item(const char* name) const
{
    for (QAction* action : actions()) {
        if (action->objectName() == QLatin1String(name))
            return action;
    }
    return nullptr;
}
