#include "DeskLogo.h"
#include "MainWindowRig.h"
#include "OperatorNotice.h"

#include <QGuiApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QRect In(const QWidget* widget, const QWidget* window)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

} // namespace

// The regions keep their places and sizes at every window size; only the
// protocol grows, and in it only "Zeit".
TEST(MainWindowLayout, RegionsKeepTheirSizesAndOnlyZeitAbsorbsTheChange)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_EQ(f.focusWidget(), f.Widgets().SortGrid1) << "the protocol has the focus at opening";
    EXPECT_EQ(f.minimumSize(), QSize(754, 488));

    const QSize screen = QGuiApplication::primaryScreen()->size();
    const struct
    {
        const char* name;
        QSize size;
    } sizes[] = {{"design", {754, 488}}, {"screen", screen}, {"large", {1920, 1080}}, {"too small", {500, 300}}};
    QList<int> others;
    for (const auto& s : sizes) {
        f.resize(s.size);
        QCoreApplication::processEvents();
        const QSize size = f.size().expandedTo(QSize(754, 488));
        ASSERT_EQ(f.size(), size) << s.name;
        const auto* panel1 = f.findChild<QWidget*>(QStringLiteral("Panel1"));
        const auto* panel4 = f.findChild<QWidget*>(QStringLiteral("Panel4"));
        EXPECT_EQ(In(panel1, &f), QRect(0, 0, size.width(), 38)) << s.name;
        int x = 0;
        for (const TLbSpeedButton* b : {f.Widgets().bHelp, f.Widgets().bCFG, f.Widgets().bInfo}) {
            EXPECT_EQ(In(b, &f).topLeft().x(), x) << s.name << " " << b->objectName().toStdString();
            EXPECT_EQ(b->size(), QSize(38, 40));
            x += 38;
        }
        EXPECT_GE(In(f.Widgets().ImageDE, &f).left(), x) << s.name;
        EXPECT_LE(In(f.Widgets().ImageDE, &f).right(), In(f.Widgets().PanelDate, &f).left()) << s.name << ": logo and date apart";
        EXPECT_EQ(In(f.Widgets().PanelDate, &f).width(), 222) << s.name;
        EXPECT_EQ(In(f.Widgets().PanelDate, &f).right(), size.width() - 1) << s.name;
        EXPECT_EQ(f.Widgets().PanelLeft->width(), 395) << s.name;
        EXPECT_EQ(panel4->height(), 42) << s.name;
        EXPECT_EQ(f.Widgets().sbSave->x(), 2) << s.name;
        EXPECT_EQ(f.Widgets().sbCLS->geometry().right(), panel4->width() - 3) << s.name << ": anchored right";
        EXPECT_EQ(f.Widgets().sbInet->x() + 72, f.Widgets().sbCLS->x()) << s.name;
        EXPECT_EQ(In(f.Widgets().SortGrid1, &f).bottom(), In(f.Widgets().PanelLeft, &f).bottom()) << s.name;

        QList<int> widths;
        int sum = 0;
        for (int c = 0; c < 6; ++c) {
            if (c != 3)
                widths << f.Widgets().SortGrid1->ColWidths(c);
            sum += f.Widgets().SortGrid1->ColWidths(c);
        }
        if (others.isEmpty())
            others = widths;
        EXPECT_EQ(widths, others) << s.name;
        EXPECT_EQ(sum + 6, f.Widgets().SortGrid1->ClientWidth()) << s.name << ": Zeit takes the rest";
    }
}

// Long notices (a folder's path, several at once) push the panel of lanes
// and run buttons down: the window grows instead of cutting it off.
TEST(MainWindowLayout, LongNoticesNeverPushTheRunButtonsOutOfTheWindow)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    f.resize(754, 488);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    for (const QWidget* part : {static_cast<QWidget*>(f.Widgets().bSTART), static_cast<QWidget*>(f.Widgets().bAVARIA)})
        EXPECT_LE(part->geometry().bottom(), f.Widgets().PanelLeft->minimumHeight()) << part->objectName().toStdString();

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(&window);
    label->setWordWrap(true);
    auto* panel = new QWidget(&window);
    panel->setMinimumHeight(440);
    layout->addWidget(label);
    layout->addWidget(panel, 1);
    window.setMinimumSize(754, 488);
    window.resize(754, 488);
    OperatorNotice notice(label, panel);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString path = QStringLiteral(" /home/zeitnahme/.local/share/Quintaro/Ravolt/Ravolt-Sicherungsdatei.txt");
    notice.Set(OperatorNotice::Backup, QStringLiteral("Sicherung fehlgeschlagen: Datenträger voll") + path + path);
    notice.Set(OperatorNotice::Journal, QStringLiteral("Journal wird nicht geschrieben: Datenträger voll") + path);
    notice.Set(OperatorNotice::BarrierPort, QStringLiteral("Lichtschranken nicht verbunden (COM5)"));
    QCoreApplication::processEvents();
    EXPECT_LT(panel->geometry().bottom(), window.height()) << "the panel ends inside the window";
    EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "every notice line shows";
}
