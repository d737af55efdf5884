#include "BookFiles.h"
#include "EntryListWindow.h"
#include "EventSettingsDialog.h"
#include "EventBook.h"
#include "EventBookDesk.h"
#include "LiveResultsDesk.h"
#include "LiveSettingsDialog.h"
#include "RecordingJournal.h"
#include "TAppSettings.h"
#include "PostListsDialog.h"
#include "ResultsWindow.h"
#include "RunControl.h"
#include "ProtocolModel.h"
#include "TFrame1.h"
#include "TLbSpeedButton.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QCheckBox>
#include <QUrl>
#include <QDir>
#include <QFile>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

RunControl::FinishedRun Finished(int number, std::int32_t ms)
{
    RunControl::FinishedRun run;
    run.lane = 1;
    run.startNumber = QString::number(number);
    run.stopTick = std::uint32_t(ms);
    run.runTimeMs = ms;
    run.stopClock = QStringLiteral("10:01.05,12");
    run.source = RunControl::CommandSource::Barrier;
    return run;
}

Entry Driver(int number, const QString& name, const QString& className, int order)
{
    Entry e;
    e.number = number;
    e.name = name;
    e.firstName = QStringLiteral("Hans");
    e.car = QStringLiteral("Golf");
    e.className = className;
    e.club = QStringLiteral("MSC Oberdorf");
    e.order = order;
    return e;
}

// The books go to a data folder of the test's own: HOME points into a
// temporary folder (the per-user folders are in test mode).
class EventBookDeskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home_ = qgetenv("HOME");
        qputenv("HOME", dir_.path().toUtf8());
    }
    void TearDown() override { qputenv("HOME", home_); }

    // A run control whose signals the test emits as the timing would.
    struct Timing
    {
        TFrame1 lane1{0, Clock::System()};
        TFrame1 lane2{1, Clock::System()};
        ProtocolModel protocol;
        QAction start, stop, reset, accident;
        TLbSpeedButton bStart, bStop, bReset, bAccident;
        RunControl control{RunControlParts{&lane1, &lane2, &protocol, &start, &stop, &reset, &accident, &bStart,
                                           &bStop, &bReset, &bAccident, nullptr}};
    };

    // Settings the desk's dialogs change are applied and kept, as the main
    // window does; the desk starts from the defaults.
    const std::vector<TAppSettings>& StoreSettings(EventBookDesk& desk)
    {
        desk.ChangeSettings = [this, &desk](const TAppSettings& s) {
            stored_.push_back(s);
            desk.ApplySettings(s);
        };
        desk.ApplySettings(TAppSettings());
        return stored_;
    }

    // An open book with two drivers of class A; one training and two scored runs, summed.
    void OpenBook(EventBook& book)
    {
        EventRules rules;
        rules.title = QStringLiteral("Clubslalom");
        rules.date = QDate(2026, 9, 12);
        ASSERT_TRUE(book.CreateAt(dir_.filePath(QStringLiteral("book.ravolt")), rules).ok);
        ASSERT_TRUE(book.ReplaceEntries({Driver(7, QStringLiteral("Müller"), QStringLiteral("A"), 1),
                                         Driver(8, QStringLiteral("Abel"), QStringLiteral("A"), 2)}));
    }

    QTemporaryDir dir_;
    QByteArray home_;
    std::vector<TAppSettings> stored_;
};

