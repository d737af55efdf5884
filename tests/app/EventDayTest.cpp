#include "EntryImport.h"
#include "EventBook.h"
#include "EventBookDesk.h"
#include "LaneEntryLabels.h"
#include "MainWindowRig.h"
#include "ResultLists.h"
#include "TFormMonitor2.h"
#include "TImage.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t CTS = 0x10;
constexpr std::uint32_t DSR = 0x20;

struct EventDayRig : MainWindowRig
{
    explicit EventDayRig(TAppSettings s = {}) : MainWindowRig(std::move(s)) {}

    EventBook& book() { return *form->findChild<EventBookDesk*>()->Book(); }
    TFrame1* lane(int i) { return i == 0 ? form->Widgets().FrameT1 : form->Widgets().FrameT2; }
    QString MainLabel(int i) { return form->findChild<QLabel*>(QStringLiteral("LabEntry%1").arg(i + 1))->text(); }

    bool Import(const QByteArray& csv)
    {
        const QString path = dir.filePath(QStringLiteral("nennungen.csv"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size())
            return false;
        file.close();
        const EntryImportResult imported = ImportEntries(path);
        return imported.status == EntryImportResult::Status::Imported
               && book().ReplaceEntries(QVector<Entry>(imported.entries.begin(), imported.entries.end()));
    }

    // The number goes to the lane that starts next, as the operator types it.
    // StartLane is the lane that started last (0 before the first start).
    void NextStarter(int number) { lane(form->Runs()->StartLane() == 1 ? 1 : 0)->editStartN1->setValue(number); }

    void KeyRun(int number, std::uint32_t ms)
    {
        NextStarter(number);
        TimeRun(*this, ms);
    }

    bool BarrierRun(int number, std::uint32_t ms)
    {
        NextStarter(number);
        if (!Lines(DSR))
            return false;
        form->Barrier()->TimerGesperrtTimer(form->Barrier()->TimerGesperrtStart);
        if (!Lines(0))
            return false;
        if (!form->Barrier()->Armed())
            form->Widgets().LockLS->trigger();
        clock.Advance(ms);
        const bool stopped = Lines(CTS) && Lines(0);
        Reset();
        return stopped;
    }

    const RunRecord& ScoredRun(int number, int index)
    {
        for (const RunRecord& run : book().Runs())
            if (run.number == number && run.kind == RunKind::Scored && run.index == index && !run.replaced)
                return run;
        static const RunRecord none;
        return none;
    }
};

TAppSettings WithBarrier()
{
    TAppSettings s;
    s.Port = 1;
    s.ManyStart = true; // every run of a driver gets a row of its own
    return s;
}

const QByteArray EntryCsv = "Nr.;Name;Vorname;Fahrzeug;Klasse;Verein\r\n"
                            "1;Abel;Anna;Polo;A;MSC Nord\r\n"
                            "2;Brandt;Bernd;Corsa;A;MSC Nord\r\n"
                            "3;Corell;Carla;Fiesta;A;AC Süd\r\n"
                            "7;Dorn;Dieter;Golf;B;AC Süd\r\n"
                            "8;Ehm;Erik;Astra;B;MSC Nord\r\n";

// "place|Nr.|total|gap to the leader|gap to the one ahead"
QStringList Table(const ScoringResult& result, const RankedList& list)
{
    QStringList lines;
    for (const Standing& s : list.placed) {
        const DriverResult& d = result.drivers[std::size_t(s.driver)];
        lines << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(s.place)
                     .arg(d.entry.number)
                     .arg(ResultTimeText(*d.totalMs, s.totalInMs),
                          s.place == 1 ? QString() : GapText(s.gapToLeaderMs, s.gapToLeaderInMs),
                          s.place == 1 ? QString() : GapText(s.gapToAheadMs, s.gapToAheadInMs));
    }
    for (const Standing& s : list.unplaced) {
        const DriverResult& d = result.drivers[std::size_t(s.driver)];
        lines << QStringLiteral("-|%1|%2").arg(d.entry.number).arg(d.unplacedReason);
    }
    return lines;
}

} // namespace

