#include "ProtocolGrid.h"
#include "ProtocolModel.h"
#include "TSortGrid.h"
#include "QtPrinters.h"
#include "TimeText.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace {

// The protocol model shown by a real grid, with the calls the run control makes.
class ProtocolGridTest : public ::testing::Test
{
protected:
    ProtocolGridTest()
        : table(*new ProtocolModel(&grid))
    {
        view = new ProtocolGrid(grid, table);
        table.SetLength(1000);
        QObject::connect(&table, &ProtocolModel::ProtocolCommands, &table,
                         [this](bool hasRuns) { commands.push_back(hasRuns); });
    }

    QStringList RowTexts(int row) const
    {
        QStringList texts;
        for (int col = 0; col < grid.ColCount(); ++col)
            texts << grid.Cells(col, row);
        return texts;
    }

    QStringList Column(int col) const
    {
        QStringList texts;
        for (int row = 1; row < grid.RowCount(); ++row)
            texts << grid.Cells(col, row);
        return texts;
    }

    void SetRow(int row, const QStringList& texts)
    {
        if (grid.RowCount() <= row)
            grid.SetRowCount(row + 1);
        for (int col = 0; col < texts.size(); ++col)
            grid.SetCells(col, row, texts[col]);
    }

    // A finished run as the lanes write it.
    void Run(const QString& nr, std::int32_t ms)
    {
        table.BeginRunRow(nr, QTime(10, 0));
        table.FinishRunRow(nr, QTime(10, 1), ms);
    }

    TSortGrid grid;
    ProtocolModel& table;
    ProtocolGrid* view = nullptr;
    std::vector<bool> commands;
};

const QString kStart = QStringLiteral("10:00.00,00");
const QString kStop = QStringLiteral("10:01.00,00");

} // namespace

TEST_F(ProtocolGridTest, setsUpAnEmptyProtocolOfSixColumns)
{
    EXPECT_EQ(grid.ColCount(), 6);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(RowTexts(0), (QStringList{"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"}));
    EXPECT_EQ(RowTexts(1), QStringList(6));
    EXPECT_EQ(grid.DefaultRowHeight(), 19);
    EXPECT_TRUE(grid.SortOptions().CanSort);
    EXPECT_EQ(grid.SortOptions().SortCol, 3);
    EXPECT_FALSE(table.HasRuns());
    table.UpdateProtocolCommands();
    EXPECT_EQ(commands, std::vector<bool>{false});
}

TEST_F(ProtocolGridTest, firstStartUsesTheBlankRowAndEnablesTheCommands)
{
    table.BeginRunRow(QStringLiteral("1"), QTime(9, 5, 3, 70));
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(RowTexts(1), (QStringList{"1", "9:05.03,07", "", "", "", ""}));
    EXPECT_EQ(commands, std::vector<bool>{true});

    table.BeginRunRow(QStringLiteral("2"), QTime(9, 5, 10));
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(RowTexts(2), (QStringList{"2", "9:05.10,00", "", "", "", ""}));
}

TEST_F(ProtocolGridTest, finishWritesStopTimeAndSpeedAndSelectsTheRow)
{
    table.BeginRunRow(QStringLiteral("1"), QTime(10, 0));
    table.BeginRunRow(QStringLiteral("2"), QTime(10, 0, 20));
    table.FinishRunRow(QStringLiteral("1"), QTime(14, 30, 0, 999), 45120);
    EXPECT_EQ(RowTexts(1), (QStringList{"1", kStart, "14:30.00,99", "45,12", "79,8", ""}));
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(RowTexts(2), (QStringList{"2", "10:00.20,00", "", "", "", ""}));
}

TEST_F(ProtocolGridTest, speedHasNoThousandsSeparator)
{
    table.SetLength(100000);
    Run(QStringLiteral("1"), 45120);
    EXPECT_EQ(grid.Cells(4, 1), QStringLiteral("7978,7"));
}

TEST_F(ProtocolGridTest, zeroRunTimeLeavesSpeedEmpty)
{
    Run(QStringLiteral("1"), 0);
    EXPECT_EQ(RowTexts(1), (QStringList{"1", kStart, kStop, "0,00", "", ""}));
    table.RankProtocol(QStringLiteral("1"), false);
    EXPECT_EQ(grid.Cells(5, 1), QStringLiteral("1"));
}