void Activate(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// The text of a standings cell by its column title.
QString StandingCell(const ResultsWindow& window, int row, const QString& title)
{
    QTableWidget* table = window.Standings();
    for (int c = 0; c < table->columnCount(); ++c)
        if (table->horizontalHeaderItem(c)->text() == title)
            return table->item(row, c) ? table->item(row, c)->text().section(u'\n', 0, 0) : QString();
    return QStringLiteral("(no column %1)").arg(title);
}

TEST_F(EventBookDeskTest, startsQuietlyFromTheTitle_recordsTheTimingsRuns_andReopensTheLastEvent)
{
    QWidget main;
    QWidget spectator;
    main.show();
    spectator.show();
    Timing timing;
    QString path;
    {
        EventBookDesk desk(&main, &timing.control);
        desk.AskYesNo = [](const QString&) -> bool { ADD_FAILURE() << "asked"; return false; };
        desk.Start(QStringLiteral("Bergslalom"));
        ASSERT_TRUE(desk.Book()->IsOpen());
        EXPECT_EQ(desk.Book()->Rules().title, QStringLiteral("Bergslalom"));
        EXPECT_EQ(desk.Book()->Rules().date, QDate::currentDate());
        path = desk.Book()->Path();

        Q_EMIT timing.control.RunFinished(Finished(7, 61000)); // training
        Q_EMIT timing.control.RunFinished(Finished(7, 55120));
        Q_EMIT timing.control.RunRestarted(QStringLiteral("7"), RunControl::CommandSource::Key);
        ASSERT_EQ(desk.Book()->Runs().size(), 2u);
        EXPECT_TRUE(desk.Book()->Runs().back().replaced);

        // F6 and F4 act from another window of the program too.
        Activate(&spectator);
        QTest::keyClick(&spectator, Qt::Key_F6);
        ASSERT_NE(desk.Results(), nullptr);
        EXPECT_TRUE(desk.Results()->isVisible());
        EXPECT_EQ(desk.Results()->RunTable()->rowCount(), 2);
        EXPECT_EQ(desk.Results()->RunTable()->item(0, 3)->text(), QStringLiteral("55,12"));
        QTest::keyClick(&spectator, Qt::Key_F4);
        ASSERT_NE(desk.EntryList(), nullptr);
        EXPECT_TRUE(desk.EntryList()->isVisible());
        EXPECT_TRUE(desk.Book()->WaitWritten());

        // The book's write failures reach the main window's notice line.
        QSignalSpy notices(&desk, &EventBookDesk::Notice);
        Q_EMIT desk.Book()->WriteFailed(QStringLiteral("Die Veranstaltung lässt sich nicht speichern."));
        Q_EMIT desk.Book()->WriteRecovered();
        ASSERT_EQ(notices.size(), 2);
        EXPECT_EQ(notices[0].at(0).toString(), QStringLiteral("Die Veranstaltung lässt sich nicht speichern."));
        EXPECT_TRUE(notices[1].at(0).toString().isEmpty());
    }
    EventBookDesk again(&main, nullptr);
    again.Start(QStringLiteral("anderer Titel"));
    EXPECT_EQ(again.Book()->Path(), path);
    EXPECT_EQ(again.Book()->Runs().size(), 2u);
}

TEST_F(EventBookDeskTest, damagedBook_isSetAsideAndANewOneStartsOnlyOnTheOperatorsWord)
{
    QWidget main;
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        QString damaged;
        {
            EventBookDesk first(&main, nullptr);
            first.Start(QStringLiteral("Slalom"));
            damaged = first.Book()->Path();
        }
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
        file.close();

        EventBookDesk desk(&main, nullptr);
        QSignalSpy notices(&desk, &EventBookDesk::Notice);
        QString asked;
        desk.AskYesNo = [&asked, yes](const QString& question) {
            asked = question;
            return yes;
        };
        desk.Start(QStringLiteral("Slalom"));
        EXPECT_TRUE(asked.contains(QStringLiteral("beschädigt"))) << asked.toStdString();
        EXPECT_TRUE(asked.endsWith(QStringLiteral("Eine neue Veranstaltung anlegen?")));
        EXPECT_EQ(desk.Book()->IsOpen(), yes);
        ASSERT_FALSE(notices.isEmpty());
        EXPECT_FALSE(notices.last().at(0).toString().isEmpty());
        QStringList aside = QDir(BookFiles::Folder()).entryList({QStringLiteral("*.beschaedigt-*")});
        aside.removeIf([](const QString& name) { return name.endsWith(QStringLiteral("-wal")) || name.endsWith(QStringLiteral("-shm")); });
        ASSERT_EQ(aside.size(), yes ? 2 : 1) << "set aside, never opened or overwritten";
        QFile kept(QDir(BookFiles::Folder()).filePath(aside.last()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), QByteArray(4096, 'x'));
        EXPECT_EQ(QFileInfo::exists(damaged), yes) << "a new book only on the operator's word";

    }
}

