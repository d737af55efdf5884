#include "MainWindowRig.h"

#include "IniSettingsStore.h"
#include "MainWindowGeometry.h"
#include "ProtocolFile.h"
#include "TComPort.h"
#include "TFDlgYesNo.h"
#include "TDigit.h"
#include "TFormMonitor2.h"

#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using V = FakeSettingsStore::Value;

FakeSettingsStore StoreWith(const std::vector<std::pair<const char*, V>>& values)
{
    FakeSettingsStore store;
    for (const auto& [key, value] : values)
        store.Set(QLatin1String(key), value);
    return store;
}

// The fields the reading may have changed, in reading order.
QString Fields(const TAppSettings& s)
{
    return QStringLiteral("%1 %2 %3x%4 snd%5 port%6 alg%7 wait%8 f%9 len%10 mon%11 '%12' r%13 m%14")
        .arg(s.Left ? QString::number(*s.Left) : QStringLiteral("-"))
        .arg(s.Top ? QString::number(*s.Top) : QStringLiteral("-"))
        .arg(s.Width).arg(s.Height).arg(int(s.Sound)).arg(int(s.Port)).arg(s.Alg).arg(s.WaitStart)
        .arg(s.FilterInd).arg(s.Length).arg(s.Monitor).arg(s.Title).arg(int(s.Runden)).arg(int(s.ManyStart));
}

const std::vector<std::pair<const char*, V>> kAll = {
    {"Left", 10}, {"Top", 20}, {"Width", 900}, {"Height", 600}, {"Sound", 0}, {"Port", 3}, {"Alg", 1},
    {"WaitStart", 2500}, {"FilterInd", 3}, {"Length", 1500}, {"Monitor", 1}, {"Title", QStringLiteral("Bergpreis")},
    {"Runden", 1}, {"ManyStart", 7},
};

std::vector<std::pair<const char*, V>> AllBut(const char* key, std::optional<V> replacement = std::nullopt)
{
    std::vector<std::pair<const char*, V>> values;
    for (const auto& value : kAll) {
        if (QLatin1String(value.first) != QLatin1String(key))
            values.push_back(value);
        else if (replacement)
            values.emplace_back(key, *replacement);
    }
    return values;
}

// Answers the yes/no dialog once it is open and has the focus (or gives
// up waiting for the focus after a while and answers all the same).
void AnswerWhenAsked(TFDlgYesNo* dialog, const std::function<void(TFDlgYesNo&)>& answer)
{
    auto* poll = new QTimer(dialog);
    const QDeadlineTimer deadline(5000);
    QObject::connect(poll, &QTimer::timeout, dialog, [dialog, answer, poll, deadline] {
        if (!dialog->isVisible() || (!QApplication::focusWidget() && !deadline.hasExpired()))
            return;
        poll->deleteLater();
        poll->stop();
        answer(*dialog);
    });
    poll->start(0);
}

} // namespace