TEST_F(ProtocolGridTest, negativeRunTimeIsWrittenAsNoResultAndNotRanked)
{
    Run(QStringLiteral("1"), 5000);
    Run(QStringLiteral("2"), -20);
    EXPECT_EQ(RowTexts(2), (QStringList{"2", kStart, kStop, "-", "-", ""}));
    table.RankProtocol(QStringLiteral("2"), false);
    EXPECT_EQ(Column(5), (QStringList{"1", ""}));
}

TEST_F(ProtocolGridTest, restartWithoutManyStartClearsAndReusesTheRow)
{
    Run(QStringLiteral("1"), 5000);
    Run(QStringLiteral("2"), 6000);
    table.RankProtocol(QStringLiteral("2"), false);

    table.BeginRunRow(QStringLiteral("1"), QTime(11, 0));
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(RowTexts(1), (QStringList{"1", "11:00.00,00", "", "", "", ""}));
    EXPECT_EQ(grid.Row(), 1);
}

TEST_F(ProtocolGridTest, manyStartGivesEveryStartItsOwnRow)
{
    table.SetManyStart(true);
    Run(QStringLiteral("1"), 5000);
    table.BeginRunRow(QStringLiteral("1"), QTime(11, 0));
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(Column(0), (QStringList{"1", "1"}));
    EXPECT_EQ(grid.Cells(3, 1), QStringLiteral("5,00"));
    EXPECT_EQ(grid.Cells(3, 2), QString());
}

// Two cars with the same number overlap on the track; each stop completes
// the row of the run that started first and is still open.
TEST_F(ProtocolGridTest, manyStartStopsCompleteTheOpenRunsInStartOrder)
{
    table.SetManyStart(true);
    Run(QStringLiteral("7"), 9000);
    table.RankProtocol(QStringLiteral("7"), false);
    table.BeginRunRow(QStringLiteral("7"), QTime(10, 5));
    table.BeginRunRow(QStringLiteral("8"), QTime(10, 6));

    table.FinishRunRow(QStringLiteral("7"), QTime(10, 7), 4000);
    EXPECT_EQ(RowTexts(2), (QStringList{"7", "10:05.00,00", "10:07.00,00", "4,00", "900,0", ""}));
    EXPECT_EQ(grid.Cells(3, 3), QString());
    table.RankProtocol(QStringLiteral("7"), false);
    EXPECT_EQ(Column(0), (QStringList{"7", "7", "8"}));

    table.FinishRunRow(QStringLiteral("8"), QTime(10, 8), 3000);
    table.RankProtocol(QStringLiteral("8"), false);
    EXPECT_EQ(Column(0), (QStringList{"8", "7", "7"}));
    EXPECT_EQ(Column(3), (QStringList{"3,00", "4,00", "9,00"}));
    EXPECT_EQ(Column(5), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(grid.RowCount(), 4);
}

TEST_F(ProtocolGridTest, manyStartFinishesTheLastRowUnlessTheOneAboveIsThisRunsOpenRow)
{
    table.SetManyStart(true);
    table.BeginRunRow(QStringLiteral("3"), QTime(10, 0));
    table.FinishRunRow(QStringLiteral("3"), QTime(10, 1), 2500);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Cells(3, 1), QStringLiteral("2,50"));

    // An open row of another number above the last one is not this run's.
    SetRow(1, {"5", kStart, "", "", "", ""});
    table.BeginRunRow(QStringLiteral("6"), QTime(10, 2));
    table.FinishRunRow(QStringLiteral("6"), QTime(10, 3), 3000);
    EXPECT_EQ(grid.Cells(3, 1), QString());
    EXPECT_EQ(grid.Cells(3, 2), QStringLiteral("3,00"));
    EXPECT_EQ(grid.RowCount(), 3);
}