TEST_F(EventBookDeskTest, resultsWindow_penaltiesKeysChangeTheTotal_andUndoTakesThemBack)
{
    EventBook book;
    OpenBook(book);
    for (const std::int32_t ms : {61000, 55120, 56000})
        book.RecordRun(Finished(7, ms));
    ResultsWindow window(&book);
    Activate(&window);
    ASSERT_TRUE(window.ShowList(QStringLiteral("Klasse A")));
    window.ShowDriver(7);
    ASSERT_EQ(window.RunTable()->rowCount(), 3);
    ASSERT_TRUE(window.SelectRun(book.Runs().back().id));
    ASSERT_EQ(StandingCell(window, 0, QStringLiteral("Gesamt")), QStringLiteral("1.51,12"));

    struct Step
    {
        const char* what;
        std::function<void()> act;
        const char* total;
    };
    const Step steps[] = {
        {"digit 2: two cones", [&] { QTest::keyClick(window.RunTable(), Qt::Key_2); }, "1.57,12"},
        {"Alt+1: one skipped task", [&] { QTest::keyClick(window.RunTable(), Qt::Key_1, Qt::AltModifier); },
         "2.12,12"},
        {"undo", [&] { window.Undo(); }, "1.57,12"},
        {"Strg+Z", [&] { QTest::keyClick(window.RunTable(), Qt::Key_Z, Qt::ControlModifier); }, "1.51,12"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(StandingCell(window, 0, QStringLiteral("Gesamt")), QString::fromUtf8(step.total)) << step.what;
        EXPECT_EQ(window.SelectedRun(), book.Runs().back().id) << step.what << ": the run stays selected";
    }
}

TEST_F(EventBookDeskTest, resultsWindow_anInvalidRunListsTheDriverWithoutAPlace_andATypedRunIsScored)
{
    EventBook book;
    OpenBook(book);
    for (const std::int32_t ms : {61000, 55120, 56000})
        book.RecordRun(Finished(7, ms));
    ResultsWindow window(&book);
    window.show();
    window.ShowDriver(7);
    ASSERT_TRUE(window.SelectRun(book.Runs().back().id));
    ASSERT_TRUE(book.SetPenalty(book.Runs().back().id, 0, 0, RunStatus::Invalid, QStringLiteral("Ziel verfehlt")));
    ASSERT_TRUE(window.ShowList(QStringLiteral("Klasse A")));
    // Row 0 is "ohne Wertung", then Müller (n.g.) and Abel (no runs).
    EXPECT_EQ(window.Standings()->item(0, 0)->text(), QStringLiteral("ohne Wertung"));
    EXPECT_EQ(StandingCell(window, 1, QStringLiteral("Nr.")), QStringLiteral("7"));
    EXPECT_EQ(StandingCell(window, 1, QStringLiteral("Gesamt")), QStringLiteral("Lauf 2 n.g.: Ziel verfehlt"));

    // The confirmation says what the run now counts as, status included.
    window.SetCones(2);
    EXPECT_EQ(window.Message(), QStringLiteral("Nr. 7, Lauf 2: 2 Pylonen, 0 ausgelassen, n.g. – Ziel verfehlt."));
    auto* status = window.findChild<QComboBox*>(QStringLiteral("status"));
    ASSERT_TRUE(status);
    status->setCurrentIndex(status->findText(QStringLiteral("gültig")));
    window.ApplyPanel();
    EXPECT_EQ(window.Message(), QStringLiteral("Nr. 7, Lauf 2: 2 Pylonen, 0 ausgelassen."));
    window.Undo();
    window.Undo();

    auto* number = window.findChild<QSpinBox*>(QStringLiteral("handNumber"));
    auto* hand = window.findChild<QLineEdit*>(QStringLiteral("handTime"));
    ASSERT_TRUE(number && hand);
    for (const char* time : {"55,00", "58,40"}) {
        number->setValue(8);
        hand->setText(QString::fromUtf8(time));
        QTest::keyClick(hand, Qt::Key_Return);
    }
    // Abel's typed runs: the first is his training run, the second scored.
    ASSERT_EQ(book.Runs().back().source, QStringLiteral("Hand"));
    EXPECT_EQ(book.Runs().back().kind, RunKind::Scored);
    EXPECT_EQ(window.RunTable()->rowCount(), 2);
    EXPECT_TRUE(window.Message().contains(QStringLiteral("58,40")));

    hand->setText(QStringLiteral("1,2x"));
    QTest::keyClick(hand, Qt::Key_Return);
    EXPECT_TRUE(window.Message().startsWith(QStringLiteral("„1,2x“ ist keine Laufzeit")));
}

TEST_F(EventBookDeskTest, entryList_findsANumber_refusesADuplicateOrAnEmptyClass_andKeepsADraftUntilWhole)
{
    EventBook book;
    OpenBook(book);
    EntryListWindow window(&book);
    Activate(&window);
    QTableView* table = window.Table();
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 0));

    // Digits in the Nr. column find the row.
    QTest::keyClicks(table, QStringLiteral("8"));
    EXPECT_EQ(table->currentIndex().row(), 1);
    EXPECT_TRUE(window.FindNumber(7));
    EXPECT_EQ(table->currentIndex().row(), 0);
    EXPECT_FALSE(window.FindNumber(99));
    EXPECT_EQ(window.Message(), QStringLiteral("Nr. 99 steht nicht in der Starterliste."));

    QAbstractItemModel* model = table->model();
    struct Edit
    {
        int row, column;
        const char* value;
        const char* message; // the start of the refusal; null: taken
    };
    const Edit edits[] = {
        {0, 0, "8", "Die Startnummer 8 ist schon vergeben (Abel, Hans, Klasse A)."},
        {0, 4, "", "Nr. 7: Die Klasse darf nicht leer sein."},
        {0, 0, "0", "„0“ ist keine Startnummer"},
        {0, 0, "17", nullptr},
        {0, 3, "Polo", nullptr},
    };
    for (const Edit& e : edits) {
        const bool taken = model->setData(model->index(e.row, e.column), QString::fromUtf8(e.value));
        EXPECT_EQ(taken, e.message == nullptr) << e.value;
        if (e.message) {
            EXPECT_TRUE(window.Message().startsWith(QString::fromUtf8(e.message))) << window.Message().toStdString();
        }
    }
    ASSERT_EQ(book.Entries().size(), 2);
    EXPECT_EQ(book.Entries()[0].number, 17);
    EXPECT_EQ(book.Entries()[0].car, QStringLiteral("Polo"));
    EXPECT_EQ(book.Entries()[0].className, QStringLiteral("A"));

    // A new entry is stored once it has a number and a class, not before.
    window.AddEntry();
    const int draft = table->currentIndex().row();
    EXPECT_EQ(draft, 2);
    EXPECT_FALSE(model->setData(model->index(draft, 0), QStringLiteral("8")));
    EXPECT_TRUE(model->setData(model->index(draft, 0), QStringLiteral("9")));
    EXPECT_TRUE(model->setData(model->index(draft, 1), QStringLiteral("Zorn")));
    EXPECT_EQ(book.Entries().size(), 2) << "no class yet: nothing stored";
    EXPECT_TRUE(model->setData(model->index(draft, 4), QStringLiteral("B")));
    ASSERT_EQ(book.Entries().size(), 3);
    EXPECT_EQ(book.Entries()[2].name, QStringLiteral("Zorn"));
    EXPECT_EQ(book.Entries()[2].order, 3);
    EXPECT_EQ(model->rowCount(), 3);

    // Enter takes the cell and moves on to the next one.
    table->setCurrentIndex(model->index(2, 1));
    QTest::keyClick(table, Qt::Key_F2);
    QWidget* editor = table->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Zorner"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(book.Entries()[2].name, QStringLiteral("Zorner"));
    EXPECT_EQ(table->currentIndex(), model->index(2, 2));
}

