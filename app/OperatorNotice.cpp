#include "OperatorNotice.h"

#include <QLabel>

OperatorNotice::OperatorNotice(QLabel* label)
    : label_(label)
{
    label_->hide();
}

void OperatorNotice::Set(Source source, const QString& message)
{
    messages_[source] = message;
    const QString shown = Shown();
    label_->setText(shown);
    label_->setVisible(!shown.isEmpty());
}

QString OperatorNotice::Shown() const
{
    for (const QString& message : messages_) {
        if (!message.isEmpty())
            return message;
    }
    return {};
}