TEST(LoadSettings, TheFirstMissingOrMistypedValueEndsTheReading)
{
    const struct
    {
        const char* name;
        std::vector<std::pair<const char*, V>> stored;
        const char* expected;
    } cases[] = {
        {"nothing stored", {}, "- - 754x488 snd1 port0 alg0 wait0 f1 len1000 mon0 '* * *' r0 m0"},
        {"everything", kAll, "10 20 900x600 snd0 port3 alg1 wait2500 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"Sound missing", AllBut("Sound"), "10 20 900x600 snd1 port0 alg0 wait0 f1 len1000 mon0 '* * *' r0 m0"},
        {"Width a text", AllBut("Width", V(QStringLiteral("900"))),
         "10 20 754x488 snd1 port0 alg0 wait0 f1 len1000 mon0 '* * *' r0 m0"},
        {"Title a number", AllBut("Title", V(5)), "10 20 900x600 snd0 port3 alg1 wait2500 f3 len1500 mon1 '* * *' r0 m0"},
        {"Port 260", AllBut("Port", V(260)), "10 20 900x600 snd0 port4 alg1 wait2500 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"Left missing", AllBut("Left"), "- - 754x488 snd1 port0 alg0 wait0 f1 len1000 mon0 '* * *' r0 m0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(LoadSettings(StoreWith(c.stored), TAppSettings())), QLatin1String(c.expected)) << c.name;
}

TEST(LoadSettings, ValuesOutOfRangeAreKeptWithinWhatTheDialogAllowsAndTheReadingGoesOn)
{
    const struct
    {
        const char* key;
        V stored;
        const char* expected;
    } cases[] = {
        {"Width", 100, "10 20 754x600 snd0 port3 alg1 wait2500 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"Height", -7, "10 20 900x488 snd0 port3 alg1 wait2500 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"Alg", 9, "10 20 900x600 snd0 port3 alg1 wait2500 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"Alg", -1, "10 20 900x600 snd0 port3 alg0 wait2500 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"WaitStart", 2147483647, "10 20 900x600 snd0 port3 alg1 wait600000 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"WaitStart", -100, "10 20 900x600 snd0 port3 alg1 wait0 f3 len1500 mon1 'Bergpreis' r1 m1"},
        {"FilterInd", 4, "10 20 900x600 snd0 port3 alg1 wait2500 f1 len1500 mon1 'Bergpreis' r1 m1"},
        {"FilterInd", 0, "10 20 900x600 snd0 port3 alg1 wait2500 f1 len1500 mon1 'Bergpreis' r1 m1"},
        {"Length", -5, "10 20 900x600 snd0 port3 alg1 wait2500 f3 len1000 mon1 'Bergpreis' r1 m1"},
        {"Length", 0, "10 20 900x600 snd0 port3 alg1 wait2500 f3 len1000 mon1 'Bergpreis' r1 m1"},
        {"Length", 5, "10 20 900x600 snd0 port3 alg1 wait2500 f3 len100 mon1 'Bergpreis' r1 m1"},
        {"Length", 2000000000, "10 20 900x600 snd0 port3 alg1 wait2500 f3 len999000 mon1 'Bergpreis' r1 m1"},
        {"Monitor", -3, "10 20 900x600 snd0 port3 alg1 wait2500 f3 len1500 mon0 'Bergpreis' r1 m1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fields(LoadSettings(StoreWith(AllBut(c.key, c.stored)), TAppSettings())), QLatin1String(c.expected))
            << c.key << "=" << std::get<int>(c.stored);
    }
}

TEST(MainWindowGeometry, TheWindowStaysOnTheScreenItLandsOnAndNeverBelowItsMinimum)
{
    const QList<QRect> screens = {{0, 0, 1280, 800}, {1280, 0, 1024, 768}};
    const QSize minimum(754, 488);
    const std::optional<QPoint> none;
    const struct
    {
        const char* name;
        std::optional<QPoint> corner;
        QSize stored;
        QSize size;
        std::optional<QPoint> placed;
    } cases[] = {
        {"fits", QPoint(30, 40), {900, 600}, {900, 600}, QPoint(30, 40)},
        {"huge", QPoint(30, 40), {100000, 100000}, {1280, 800}, QPoint(0, 0)},
        {"huge, placed by the system", none, {100000, 100000}, {1280, 800}, none},
        {"on the second screen", QPoint(1300, 10), {100000, 700}, {1024, 700}, QPoint(1280, 10)},
        {"hanging off the right", QPoint(1200, 500), {900, 600}, {900, 600}, QPoint(380, 200)},
        {"corner on no screen", QPoint(5000, 10), {900, 600}, {900, 600}, none},
        {"too small", QPoint(0, 0), {300, -5}, {754, 488}, QPoint(0, 0)},
    };
    for (const auto& c : cases) {
        const MainWindowGeometry g = FitMainWindow(c.corner, c.stored, minimum, screens);
        EXPECT_EQ(g.size, c.size) << c.name;
        EXPECT_EQ(g.corner, c.placed) << c.name;
    }
    const MainWindowGeometry small = FitMainWindow(QPoint(0, 0), {100000, 100000}, minimum, {{0, 0, 640, 480}});
    EXPECT_EQ(small.size, minimum) << "a screen below the minimum still gets the minimum";
    EXPECT_EQ(small.corner, QPoint(0, 0));
}

TEST(LoadSettings, AMistypedValueInTheSettingsFileEndsTheReading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ravolt.conf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nLeft=5\nTop=6\nWidth=800\nHeight=500\nSound=ja\nPort=2\n");
    file.close();
    EXPECT_EQ(Fields(LoadSettings(IniSettingsStore(path), TAppSettings())),
              "5 6 800x500 snd1 port0 alg0 wait0 f1 len1000 mon0 '* * *' r0 m0");
}

TEST(SaveSettings, WritesEveryValueInItsOrderAndType)
{
    FakeSettingsStore store;
    TAppSettings s = LoadSettings(StoreWith(kAll), TAppSettings());
    ASSERT_TRUE(SaveSettings(store, s));
    EXPECT_EQ(store.writes.join(' '),
              "Left=int:10 Top=int:20 Width=int:900 Height=int:600 Port=int:3 Alg=int:1 Sound=int:0 "
              "WaitStart=int:2500 FilterInd=int:3 Length=int:1500 Monitor=int:1 Title=str:Bergpreis "
              "Runden=int:1 ManyStart=int:1 LiveResults=int:0 LivePort=int:8080 LiveAddress=str:alle "
              "LiveQrSpectator=int:0");
    EXPECT_EQ(store.flushes, 1);
}

TEST(LoadSettings, TheLiveResultsValuesAreReadAfterTheOthersAndAPortOutOfRangeBecomes8080)
{
    auto live = kAll;
    live.insert(live.end(), {{"LiveResults", 1}, {"LivePort", 9090}, {"LiveAddress", QStringLiteral("127.0.0.1")}});
    const TAppSettings all = LoadSettings(StoreWith(live), TAppSettings());
    EXPECT_EQ(Fields(all), "10 20 900x600 snd0 port3 alg1 wait2500 f3 len1500 mon1 'Bergpreis' r1 m1");
    EXPECT_TRUE(all.LiveResults);
    EXPECT_EQ(all.LivePort, 9090);
    EXPECT_EQ(all.LiveAddress, QStringLiteral("127.0.0.1"));

    // Without ManyStart the reading ends before them: they keep their defaults.
    auto cut = AllBut("ManyStart");
    cut.insert(cut.end(), {{"LiveResults", 1}, {"LivePort", 9090}});
    const TAppSettings early = LoadSettings(StoreWith(cut), TAppSettings());
    EXPECT_FALSE(early.LiveResults);
    EXPECT_EQ(early.LivePort, 8080);

    live[live.size() - 2] = {"LivePort", 70000};
    EXPECT_EQ(LoadSettings(StoreWith(live), TAppSettings()).LivePort, 8080);
}

TEST(LoadSettings, TheSpectatorsCodeSwitchIsReadLastAndOnlyAfterTheAddress)
{
    const auto withLive = [](std::vector<std::pair<const char*, V>> tail) {
        auto values = kAll;
        values.insert(values.end(), {{"LiveResults", 1}, {"LivePort", 9090}});
        values.insert(values.end(), tail.begin(), tail.end());
        return LoadSettings(StoreWith(values), TAppSettings()).LiveQrSpectator;
    };
    const struct
    {
        const char* name;
        std::vector<std::pair<const char*, V>> tail;
        bool shown;
    } cases[] = {
        {"after the address", {{"LiveAddress", QStringLiteral("alle")}, {"LiveQrSpectator", 1}}, true},
        {"switched off", {{"LiveAddress", QStringLiteral("alle")}, {"LiveQrSpectator", 0}}, false},
        {"no address before it", {{"LiveQrSpectator", 1}}, false},
        {"not a number", {{"LiveAddress", QStringLiteral("alle")}, {"LiveQrSpectator", QStringLiteral("ja")}}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withLive(c.tail), c.shown) << c.name;
}

TEST(Startup, FirstRunShowsTheDefaultsAndAnEmptyProtocol)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    EXPECT_EQ(f.windowTitle(), "Ravolt 2.4");
    EXPECT_EQ(Fields(f.Settings()), "- - 754x488 snd1 port0 alg0 wait0 f1 len1000 mon0 '* * *' r0 m0");
    EXPECT_EQ(f.size(), QSize(754, 488));
    EXPECT_FALSE(f.Widgets().sbSave->isEnabled());
    EXPECT_FALSE(f.Widgets().sbCLS->isEnabled());
    EXPECT_TRUE(f.Widgets().sbLoad->isEnabled());
    EXPECT_FALSE(f.ComPort()->Connected());
    EXPECT_EQ(f.FormMonitor2()->Title(), "* * *");
    EXPECT_EQ(f.FDlgYesNo()->windowTitle(), "Ravolt");
}

TEST(Startup, StoredGeometryIsRestoredThePositionOnlyOnAnExistingScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const struct
    {
        int left, top, width, height;
        QPoint pos;
        QSize size;
    } cases[] = {
        {screen.left() + 30, screen.top() + 40, 760, 500, screen.topLeft() + QPoint(30, 40), {760, 500}},
        {screen.right() + 500, screen.top(), 760, 500, {-1, -1}, {760, 500}},
        {screen.left(), screen.top(), 300, 200, screen.topLeft(), {754, 488}},
        {screen.left() + 30, screen.top() + 40, 100000, 100000, screen.topLeft(), screen.size()},
    };
    for (const auto& c : cases) {
        MainWindowRig rig({}, false);
        rig.store = StoreWith({{"Left", c.left}, {"Top", c.top}, {"Width", c.width}, {"Height", c.height}});
        rig.Create();
        if (c.pos != QPoint(-1, -1))
            EXPECT_EQ(rig.form->pos(), c.pos) << c.left;
        else
            EXPECT_FALSE(rig.form->testAttribute(Qt::WA_Moved)) << "the window system places it";
        EXPECT_EQ(rig.form->size(), c.size) << c.left;
        rig.form.reset();
        EXPECT_TRUE(rig.store.writes.contains(QStringLiteral("Width=int:%1").arg(c.size.width()))) << c.width;
    }
}

TEST(Startup, SettingsOutOfRangeReachTheProgramAndTheNextStartWithinRange)
{
    MainWindowRig rig({}, false);
    rig.store = StoreWith(AllBut("Length", V(-5)));
    rig.store.Set(QStringLiteral("WaitStart"), 2147483647);
    rig.Create();
    EXPECT_EQ(rig.form->Barrier()->WaitStart(), 600000);
    EXPECT_EQ(rig.form->Protocol()->Length(), 1000);
    rig.form.reset();
    EXPECT_TRUE(rig.store.writes.contains("WaitStart=int:600000"));
    EXPECT_TRUE(rig.store.writes.contains("Length=int:1000"));
}

TEST(Startup, AMonitorBeyondTheScreensBecomesTheFirstAndIsStoredSo)
{
    ASSERT_EQ(QGuiApplication::screens().size(), 1);
    MainWindowRig rig({}, false);
    rig.store = StoreWith(AllBut("Runden"));
    rig.Create();
    EXPECT_EQ(rig.form->Settings().Monitor, 0);
    EXPECT_EQ(rig.form->FormMonitor2()->Monitor(), 0);
    EXPECT_EQ(rig.form->Settings().Port, 3);
    rig.form.reset();
    EXPECT_TRUE(rig.store.writes.contains("Monitor=int:0"));
    EXPECT_TRUE(rig.store.writes.contains("Port=int:3"));
}

TEST(Startup, ARestoredProtocolStartsWithoutTheAccidentCommandAndShowsTheBestTime)
{
    TAppSettings runden;
    runden.Runden = true;
    MainWindowRig rig(runden, false);
    // Left unranked (a run restarted in mid-table, then the program ended):
    // the ranking at start-up moves the rows.
    ASSERT_TRUE(SaveProtocolText(rig.Seams().paths->BackupFileName,
                                 {{"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"},
                                  {"1", "9:05.03,07", "9:05.10,07", "7,00", "514,3", "1"},
                                  {"2", "9:06.00,00", "9:06.05,12", "5,12", "703,1", "2"}}));
    rig.Create();
    TFormMain& f = *rig.form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QCoreApplication::processEvents();
    const QString restored = rig.RowOf("2");
    ASSERT_EQ(restored, "2|9:06.00,00|9:06.05,12|5,12|703,1|1");

    EXPECT_FALSE(f.Widgets().mAvaria->isEnabled());
    EXPECT_FALSE(f.Widgets().bAVARIA->isEnabled());
    EXPECT_NE(f.Widgets().bAVARIA->Color(), clYellow);
    QTest::keyClick(&f, Qt::Key_F11);
    EXPECT_EQ(rig.RowOf("2"), restored) << "a stray F11 voids nothing";

    QString best;
    for (const TDigit* digit : f.Widgets().FrameT2->Digits.digits)
        best += QString::number(digit->Value());
    EXPECT_EQ(best, "000512") << "lane 2 shows the restored best time";
}

TEST(Startup, OnlyTheSoundFilesPresentArePlayed)
{
    MainWindowRig rig({}, false);
    QFile stop(rig.dir.filePath(QStringLiteral("stopp.wav")));
    ASSERT_TRUE(stop.open(QIODevice::WriteOnly));
    stop.close();
    rig.form = CreateProgramWindows(rig.settings, rig.Seams());
    EXPECT_TRUE(rig.form->Paths().StartSoundPath.isEmpty());
    rig.Start();
    EXPECT_TRUE(rig.sound.played.isEmpty());
    rig.Stop();
    EXPECT_EQ(rig.sound.played, QStringList{stop.fileName()});
}

TEST(Closing, AskedOnlyWhileALaneRunsAndOnlyJaCloses)
{
    const struct
    {
        const char* name;
        bool running;
        std::function<void(TFDlgYesNo&)> answer;
        bool closes;
    } cases[] = {
        {"idle", false, nullptr, true},
        {"Nein", true, [](TFDlgYesNo& d) { QTest::mouseClick(d.CancelBtn, Qt::LeftButton); }, false},
        {"Escape", true, [](TFDlgYesNo& d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        {"close box", true, [](TFDlgYesNo& d) { d.close(); }, false},
        {"Enter", true,
         [](TFDlgYesNo& d) {
             QWidget* focus = QApplication::focusWidget();
             if (!focus) {
                 ADD_FAILURE() << "nothing has the focus";
                 d.reject();
                 return;
             }
             QTest::keyClick(focus, Qt::Key_Return);
         },
         true},
    };
    for (const auto& c : cases) {
        MainWindowRig rig;
        rig.form->show();
        if (c.running)
            rig.Start();
        bool asked = false;
        AnswerWhenAsked(rig.form->FDlgYesNo(), [&](TFDlgYesNo& d) {
            asked = true;
            EXPECT_EQ(d.Label1->text(), "Beenden?");
            c.answer(d);
        });
        EXPECT_EQ(rig.form->close(), c.closes) << c.name;
        EXPECT_EQ(asked, c.running) << c.name;
        EXPECT_EQ(rig.form->Widgets().FrameT1->Running(), c.running) << c.name << ": timing goes on";
    }
}

// The book's questions name a file and its place: they need a box sized to
// the text, not the small fixed dialog of the protocol's questions.
TEST(Startup, ADamagedEventBookIsAskedAboutInABoxThatShowsTheWholeQuestion)
{
    MainWindowRig rig({}, false);
    const QDir folder(rig.dir.filePath(QStringLiteral("Veranstaltungen")));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    QFile book(folder.filePath(QStringLiteral("2026-06-13-Slalom.ravolt")));
    ASSERT_TRUE(book.open(QIODevice::WriteOnly));
    book.write(QByteArray(4096, 'x'));
    book.close();
    QFile last(folder.filePath(QStringLiteral("zuletzt.txt")));
    ASSERT_TRUE(last.open(QIODevice::WriteOnly));
    last.write("2026-06-13-Slalom.ravolt\n");
    last.close();

    QString asked;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = box->text();
            box->button(QMessageBox::No)->click();
        } else if (auto* small = qobject_cast<TFDlgYesNo*>(QApplication::activeModalWidget())) {
            asked = QStringLiteral("the fixed-size yes/no dialog");
            QTest::mouseClick(small->CancelBtn, Qt::LeftButton);
        }
    });
    poll.start(0);
    rig.Create();
    poll.stop();

    EXPECT_TRUE(asked.contains(QStringLiteral("beiseitegelegt"))) << asked.toStdString();
    EXPECT_TRUE(asked.endsWith(QStringLiteral("Eine neue Veranstaltung anlegen?"))) << asked.toStdString();
    EXPECT_TRUE(folder.entryList({QStringLiteral("*.ravolt")}).isEmpty()) << "no new book without the operator's word";
}

TEST(FDlgYesNo, StaysOnTopCentredOverTheMainWindow)
{
    MainWindowRig rig;
    rig.form->move(100, 80);
    rig.form->show();
    TFDlgYesNo& dialog = *rig.form->FDlgYesNo();
    QRect shown;
    AnswerWhenAsked(&dialog, [&](TFDlgYesNo& d) {
        shown = d.frameGeometry();
        EXPECT_EQ(QApplication::focusWidget(), d.OKBtn);
        d.reject();
    });
    EXPECT_FALSE(dialog.Ask(QStringLiteral("Zeitenprotokoll  löschen?")));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_LE((shown.center() - rig.form->frameGeometry().center()).manhattanLength(), 10) << "within the window frame";
    EXPECT_EQ(dialog.Label1->text(), "Zeitenprotokoll  löschen?") << "the question stays until the next";
}

TEST(StartupPaths, BesideTheProgramAndTheBackupPerUserWhereTheFolderCannotBeWritten)
{
    QTemporaryDir dir;
    QFile start(dir.filePath(QStringLiteral("start.wav")));
    ASSERT_TRUE(start.open(QIODevice::WriteOnly));
    start.close();
    const QString data = dir.filePath(QStringLiteral("data"));
    const StartupPaths p = StartupPaths::ForProgram(dir.filePath(QStringLiteral("ravolt.bin")), "Ravolt", data);
    const QString beside = dir.path() + QLatin1Char('/');
    EXPECT_EQ(p.ProgramDir, beside);
    EXPECT_EQ(p.BaseName, "ravolt");
    EXPECT_EQ(p.StartSoundPath, beside + "start.wav");
    EXPECT_EQ(p.StopSoundPath, "") << "stopp.wav is missing";
    EXPECT_EQ(p.HelpFilePath, beside + "ravolt-hilfe.html");
    EXPECT_EQ(p.WordTemplatePath, beside + "Protokollvorlage.doc");
    EXPECT_EQ(p.BackupFileName, beside + "Ravolt-Sicherungsdatei.txt");

    const StartupPaths gone = StartupPaths::ForProgram(dir.filePath(QStringLiteral("gone/ravolt")), "Ravolt", data);
    EXPECT_EQ(gone.BackupFileName, data + "/Ravolt-Sicherungsdatei.txt");
    EXPECT_TRUE(QFileInfo(data).isDir());
}

TEST(StartupPaths, AnInstalledProgramFindsItsFilesInTheShareFolderBesideWins)
{
    struct Case
    {
        const char* name;
        bool beside;
        bool shared;
        const char* expected; // folder of the found path, relative to the prefix
    };
    const Case cases[] = {
        {"beside only", true, false, "bin/"},
        {"share only", false, true, "share/ravolt/"},
        {"both: beside wins", true, true, "bin/"},
        {"neither: named beside", false, false, "bin/"},
    };
    for (const Case& c : cases) {
        QTemporaryDir prefix;
        const QString root = prefix.path() + QLatin1Char('/');
        QDir().mkpath(root + "bin");
        QDir().mkpath(root + "share/ravolt");
        for (const char* name : {"start.wav", "stopp.wav", "Protokollvorlage.doc", "ravolt-hilfe.html"}) {
            for (const auto& [present, folder] : {std::pair{c.beside, "bin/"}, std::pair{c.shared, "share/ravolt/"}}) {
                QFile file(root + folder + name);
                if (present) {
                    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                }
            }
        }
        const StartupPaths p = StartupPaths::ForProgram(root + "bin/ravolt", "Ravolt", root + "data");
        const QString folder = root + c.expected;
        EXPECT_EQ(p.WordTemplatePath, folder + "Protokollvorlage.doc") << c.name;
        EXPECT_EQ(p.HelpFilePath, folder + "ravolt-hilfe.html") << c.name;
        const QString sound = c.beside || c.shared ? folder + "stopp.wav" : QString();
        EXPECT_EQ(p.StopSoundPath, sound) << c.name;
    }
}