TEST_F(EventBookDeskTest, entryList_importsACsvThroughTheWindow_afterAskingToReplaceTheList)
{
    EventBook book;
    OpenBook(book);
    const QString csv = dir_.filePath(QStringLiteral("nennungen.csv"));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Startnummer;Name;Vorname;Fahrzeug;Klasse;Verein\n"
               "21;Kühn;Jörg;Opel Corsa;G1;AC Tal\n"
               "22;Roth;Eva;VW Polo;G2;AC Tal\n");
    file.close();

    EntryListWindow window(&book);
    window.ChooseImportFile = [&csv] { return csv; };
    for (const bool yes : {false, true}) {
        QString asked;
        window.AskYesNo = [&asked, yes](const QString& question) {
            asked = question;
            return yes;
        };
        window.Import();
        EXPECT_EQ(asked, QStringLiteral("Die Starterliste (2 Starter) durch die 2 Starter aus „nennungen.csv“ ersetzen?"));
        EXPECT_EQ(book.Entries().front().number, yes ? 21 : 7);
    }
    EXPECT_EQ(book.Entries()[0].name, QStringLiteral("Kühn"));
    EXPECT_EQ(book.Entries()[1].className, QStringLiteral("G2"));
    EXPECT_EQ(window.Table()->model()->rowCount(), 2);

    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write("Nr;Name;Klasse\n5;A;G1\n5;B;G1\n");
    file.close();
    window.Import();
    EXPECT_TRUE(window.Message().contains(QStringLiteral("5"))) << window.Message().toStdString();
    EXPECT_EQ(book.Entries().front().number, 21) << "nothing half-imported";
}

