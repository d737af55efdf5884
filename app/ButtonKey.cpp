#include "ButtonKey.h"

#include <QAction>
#include <QPushButton>

void SetButtonKey(QPushButton* button, const QKeySequence& key)
{
    auto* action = new QAction(button);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, button, [button] {
        if (button->isEnabled())
            button->click();
    });
    button->addAction(action);
    button->setToolTip(key.toString(QKeySequence::NativeText));
}