// The run's row was deleted while the car was on the track: the time must
// neither be lost nor land in another car's row.
TEST_F(ProtocolGridTest, stopWhoseRowIsGoneAppendsANewRow)
{
    for (bool manyStart : {false, true}) {
        SCOPED_TRACE(manyStart);
        grid.SetRowCount(2);
        grid.ClearRow(1);
        table.SetManyStart(manyStart);
        Run(QStringLiteral("5"), 7000);
        table.BeginRunRow(QStringLiteral("6"), QTime(10, 2));
        grid.SelectRow(2);
        table.DeleteSelectedRow();

        table.FinishRunRow(QStringLiteral("6"), QTime(10, 3), 8000);
        EXPECT_EQ(grid.RowCount(), 3);
        EXPECT_EQ(RowTexts(1), (QStringList{"5", kStart, kStop, "7,00", "514,3", ""}));
        EXPECT_EQ(RowTexts(2), (QStringList{"6", "", "10:03.00,00", "8,00", "450,0", ""}));
        EXPECT_EQ(grid.Row(), 2);
    }
}

TEST_F(ProtocolGridTest, stopAfterTheTableWasClearedUsesTheBlankRow)
{
    table.BeginRunRow(QStringLiteral("4"), QTime(10, 0));
    grid.ClearRow(1);
    table.FinishRunRow(QStringLiteral("4"), QTime(10, 1), 8000);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(RowTexts(1), (QStringList{"4", "", kStop, "8,00", "450,0", ""}));
}