TEST_F(EventBookDeskTest, officialListsAreWrittenAndKeptInTheBookAsPosted)
{
    EventBook book;
    OpenBook(book);
    book.RecordRun(Finished(7, 61000));
    book.RecordRun(Finished(7, 55120));
    book.RecordRun(Finished(7, 56000));
    PostListsDialog dialog(&book);
    dialog.SetOfficial(true);
    const QString pdf = dir_.filePath(QStringLiteral("aushang.pdf"));
    ASSERT_TRUE(dialog.Save(PostListsDialog::Format::Pdf, pdf)) << dialog.Message().toStdString();
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5).startsWith("%PDF"));
    ASSERT_EQ(book.Posted().size(), 2u); // Klassenwertung, Gesamtwertung
    EXPECT_TRUE(book.Posted()[0].official);
    EXPECT_EQ(book.Posted()[0].list, QStringLiteral("Klassenwertung"));
    EXPECT_TRUE(book.Posted()[0].content.contains(QStringLiteral("offiziell")));
    EXPECT_TRUE(book.Posted()[0].content.contains(QStringLiteral("1.51,12")));

    EXPECT_FALSE(dialog.Save(PostListsDialog::Format::Html, dir_.filePath(QStringLiteral("fehlt/aushang.html"))));
    EXPECT_EQ(book.Posted().size(), 2u) << "a list that did not go out is not posted";
}

