#include "OperatorNotice.h"

#include <QLabel>
#include <QLayout>
#include <QStringList>

#include <algorithm>

OperatorNotice::OperatorNotice(QLabel* label, QWidget* keepWhole)
    : label_(label)
    , keepWhole_(keepWhole)
{
    label_->hide();
}

void OperatorNotice::Set(Source source, const QString& message)
{
    messages_[source] = message;
    const QString shown = Shown();
    label_->setText(shown);
    label_->setVisible(!shown.isEmpty());
    KeepWhole();
}

// Several long notices at once must not push the run buttons out of the
// window: it grows by what the panel below lacks (and never shrinks here).
void OperatorNotice::KeepWhole()
{
    QWidget* window = label_->window();
    if (!keepWhole_ || !window->layout())
        return;
    window->layout()->activate();
    const int top = keepWhole_->mapTo(window, QPoint(0, 0)).y();
    const int bottom = top + std::max(keepWhole_->height(), keepWhole_->minimumHeight()) +
                       window->layout()->contentsMargins().bottom();
    const int lacking = bottom - window->height();
    if (lacking > 0)
        window->resize(window->width(), window->height() + lacking);
}

QString OperatorNotice::Shown() const
{
    QStringList shown;
    for (const QString& message : messages_) {
        if (!message.isEmpty())
            shown << message;
    }
    return shown.join(QLatin1Char('\n'));
}
