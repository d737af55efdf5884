#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class EntryListWindow;
class EventBook;
class LaneEntryLabels;
class LiveLink;
class LiveResultsDesk;
struct DeskWidgets;
struct TAppSettings;
class QAction;
class QWidget;
class ResultsWindow;
class RunControl;
class TFormMonitor2;
class TFrame1;

// The event book at the desk: it owns the book, records what the run
// control reports, and opens the windows over it: "Starterliste" (F4),
// "Wertung" (F6), "Veranstaltung" (from both windows). The keys act in every
// window of the program, like the desk's own keys, through actions of their
// own on the main window. A failed write of the book or a book that could
// not be opened is told through Notice, for the main window's notice line.
class EventBookDesk : public QObject
{
    Q_OBJECT
public:
    // folder holds the books; empty: Veranstaltungen/ in the per-user data folder.
    EventBookDesk(QWidget* mainWindow, RunControl* runControl, const QString& folder = QString(),
                  QObject* parent = nullptr);

    // Closes the windows before the book they show.
    ~EventBookDesk() override;
    // Opens the last event; with none, a new one is started quietly from
    // programTitle and today's date. A damaged book is set aside and a new
    // one started only when the operator says yes.
    void Start(const QString& programTitle);
    // The program's Title changed: the default title of a new event.
    void SetProgramTitle(const QString& title) { programTitle_ = title; }
    // Names the driver of each lane under the lanes and on the spectator window.
    void ShowLaneEntries(TFrame1* lane1, TFrame1* lane2, TFormMonitor2* monitor);
    LaneEntryLabels* LaneEntries() const { return laneEntries_; }
    // The lanes' drivers as ShowLaneEntries, and the live results' address
    // with its QR code on the main window and, when the settings say so, in
    // a corner of the spectator window.
    void ShowOnDesk(const DeskWidgets& desk, TFormMonitor2* monitor);
    // The settings changed: the program's Title and the live results.
    void ApplySettings(const TAppSettings& settings);
    LiveResultsDesk* Live() const { return live_; }
    // "Live-Ergebnisse im Netzwerk": the live values of the settings.
    void EditLiveResults();

    void ShowEntryList();
    void ShowResults();
    // "Veranstaltung": edits the open event, or starts or opens another.
    void EditEvent();
    void NewEvent();
    void OpenEvent();

    EventBook* Book() const { return book_; }
    QAction* EntryListAction() const { return entryListAction_; }
    QAction* ResultsAction() const { return resultsAction_; }
    EntryListWindow* EntryList() const;
    ResultsWindow* Results() const;

    // The yes/no question (the program's own dialog where there is one).
    std::function<bool(const QString& question)> AskYesNo;
    // Applies and stores changed settings (the main window's own way).
    std::function<void(const TAppSettings& settings)> ChangeSettings;
    // A message the operator must read now (a book that cannot be opened).
    std::function<void(const QString& message)> ShowMessage;

Q_SIGNALS:
    // The notice for the main window's notice line; empty when none is left.
    void Notice(const QString& text);

private:
    void CreateQuietly(const QString& why);
    void ShowLists();
    void UpdateTitles();
    void ShowLiveAddress();

    QWidget* mainWindow_;
    EventBook* book_;
    RunControl* runControl_;
    LiveResultsDesk* live_;
    QString folder_;
    QString programTitle_;
    std::unique_ptr<TAppSettings> settings_; // as last applied
    QAction* entryListAction_ = nullptr;
    QAction* resultsAction_ = nullptr;
    LaneEntryLabels* laneEntries_ = nullptr;
    // Owned by the main window; gone with it or with this desk, whichever goes first.
    QPointer<EntryListWindow> entryList_;
    QPointer<ResultsWindow> results_;
    QPointer<LiveLink> liveLink_;
    QPointer<TFormMonitor2> monitor_;
};
