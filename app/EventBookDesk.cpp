#include "EventBookDesk.h"

#include "BookFiles.h"
#include "EntryListWindow.h"
#include "EventBook.h"
#include "DeskView.h"
#include "LiveLink.h"
#include "LiveQrCode.h"
#include "LiveResultsDesk.h"
#include "LiveSettingsDialog.h"
#include "TAppSettings.h"
#include "EventSettingsDialog.h"
#include "LaneEntryLabels.h"
#include "PostListsDialog.h"
#include "ResultsWindow.h"
#include "RunControl.h"
#include "TFormMonitor2.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QAction* KeyAction(QWidget* window, const QString& text, Qt::Key key, const char* name)
{
    auto* action = new QAction(text, window);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(QKeySequence(key));
    // Like the desk's own keys: from every window of the program, the
    // spectator window included; a modal dialog blocks it.
    action->setShortcutContext(Qt::ApplicationShortcut);
    // A key fires only for an action on a visible widget.
    window->addAction(action);
    return action;
}

void Raise(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

EventBookDesk::EventBookDesk(QWidget* mainWindow, RunControl* runControl, const QString& folder, QObject* parent)
    : QObject(parent), mainWindow_(mainWindow), book_(new EventBook(this)),
      runControl_(runControl), live_(new LiveResultsDesk(book_, runControl, this)),
      folder_(folder.isEmpty() ? BookFiles::Folder() : folder)
{
    AskYesNo = [this](const QString& question) {
        return QMessageBox::question(mainWindow_, QStringLiteral("Veranstaltung"), question) == QMessageBox::Yes;
    };
    ShowMessage = [this](const QString& message) {
        QMessageBox::warning(mainWindow_, QStringLiteral("Veranstaltung"), message);
    };

    if (runControl) {
        connect(runControl, &RunControl::RunFinished, book_, &EventBook::RecordRun);
        connect(runControl, &RunControl::RunVoided, book_, &EventBook::VoidRun);
        connect(runControl, &RunControl::RunRestarted, book_, &EventBook::RestartRun);
    }
    connect(book_, &EventBook::WriteFailed, this, &EventBookDesk::Notice);
    connect(live_, &LiveResultsDesk::Notice, this, &EventBookDesk::Notice);
    connect(book_, &EventBook::WriteRecovered, this, [this] { Q_EMIT Notice(QString()); });
    connect(book_, &EventBook::Changed, this, &EventBookDesk::UpdateTitles);

    entryListAction_ = KeyAction(mainWindow_, QStringLiteral("Starterliste"), Qt::Key_F4, "EntryListKey");
    resultsAction_ = KeyAction(mainWindow_, QStringLiteral("Wertung"), Qt::Key_F6, "ResultsKey");
    connect(entryListAction_, &QAction::triggered, this, &EventBookDesk::ShowEntryList);
    connect(resultsAction_, &QAction::triggered, this, &EventBookDesk::ShowResults);
}

EventBookDesk::~EventBookDesk()
{
    delete entryList_;
    delete results_;
}

EntryListWindow* EventBookDesk::EntryList() const
{
    return entryList_;
}

ResultsWindow* EventBookDesk::Results() const
{
    return results_;
}

void EventBookDesk::Start(const QString& programTitle)
{
    programTitle_ = programTitle;
    const QString last = BookFiles::LastEvent(folder_);
    if (last.isEmpty())
        return CreateQuietly(QString());
    if (!QFileInfo::exists(last))
        return CreateQuietly(QStringLiteral("Die letzte Veranstaltung „%1“ wurde nicht gefunden.")
                                 .arg(QFileInfo(last).fileName()));
    const EventBook::Result opened = book_->Open(last);
    if (opened.ok)
        return;
    // Never a new book over a damaged one without the operator's word.
    Q_EMIT Notice(opened.message);
    if (AskYesNo && AskYesNo(opened.message + QStringLiteral("\n\nEine neue Veranstaltung anlegen?")))
        CreateQuietly(opened.message);
    else
        Q_EMIT Notice(opened.message + QStringLiteral(" Keine Veranstaltung geöffnet: die Läufe stehen nur im Protokoll."));
}

void EventBookDesk::CreateQuietly(const QString& why)
{
    EventRules rules;
    rules.title = programTitle_;
    rules.date = QDate::currentDate();
    const EventBook::Result created = book_->CreateAt(BookFiles::NewPath(folder_, rules.date, rules.title), rules);
    if (!created.ok)
        Q_EMIT Notice(created.message + QStringLiteral(" Die Läufe stehen nur im Protokoll."));
    else
        Q_EMIT Notice(why.isEmpty() ? QString() : why + QStringLiteral(" Eine neue Veranstaltung wurde angelegt."));
}

void EventBookDesk::ApplySettings(const TAppSettings& settings)
{
    programTitle_ = settings.Title;
    settings_ = std::make_unique<TAppSettings>(settings);
    if (runControl_)
        live_->SetJournal(runControl_->Journal());
    live_->Apply(settings);
    ShowLiveAddress();
}

void EventBookDesk::ShowLiveAddress()
{
    const QString address = live_->Address();
    if (liveLink_)
        liveLink_->SetAddress(address);
    if (!monitor_)
        return;
    if (address.isEmpty() || !settings_ || !settings_->LiveQrSpectator)
        monitor_->SetCornerCode(QImage(), QString());
    else
        monitor_->SetCornerCode(LiveQrCode(address, 1), address);
}

void EventBookDesk::EditLiveResults()
{
    const TAppSettings current = settings_ ? *settings_ : TAppSettings();
    // Over the window it was asked from: the Wertung window or the dialog "Veranstaltung".
    LiveSettingsDialog dialog(QApplication::activeWindow() ? QApplication::activeWindow() : mainWindow_);
    const std::optional<TAppSettings> chosen = dialog.Edit(current, live_->Address());
    if (!chosen)
        return;
    if (ChangeSettings)
        ChangeSettings(*chosen);
    else
        ApplySettings(*chosen);
}

void EventBookDesk::ShowEntryList()
{
    if (!entryList_) {
        entryList_ = new EntryListWindow(book_, mainWindow_);
        entryList_->AskYesNo = [this](const QString& question) { return AskYesNo(question); };
        connect(entryList_, &EntryListWindow::EventWanted, this, &EventBookDesk::EditEvent);
        UpdateTitles();
    }
    Raise(entryList_);
}

void EventBookDesk::ShowResults()
{
    if (!results_) {
        results_ = new ResultsWindow(book_, mainWindow_);
        connect(results_, &ResultsWindow::ListsWanted, this, &EventBookDesk::ShowLists);
        connect(results_, &ResultsWindow::EventWanted, this, &EventBookDesk::EditEvent);
        connect(results_, &ResultsWindow::LiveWanted, this, &EventBookDesk::EditLiveResults);
        UpdateTitles();
    }
    Raise(results_);
}

void EventBookDesk::ShowLists()
{
    PostListsDialog dialog(book_, results_);
    dialog.exec();
}

void EventBookDesk::UpdateTitles()
{
    const QString event = book_->IsOpen() ? QStringLiteral(" – ") + book_->Rules().title : QString();
    if (entryList_)
        entryList_->setWindowTitle(QStringLiteral("Starterliste") + event);
    if (results_)
        results_->setWindowTitle(QStringLiteral("Wertung") + event);
}

void EventBookDesk::EditEvent()
{
    QWidget* over = QApplication::activeWindow() ? QApplication::activeWindow() : mainWindow_;
    if (!book_->IsOpen())
        return NewEvent();
    EventSettingsDialog dialog(book_->Rules(), EventSettingsDialog::Mode::Current, over);
    connect(&dialog, &EventSettingsDialog::LiveWanted, this, &EventBookDesk::EditLiveResults);
    if (dialog.exec() != QDialog::Accepted)
        return;
    switch (dialog.Chosen()) {
    case EventSettingsDialog::Choice::Save: book_->SetRules(dialog.Rules()); break;
    case EventSettingsDialog::Choice::NewEvent: NewEvent(); break;
    case EventSettingsDialog::Choice::OpenEvent: OpenEvent(); break;
    }
}

void EventBookDesk::NewEvent()
{
    EventRules rules = book_->IsOpen() ? book_->Rules() : EventRules();
    rules.title = programTitle_;
    rules.date = QDate::currentDate();
    EventSettingsDialog dialog(rules, EventSettingsDialog::Mode::New, mainWindow_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const EventBook::Result created = book_->CreateAt(BookFiles::NewPath(folder_, dialog.Rules().date, dialog.Rules().title), dialog.Rules());
    if (!created.ok)
        ShowMessage(created.message);
    else
        Q_EMIT Notice(QString());
}

void EventBookDesk::OpenEvent()
{
    const QVector<BookFiles::BookInfo> books = BookFiles::List(folder_);
    QStringList names;
    for (const BookFiles::BookInfo& book : books)
        names << book.name;
    if (names.isEmpty()) {
        ShowMessage(QStringLiteral("Es gibt keine gespeicherten Veranstaltungen."));
        return;
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(mainWindow_, QStringLiteral("Veranstaltung öffnen"),
                                                 QStringLiteral("Veranstaltung (zuletzt geändert zuerst):"), names, 0,
                                                 false, &ok);
    if (!ok)
        return;
    const EventBook::Result opened = book_->Open(books[names.indexOf(chosen)].path);
    if (!opened.ok)
        ShowMessage(opened.message);
    else
        Q_EMIT Notice(QString());
}

void EventBookDesk::ShowLaneEntries(TFrame1* lane1, TFrame1* lane2, TFormMonitor2* monitor)
{
    laneEntries_ = new LaneEntryLabels(book_, lane1, lane2, monitor, this);
}

void EventBookDesk::ShowOnDesk(const DeskWidgets& desk, TFormMonitor2* monitor)
{
    ShowLaneEntries(desk.FrameT1, desk.FrameT2, monitor);
    liveLink_ = desk.PanelLive;
    monitor_ = monitor;
    connect(desk.PanelLive, &LiveLink::Clicked, this, &EventBookDesk::EditLiveResults);
    ShowLiveAddress();
}
