#pragma once

#include <QObject>
#include <QString>
#include <array>

class EventBook;
class QLabel;
class TFormMonitor2;
class TFrame1;
struct Entry;

// Who drives in each lane: the name and class of the entry with the lane's
// start number, under the lanes of the main window and in the lanes' caption
// strips of the spectator window. Empty while the number has no entry. The
// texts follow the lanes' numbers and every change of the book.
class LaneEntryLabels : public QObject
{
    Q_OBJECT
public:
    // The main window's labels go below the controls of lane1's panel.
    LaneEntryLabels(EventBook* book, TFrame1* lane1, TFrame1* lane2, TFormMonitor2* monitor,
                    QObject* parent = nullptr);

    // "Hans Müller"; "Hans Müller, Klasse A"; empty without an entry.
    static QString DriverText(const Entry* entry);
    static QString EntryText(const Entry* entry);

    QLabel* Label(int lane) const { return labels_[std::size_t(lane)]; }
    void Refresh();

private:
    EventBook* book_;
    std::array<TFrame1*, 2> lanes_;
    TFormMonitor2* monitor_;
    std::array<QLabel*, 2> labels_{};
};