TEST_F(EventBookDeskTest, eventDialog_editsTheRules_andANewOrOlderEventIsChosenFromIt)
{
    EventRules rules;
    rules.title = QStringLiteral("Clubslalom");
    rules.date = QDate(2026, 9, 12);
    EventSettingsDialog dialog(rules, EventSettingsDialog::Mode::Current);
    auto* bestN = dialog.findChildren<QSpinBox*>().at(2);
    auto* rule = dialog.findChild<QComboBox*>();
    EXPECT_FALSE(bestN->isEnabled()) << "N only for the best-N rule";
    rule->setCurrentIndex(rule->findText(QStringLiteral("Summe der besten N")));
    EXPECT_TRUE(bestN->isEnabled());
    dialog.findChildren<QSpinBox*>().at(1)->setValue(3); // scored runs
    bestN->setValue(5);
    EXPECT_EQ(bestN->value(), 3) << "never more than the scored runs";
    dialog.findChild<QLineEdit*>()->setText(QStringLiteral("  Herbstslalom "));
    const EventRules edited = dialog.Rules();
    EXPECT_EQ(edited.title, QStringLiteral("Herbstslalom"));
    EXPECT_EQ(edited.rule, ScoringRule::SumOfBestN);
    EXPECT_EQ(edited.scoredRuns, 3);
    EXPECT_EQ(edited.bestN, 3);
    EXPECT_EQ(edited.date, QDate(2026, 9, 12));
    EXPECT_EQ(edited.coneSeconds, 3);
    EXPECT_EQ(edited.skippedTaskSeconds, 15);
    EXPECT_EQ(edited.skippedTasksAllowed, 3);

    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Neue &Veranstaltung…"))
            button->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Chosen(), EventSettingsDialog::Choice::NewEvent);
    EventSettingsDialog fresh(rules, EventSettingsDialog::Mode::New);
    EXPECT_EQ(fresh.windowTitle(), QStringLiteral("Neue Veranstaltung"));
    EXPECT_EQ(fresh.findChildren<QPushButton*>().size(), 2) << "Anlegen and Abbrechen only";

    // "Öffnen…" offers the books, the latest change first.
    QWidget main;
    EventBookDesk desk(&main, nullptr);
    desk.Start(QStringLiteral("Frühjahr"));
    const QString first = desk.Book()->Path();
    ASSERT_TRUE(desk.Book()->Create(rules).ok);
    ASSERT_NE(desk.Book()->Path(), first);
    QTimer::singleShot(0, &main, [] {
        auto* chooser = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->comboBoxItems().size(), 2);
        chooser->setTextValue(chooser->comboBoxItems().filter(QStringLiteral("Frühjahr")).value(0));
        chooser->accept();
    });
    desk.OpenEvent();
    EXPECT_EQ(desk.Book()->Path(), first);
    EXPECT_EQ(desk.Book()->Rules().title, QStringLiteral("Frühjahr"));
}

} // namespace

namespace {

// The page at path of the live results, as a phone gets it; empty when none came.
QByteArray LivePage(const QString& address, const QByteArray& path)
{
    const QUrl url(address);
    QTcpSocket socket;
    socket.connectToHost(url.host(), quint16(url.port()));
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray reply;
    const QDeadlineTimer deadline(5000);
    while (!reply.contains("</html>") && !deadline.hasExpired() && socket.waitForReadyRead(100))
        reply += socket.readAll();
    return reply;
}

// The open, visible dialog of type T; null when there is none.
template <typename T> T* OpenDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<T*>(w); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

} // namespace

TEST_F(EventBookDeskTest, liveDialog_fromTheEventDialog_opensOverItAndStoresTheSpectatorsCodeSwitch)
{
    QWidget main;
    EventBookDesk desk(&main, nullptr);
    desk.Start(QStringLiteral("Bergslalom"));
    const std::vector<TAppSettings>& stored = StoreSettings(desk);

    bool liveAsked = false;
    bool eventStillOpen = false;
    QTimer::singleShot(0, &desk, [&] {
        auto* event = OpenDialog<EventSettingsDialog>();
        auto* button = event ? event->findChild<QPushButton*>(QStringLiteral("live")) : nullptr;
        if (!button)
            return;
        QTimer::singleShot(0, &desk, [&liveAsked] {
            if (auto* live = OpenDialog<LiveSettingsDialog>()) {
                liveAsked = true;
                EXPECT_FALSE(live->spectator->isChecked());
                live->spectator->setChecked(true);
                live->accept();
            }
        });
        button->click();
        eventStillOpen = event->isVisible();
        event->reject();
    });
    desk.EditEvent();
    EXPECT_TRUE(liveAsked);
    EXPECT_TRUE(eventStillOpen) << "the event's own edits are not lost";
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_TRUE(stored[0].LiveQrSpectator);
    EXPECT_FALSE(stored[0].LiveResults);
}

