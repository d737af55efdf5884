#include "LaneEntryLabels.h"

#include "EventBook.h"
#include "TFormMonitor2.h"
#include "TFrame1.h"

#include <QLabel>
#include <QSpinBox>

namespace {

// Below the run buttons and the switches, inside the window's smallest height.
constexpr int LabelTop = 380;
constexpr int LabelHeight = 30;

} // namespace

LaneEntryLabels::LaneEntryLabels(EventBook* book, TFrame1* lane1, TFrame1* lane2, TFormMonitor2* monitor,
                                 QObject* parent)
    : QObject(parent)
    , book_(book)
    , lanes_{lane1, lane2}
    , monitor_(monitor)
{
    QWidget* panel = lane1->parentWidget();
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        auto* label = new QLabel(panel);
        label->setObjectName(QStringLiteral("LabEntry%1").arg(i + 1));
        label->setGeometry(lane1->x(), LabelTop + int(i) * LabelHeight, lane1->width(), LabelHeight);
        label->setStyleSheet(QStringLiteral("color: white"));
        labels_[i] = label;
        connect(lanes_[i], &TFrame1::StartNumberChange, this, &LaneEntryLabels::Refresh);
    }
    connect(book_, &EventBook::Changed, this, &LaneEntryLabels::Refresh);
    Refresh();
}

QString LaneEntryLabels::DriverText(const Entry* entry)
{
    return entry ? QStringList{entry->firstName, entry->name}.join(QLatin1Char(' ')).trimmed() : QString();
}

QString LaneEntryLabels::EntryText(const Entry* entry)
{
    return entry ? DriverText(entry) + QStringLiteral(", Klasse ") + entry->className : QString();
}

void LaneEntryLabels::Refresh()
{
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        const Entry* entry = book_->FindEntry(lanes_[i]->editStartN1->value());
        const QString text = EntryText(entry);
        const QString lane = QStringLiteral("Bahn %1: ").arg(i + 1);
        const QString shown = text.isEmpty() ? QString() : lane + text;
        // The full text goes to the tooltip; a long name is cut with "…", never the class.
        const QString classPart = text.mid(DriverText(entry).size());
        const QFontMetrics metrics = labels_[i]->fontMetrics();
        const int room = labels_[i]->width() - metrics.horizontalAdvance(lane + classPart);
        labels_[i]->setToolTip(shown);
        labels_[i]->setText(text.isEmpty() ? QString()
                                           : lane + metrics.elidedText(DriverText(entry), Qt::ElideRight, room) + classPart);
        if (monitor_)
            monitor_->SetEntry(int(i), DriverText(entry), entry ? entry->className : QString());
    }
}