TEST_F(ProtocolGridTest, rankingOrdersByRunTimeThenVoidedThenEmpty)
{
    const QStringList times = {"", "1:00.00,00", "-", "59,99", "10.00,00", "9,99", "1.00,00", "10,00"};
    for (int i = 0; i < times.size(); ++i)
        SetRow(i + 1, {QString::number(i + 1), kStart, kStop, times[i], "", ""});
    table.RankProtocol(QStringLiteral("8"), false);
    EXPECT_EQ(Column(3),
        (QStringList{"9,99", "10,00", "59,99", "1.00,00", "10.00,00", "1:00.00,00", "-", ""}));
    EXPECT_EQ(Column(5), (QStringList{"1", "2", "3", "4", "5", "6", "", ""}));
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(ProtocolGridTest, equalTimesShareThePlaceOfTheFirst)
{
    Run(QStringLiteral("1"), 6000);
    Run(QStringLiteral("2"), 5120);
    Run(QStringLiteral("3"), 5125);
    Run(QStringLiteral("4"), 5120);
    table.RankProtocol(QStringLiteral("4"), false);
    EXPECT_EQ(Column(0), (QStringList{"2", "3", "4", "1"}));
    EXPECT_EQ(Column(5), (QStringList{"1", "1", "1", "4"}));
}

// Started runs stay in start order; loaded unfinished runs (a blank "Zeit")
// come after them.
TEST_F(ProtocolGridTest, unfinishedRunsStayBelowInStartOrderLoadedOnesLast)
{
    table.BeginRunRow(QStringLiteral("9"), QTime(10, 0));
    SetRow(2, {"3", kStart, " ", " ", " ", " "});
    table.BeginRunRow(QStringLiteral("1"), QTime(10, 1));
    SetRow(4, {"2", kStart, kStop, "5,00", "720,0", ""});
    table.RankProtocol(QStringLiteral("2"), false);
    EXPECT_EQ(Column(0), (QStringList{"2", "9", "1", "3"}));
    // A loaded unfinished run (blanks only) gets no place either.
    EXPECT_EQ(Column(5), (QStringList{"1", "", "", " "}));
}

TEST_F(ProtocolGridTest, rankingDisablesHeaderSortingAndSelectsTheStartNumber)
{
    Run(QStringLiteral("1"), 6000);
    Run(QStringLiteral("2"), 5000);
    EXPECT_EQ(table.RankProtocol(QStringLiteral("1"), false), 0);
    EXPECT_FALSE(grid.SortOptions().CanSort);
    EXPECT_EQ(grid.Row(), 2);

    grid.SortByColumn(0);
    EXPECT_EQ(Column(0), (QStringList{"2", "1"}));
}

TEST_F(ProtocolGridTest, rundenReturnsTheTimeOfRowOne)
{
    Run(QStringLiteral("1"), 65120);
    EXPECT_EQ(table.RankProtocol(QStringLiteral("1"), true), 65120);
    Run(QStringLiteral("2"), 5129);
    EXPECT_EQ(table.RankProtocol(QStringLiteral("2"), true), 5120);
    EXPECT_EQ(table.BestTime(), 5120);

    grid.SelectRow(1);
    table.VoidSelectedRow();
    EXPECT_EQ(table.RankProtocol(QStringLiteral("2"), true), 65120);
    grid.SelectRow(1);
    table.VoidSelectedRow();
    EXPECT_EQ(table.RankProtocol(QStringLiteral("2"), true), 0);
}

TEST_F(ProtocolGridTest, voidingAStartedRowVoidsOnlyItsStart)
{
    table.BeginRunRow(QStringLiteral("1"), QTime(10, 0));
    grid.SelectRow(1);
    ASSERT_TRUE(table.SelectedRowVoidable());
    table.VoidSelectedRow();
    EXPECT_EQ(RowTexts(1), (QStringList{"1", "-", "", "", "", ""}));
    EXPECT_FALSE(table.SelectedRowVoidable());

    // The car still arrives: its stop completes the voided row and is ranked.
    table.FinishRunRow(QStringLiteral("1"), QTime(10, 1), 5000);
    table.RankProtocol(QStringLiteral("1"), false);
    EXPECT_EQ(RowTexts(1), (QStringList{"1", "-", kStop, "5,00", "720,0", "1"}));
}

TEST_F(ProtocolGridTest, voidingAFinishedRowMovesTheOthersUp)
{
    Run(QStringLiteral("1"), 5000);
    Run(QStringLiteral("2"), 6000);
    Run(QStringLiteral("3"), 7000);
    table.RankProtocol(QStringLiteral("3"), false);
    grid.SelectRow(1);
    table.VoidSelectedRow();
    EXPECT_EQ(RowTexts(1), (QStringList{"1", "-", "-", "-", "-", "-"}));
    table.RankProtocol(QStringLiteral("3"), false);
    EXPECT_EQ(Column(0), (QStringList{"2", "3", "1"}));
    EXPECT_EQ(Column(5), (QStringList{"1", "2", "-"}));
    grid.SelectRow(3);
    EXPECT_FALSE(table.SelectedRowVoidable());
    grid.SelectRow(1);
    EXPECT_TRUE(table.SelectedRowVoidable());
}

TEST_F(ProtocolGridTest, removingEmptyRowsKeepsTimedAndVoidedRuns)
{
    SetRow(1, {"1", kStart, kStop, "5,00", "720,0", "1"});
    SetRow(2, {"2", kStart, "", "", "", ""});
    SetRow(3, {"3", "-", "-", "-", "-", "-"});
    SetRow(4, {"4", kStart, " ", "  ", " ", " "});
    SetRow(5, {"", "", "", "", "", ""});
    table.RemoveEmptyRows();
    EXPECT_EQ(Column(0), (QStringList{"1", "3"}));

    grid.SetRowCount(2);
    SetRow(1, {"2", kStart, "", "", "", ""});
    table.RemoveEmptyRows();
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_FALSE(table.HasRuns());
}

TEST_F(ProtocolGridTest, deletingTheLastRunLeavesABlankRowAndNoRuns)
{
    Run(QStringLiteral("1"), 5000);
    grid.SelectRow(1);
    table.DeleteSelectedRow();
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(RowTexts(1), QStringList(6));
    table.UpdateProtocolCommands();
    EXPECT_EQ(commands.back(), false);
}

TEST_F(ProtocolGridTest, columnsGrowToTheirOwnTextsOnlyWithRoomZeitCanSpare)
{
    grid.resize(500, 300);
    grid.show();
    const int frame = grid.width() - grid.ClientWidth();
    const auto holding = [this](const char* text, int designed) { return std::max(designed, grid.ColumnWidthFor(text)); };
    const int nr = holding("9999", 32), clock = holding("00:00.00,00", 80), kmh = holding("999,9", 40),
              platz = holding("9999", 40);
    const int minutes = grid.ColumnWidthFor("0.00,00");
    const int designed = 272 + 6;
    const struct
    {
        const char* name;
        int client;
        std::vector<int> widths;
    } cases[] = {
        {"room for all", nr + 2 * clock + kmh + platz + 6 + 200, {nr, clock, clock, 200, kmh, platz}},
        {"room for the clock times", designed + minutes + 2 * clock - 160, {32, clock, clock, minutes, 40, 40}},
        {"room for a time of minutes only", designed + minutes, {32, 80, 80, minutes, 40, 40}},
        {"too narrow", 100, {32, 80, 80, 0, 40, 40}},
    };
    for (const auto& c : cases) {
        grid.resize(c.client + frame, 300);
        ASSERT_EQ(grid.ClientWidth(), c.client) << c.name;
        view->FitProtocolColumns();
        for (int col = 0; col < 6; ++col)
            EXPECT_EQ(grid.ColWidths(col), c.widths[std::size_t(col)]) << c.name << ", column " << col;
    }
}

TEST_F(ProtocolGridTest, headerSortsTimeColumnsByTimeAndNumbersByValue)
{
    SetRow(1, {"10", "10:00.00,00", "", "", "", ""});
    SetRow(2, {"9", "9:59.59,99", "", "", "", ""});
    SetRow(3, {"100", "-", "", "", "", ""});
    grid.SortByColumn(1);
    EXPECT_EQ(Column(0), (QStringList{"9", "10", "100"}));
    grid.SortByColumn(0);
    EXPECT_EQ(Column(0), (QStringList{"9", "10", "100"}));
    grid.SortOptions().SortDirection = sdDescending;
    grid.SortByColumn(0);
    EXPECT_EQ(Column(0), (QStringList{"100", "10", "9"}));
}

TEST_F(ProtocolGridTest, onlyTheHeaderIsLeftAligned)
{
    for (int row : {0, 1}) {
        TFormatOptions format;
        format.AlignmentHorz = Qt::AlignRight;
        bool checkBox = false, combobox = false, ellipsis = false;
        grid.OnGetCellFormat(&grid, 3, row, TGridDrawState(), format, checkBox, combobox, ellipsis);
        EXPECT_EQ(format.AlignmentHorz, row == 0 ? Qt::AlignLeft : Qt::AlignRight) << row;
        EXPECT_FALSE(checkBox || combobox || ellipsis);
    }
}

TEST(ProtocolGridLifetime, gridThatOutlivesTheModelShowsItsOwnCellsWithItsOwnDefaults)
{
    TSortGrid grid;
    auto* model = new ProtocolModel;
    delete new ProtocolGrid(grid, *model);
    delete model;
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.CellFormat(3, 0, gdFixed).AlignmentHorz, Qt::AlignRight);
    grid.SortByColumn(3);
    EXPECT_EQ(grid.SortOptions().SortStyle, ssNormal);
}

