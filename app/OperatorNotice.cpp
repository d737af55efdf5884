#include "OperatorNotice.h"

#include <QLabel>
#include <QStringList>

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
    QStringList shown;
    for (const QString& message : messages_) {
        if (!message.isEmpty())
            shown << message;
    }
    return shown.join(QLatin1Char('\n'));
}