TEST_F(EventBookDeskTest, liveResults_followTheSettingsServeTheBookAndTellAPortInUse)
{
    QWidget main;
    EventBookDesk desk(&main, nullptr);
    desk.Start(QStringLiteral("Bergslalom"));
    TAppSettings settings;
    settings.LiveAddress = QStringLiteral("127.0.0.1");
    settings.LivePort = 0; // any free port
    desk.ApplySettings(settings);
    EXPECT_TRUE(desk.Live()->Address().isEmpty()); // off by default

    settings.LiveResults = true;
    desk.ApplySettings(settings);
    const QString address = desk.Live()->Address();
    ASSERT_TRUE(address.startsWith(QStringLiteral("http://127.0.0.1:"))) << address.toStdString();
    Entry entry;
    entry.number = 12;
    entry.name = QStringLiteral("<b>Huber</b>");
    desk.Book()->SetEntry(entry);
    QTRY_VERIFY_WITH_TIMEOUT(LivePage(address, "/starter").contains("&lt;b&gt;Huber&lt;/b&gt;"), 5000);
    EXPECT_TRUE(LivePage(address, "/").contains("Bergslalom"));

    EventBookDesk other(&main, nullptr);
    QSignalSpy notices(&other, &EventBookDesk::Notice);
    TAppSettings taken = settings;
    taken.LivePort = QUrl(address).port();
    other.ApplySettings(taken);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0][0].toString().contains(QStringLiteral("belegt")));
    EXPECT_TRUE(other.Live()->Address().isEmpty());

    settings.LiveResults = false;
    desk.ApplySettings(settings);
    EXPECT_TRUE(desk.Live()->Address().isEmpty());
    EXPECT_TRUE(LivePage(address, "/").isEmpty());
}

TEST_F(EventBookDeskTest, liveDialog_fromTheResultsWindow_startsTheServerShowsItsCodeAndTheJournalNotesIt)
{
    QWidget main;
    Timing timing;
    RecordingJournal journal;
    timing.control.SetJournal(&journal);
    EventBookDesk desk(&main, &timing.control);
    desk.Start(QStringLiteral("Bergslalom"));
    const std::vector<TAppSettings>& stored = StoreSettings(desk);
    QTcpServer probe; // a port that is free now
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 free = probe.serverPort();
    probe.close();

    // Answers the dialog once it is open; false when none came.
    auto answer = [](const std::function<void(LiveSettingsDialog&)>& fill) {
        QTimer::singleShot(0, qApp, [fill] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<LiveSettingsDialog*>(w); dialog && dialog->isVisible()) {
                    fill(*dialog);
                    return;
                }
        });
    };
    desk.ShowResults();
    auto* live = desk.Results()->findChild<QPushButton*>(QStringLiteral("live"));
    ASSERT_TRUE(live);
    answer([free](LiveSettingsDialog& d) {
        EXPECT_TRUE(d.served->text().contains(QStringLiteral("keine")));
        d.on->setChecked(true);
        d.port->setValue(free);
        d.address->setCurrentIndex(d.address->findData(QStringLiteral("127.0.0.1")));
        d.accept();
    });
    live->click();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_TRUE(stored[0].LiveResults);
    EXPECT_EQ(stored[0].LivePort, free);
    EXPECT_EQ(desk.Live()->Address(), QStringLiteral("http://127.0.0.1:%1/").arg(free));
    EXPECT_TRUE(journal.lines.filter(QStringLiteral("Live-Ergebnisse gestartet: http://127.0.0.1:%1/").arg(free)).size() == 1);
    // The pages are built on the live server's builder thread: wait for them.
    QTRY_VERIFY_WITH_TIMEOUT(LivePage(desk.Live()->Address(), "/").contains("Bergslalom"), 5000);
    // A lane that starts is on the page, though the book has not changed.
    timing.control.mStartClick();
    ASSERT_TRUE(timing.lane1.Running() || timing.lane2.Running());
    QTRY_VERIFY_WITH_TIMEOUT(LivePage(desk.Live()->Address(), "/").contains("läuft"), 5000);

    bool shown = false;
    answer([&shown](LiveSettingsDialog& d) {
        shown = d.served->text().contains(QStringLiteral("http://127.0.0.1:")) && !d.code->pixmap().isNull();
        d.on->setChecked(false);
        d.accept();
    });
    live->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(desk.Live()->Address().isEmpty());
    EXPECT_TRUE(journal.lines.contains(QStringLiteral("Live-Ergebnisse beendet")));
}