namespace {

ProtocolRow Row6(const QStringList& texts)
{
    ProtocolRow row;
    for (qsizetype col = 0; col < texts.size(); ++col)
        row[static_cast<std::size_t>(col)] = texts[col];
    return row;
}

const ProtocolRow kHeader = Row6({"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"});

} // namespace

TEST_F(ProtocolGridTest, replaceRowsAndClearLeaveTheHeaderAndAtLeastOneRow)
{
    for (int i = 1; i <= 4; ++i)
        Run(QString::number(i), 5000 + i);
    table.RankProtocol(QStringLiteral("1"), true);
    const ProtocolRows two = {Row6({"8", kStart, " ", " ", " ", " "}), Row6({"9", "-", "-", "-", "-", "-"})};

    table.ReplaceRows(two);
    EXPECT_EQ(table.Rows(), (ProtocolRows{kHeader, two[0], two[1]}));
    table.ReplaceRows({});
    EXPECT_EQ(table.Rows(), (ProtocolRows{kHeader, ProtocolRow()}));

    table.ReplaceRows(two);
    EXPECT_NE(table.BestTime(), 0);
    table.Clear();
    EXPECT_EQ(table.Rows(), (ProtocolRows{kHeader, ProtocolRow()}));
    EXPECT_EQ(table.BestTime(), 0);
}

