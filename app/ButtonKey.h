#pragma once

#include <QKeySequence>

class QPushButton;

// Gives button a key that clicks it at once, in the button's window only,
// and names the key in its tooltip. (A button's own shortcut clicks it only
// after a short animation, so a quick key after it could come first.)
void SetButtonKey(QPushButton* button, const QKeySequence& key);