TEST(EventDay, LaneLabelsNameTheDriverOfEachLane_onBothWindows_andFollowNumbersAndEntries)
{
    EventDayRig rig;
    ASSERT_TRUE(rig.Import(EntryCsv));
    TFormMonitor2& monitor = *rig.form->FormMonitor2();

    rig.lane(0)->editStartN1->setValue(2);
    rig.lane(1)->editStartN1->setValue(8);
    EXPECT_EQ(rig.MainLabel(0), QStringLiteral("Bahn 1: Bernd Brandt, Klasse A"));
    EXPECT_EQ(rig.MainLabel(1), QStringLiteral("Bahn 2: Erik Ehm, Klasse B"));
    EXPECT_EQ(monitor.EntryText(0), QStringLiteral("Bernd Brandt, Klasse A"));
    EXPECT_EQ(monitor.LabEntry2->text(), QStringLiteral("Erik Ehm, Klasse B"));
    EXPECT_EQ(monitor.LabStart1->text(), QStringLiteral(" Start-Nr.:2")) << "the designed caption keeps its text";

    // A number without an entry, an edited entry, a removed entry.
    rig.lane(0)->editStartN1->setValue(5);
    EXPECT_EQ(rig.MainLabel(0), QString());
    EXPECT_EQ(monitor.LabEntry1->text(), QString());
    Entry erik = *rig.book().FindEntry(8);
    erik.className = QStringLiteral("C");
    ASSERT_TRUE(rig.book().SetEntry(erik));
    EXPECT_EQ(rig.MainLabel(1), QStringLiteral("Bahn 2: Erik Ehm, Klasse C"));
    // A name too long for its room is shortened; the class stays whole.
    erik.firstName = QStringLiteral("Erik-Maximilian Friedrich Wilhelm");
    erik.name = QStringLiteral("von Ehm-Hohenstein zu Oberdorf-Unterhausen");
    ASSERT_TRUE(rig.book().SetEntry(erik));
    for (const QString& shown : {rig.MainLabel(1), monitor.LabEntry2->text()}) {
        EXPECT_TRUE(shown.endsWith(QStringLiteral("…, Klasse C"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("Erik-Max"))) << shown.toStdString();
    }
    rig.book().RemoveEntry(8);
    EXPECT_EQ(rig.MainLabel(1), QString());
    EXPECT_EQ(monitor.EntryText(1), QString());

    // The labels lie below the designed controls of the lane panel.
    const QWidget* panel = rig.lane(0)->parentWidget();
    const QLabel* label = rig.form->findChild<QLabel*>(QStringLiteral("LabEntry1"));
    for (const QWidget* designed : {static_cast<QWidget*>(rig.form->Widgets().bAVARIA),
                                    static_cast<QWidget*>(rig.form->Widgets().ImageTVAus),
                                    static_cast<QWidget*>(rig.lane(1))})
        EXPECT_GT(label->y(), designed->geometry().bottom()) << designed->objectName().toStdString();
    EXPECT_EQ(label->parentWidget(), panel);
}

// A club slalom day through the main window: the entry list imported,
// one training and two scored runs per driver timed with the keys and the
// barriers, cones and one n.g. entered, the class lists written; the
// result as worked out by hand.
TEST(EventDay, AWholeEventTimedAtTheDeskGivesTheHandComputedResult)
{
    EventDayRig rig(WithBarrier());
    ASSERT_TRUE(rig.form->ComPort()->Connected());
    ASSERT_TRUE(rig.book().IsOpen());
    ASSERT_TRUE(rig.Import(EntryCsv));

    struct Day { int number; std::uint32_t training, run1, run2; };
    const Day day[] = {
        {1, 62000, 61230, 60450},
        {2, 63000, 60000, 61000},
        {3, 64000, 59000, 58000},
        {7, 75000, 70000, 71500},
        {8, 76000, 72000, 73000},
    };
    for (const Day& d : day)
        rig.KeyRun(d.number, d.training);
    for (const Day& d : day)
        ASSERT_TRUE(rig.BarrierRun(d.number, d.run1)) << d.number;
    for (const Day& d : day)
        rig.KeyRun(d.number, d.run2);
    ASSERT_EQ(rig.book().Runs().size(), 15u);
    EXPECT_EQ(rig.ScoredRun(2, 1).runTimeMs, 60000);
    EXPECT_EQ(rig.RowOf("2").section('|', 3, 3), "1.00,00") << "the protocol has the barrier run too";

    ASSERT_TRUE(rig.book().SetPenalty(rig.ScoredRun(1, 2).id, 1, 0, RunStatus::Valid, QString()));
    ASSERT_TRUE(rig.book().SetPenalty(rig.ScoredRun(7, 1).id, 2, 0, RunStatus::Valid, QString()));
    ASSERT_TRUE(rig.book().SetPenalty(rig.ScoredRun(3, 2).id, 0, 0, RunStatus::Invalid, QStringLiteral("Ziel verfehlt")));
    ASSERT_TRUE(rig.book().WaitWritten());

    const std::vector<Entry> entries(rig.book().Entries().begin(), rig.book().Entries().end());
    const ScoringResult result = ScoreEvent(rig.book().Rules(), entries, rig.book().Runs());
    ASSERT_EQ(result.classes.size(), 2u);
    // Nr. 1: 1.01,23 + (1.00,45 + 1 cone, 3 s) = 2.04,68; Nr. 2: 1.00,00 + 1.01,00 = 2.01,00;
    // Nr. 3: run 2 n.g.; Nr. 7: (1.10,00 + 2 cones) + 1.11,50 = 2.27,50; Nr. 8: 1.12,00 + 1.13,00 = 2.25,00.
    EXPECT_EQ(Table(result, result.classes[0]),
              QStringList({"1|2|2.01,00||", "2|1|2.04,68|+3,68|+3,68", "-|3|Lauf 2 n.g.: Ziel verfehlt"}));
    EXPECT_EQ(Table(result, result.classes[1]), QStringList({"1|8|2.25,00||", "2|7|2.27,50|+2,50|+2,50"}));
    EXPECT_EQ(Table(result, result.overall),
              QStringList({"1|2|2.01,00||", "2|1|2.04,68|+3,68|+3,68", "3|8|2.25,00|+24,00|+20,32",
                           "4|7|2.27,50|+26,50|+2,50", "-|3|Lauf 2 n.g.: Ziel verfehlt"}));
    ASSERT_EQ(result.fastest.size(), 1u);
    EXPECT_EQ(result.drivers[std::size_t(result.fastest[0].driver)].entry.number, 3);
    EXPECT_EQ(ResultTimeText(result.fastest[0].scoredMs, false), QStringLiteral("59,00"));

    const ResultLists lists(result, Posting{true, rig.clock.LocalNow()});
    const QString pdf = rig.dir.filePath(QStringLiteral("klassen.pdf"));
    const QString html = rig.dir.filePath(QStringLiteral("klassen.html"));
    QString error;
    ASSERT_TRUE(lists.WritePdf(pdf, {ResultList::Classes}, &error)) << error.toStdString();
    ASSERT_TRUE(lists.WriteHtml(html, {ResultList::Classes}, &error)) << error.toStdString();
    EXPECT_TRUE(FileBytes(pdf).startsWith("%PDF"));
    const QString page = QString::fromUtf8(FileBytes(html));
    for (const char* text : {"Klasse A", "Klasse B", "Brandt", "2.04,68", "+3,68", "ohne Wertung", "Ziel verfehlt"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(text))) << text;
}