// The backup follows Changed: every operation that changes the protocol
// reports exactly once, a load (rows + ranking) too.
TEST_F(ProtocolGridTest, everyChangeOfTheProtocolIsReportedOnce)
{
    int changes = 0;
    QObject::connect(&table, &ProtocolModel::Changed, &table, [&changes] { ++changes; });
    LoadedProtocol loaded;
    loaded.rows = {Row6({"5", kStart, kStop, "5,00", "720,0", " "})};
    loaded.opened = loaded.complete = true;
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"begin", [&] { table.BeginRunRow(QStringLiteral("1"), QTime(10, 0)); }},
        {"finish", [&] { table.FinishRunRow(QStringLiteral("1"), QTime(10, 1), 5000); }},
        {"rank", [&] { table.RankProtocol(QStringLiteral("1"), false); }},
        {"void", [&] { grid.SelectRow(1); table.VoidSelectedRow(); }},
        {"delete", [&] { grid.SelectRow(1); table.DeleteSelectedRow(); }},
        {"remove empty", [&] { table.RemoveEmptyRows(); }},
        {"replace", [&] { table.ReplaceRows(loaded.rows); }},
        {"load", [&] { table.LoadProtocolText(loaded, QString(), false); }},
        {"clear", [&] { table.Clear(); }},
    };
    for (const auto& [name, operation] : operations) {
        changes = 0;
        operation();
        EXPECT_EQ(changes, 1) << name;
    }
}

TEST_F(ProtocolGridTest, onlyAFileReadWholeIsRankedAndUpdatesTheCommands)
{
    const ProtocolRows rows = {Row6({"1", kStart, kStop, "6,00", "600,0", " "}),
        Row6({"2", kStart, " ", " ", " ", " "}), Row6({"3", kStart, kStop, "5,00", "720,0", " "})};
    struct Case {
        bool opened, complete;
        QStringList nrs, places;
    };
    const Case cases[] = {
        {true, true, {"3", "1", "2"}, {"1", "2", " "}},
        {true, false, {"1", "2", "3"}, {" ", " ", " "}},
        {false, false, {""}, {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opened + 2 * c.complete);
        commands.clear();
        LoadedProtocol loaded;
        loaded.opened = c.opened;
        loaded.complete = c.complete;
        if (c.opened)
            loaded.rows = rows;
        EXPECT_EQ(table.LoadProtocolText(loaded, QStringLiteral("3"), true), c.opened && c.complete);
        EXPECT_EQ(Column(0), c.nrs);
        EXPECT_EQ(Column(5), c.places);
        EXPECT_EQ(commands, c.complete ? std::vector<bool>{true} : std::vector<bool>{});
        if (c.complete) {
            EXPECT_EQ(table.BestTime(), 5000);
        }
    }
}

TEST_F(ProtocolGridTest, saveAndLoadGiveBackEveryRowWithBlanksAndRanked)
{
    Run(QStringLiteral("1"), 6000);
    table.BeginRunRow(QStringLiteral("2"), QTime(10, 2));
    Run(QStringLiteral("3"), 5000);
    const ProtocolRows saved = table.Rows();

    TSortGrid other;
    ProtocolModel& loadedTable = *new ProtocolModel(&other);
    loadedTable.LoadProtocolText(ParseProtocolText(ProtocolTextBytes(saved)), QString(), false);
    const ProtocolRows expected = {kHeader, Row6({"3", kStart, kStop, "5,00", "720,0", "1"}),
        Row6({"1", kStart, kStop, "6,00", "600,0", "2"}), Row6({"2", "10:02.00,00", " ", " ", " ", " "})};
    EXPECT_EQ(loadedTable.Rows(), expected);
}

// After a restart the table holds loaded unfinished runs, which rank below
// the runs started since; a stop must still complete its own open run.
TEST_F(ProtocolGridTest, manyStartStopFindsItsRunAboveLoadedUnfinishedRows)
{
    table.SetManyStart(true);
    table.ReplaceRows({Row6({"9", kStart, " ", " ", " ", " "})});
    table.BeginRunRow(QStringLiteral("1"), QTime(10, 0));
    table.BeginRunRow(QStringLiteral("2"), QTime(10, 0, 30));
    table.FinishRunRow(QStringLiteral("1"), QTime(10, 1), 5000);
    table.RankProtocol(QStringLiteral("1"), false);
    table.BeginRunRow(QStringLiteral("3"), QTime(10, 1, 30));
    ASSERT_EQ(Column(0), (QStringList{"1", "2", "9", "3"}));

    table.FinishRunRow(QStringLiteral("2"), QTime(10, 2), 6000);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Cells(3, 2), QStringLiteral("6,00"));
    EXPECT_EQ(grid.Cells(3, 4), QString());
}
