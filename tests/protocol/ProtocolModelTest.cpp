#include "ProtocolModel.h"
#include "TimeText.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <random>

// The protocol's rules on the model alone, without any widget.

namespace {

ProtocolRow Row(const QString& nr, const QString& zeit, const QString& platz = {})
{
    return {nr, QStringLiteral("10:00.00,00"), zeit.isEmpty() ? QString() : QStringLiteral("10:01.00,00"), zeit,
            QString(), platz};
}

QString Column(const ProtocolModel& model, int col)
{
    QStringList texts;
    for (int row = 1; row < model.RowCount(); ++row)
        texts << model.Cell(col, row);
    return texts.join(QLatin1Char('|'));
}

} // namespace

TEST(ProtocolModel, RankingOrdersTiesVoidedAndEmptyRows)
{
    struct Case
    {
        const char* name;
        ProtocolRows rows;
        const char* numbers;
        const char* places;
        std::int32_t best;
    };
    const Case cases[] = {
        {"times by length then text", {Row("1", "1.00,00"), Row("2", "59,99"), Row("3", "5,00")}, "3|2|1", "1|2|3", 5000},
        {"ties share the first place", {Row("1", "6,00"), Row("2", "5,00"), Row("3", "5,00"), Row("4", "7,00")},
         "2|3|1|4", "1|1|3|4", 5000},
        {"voided after times, empty last", {Row("1", ""), Row("2", "-"), Row("3", "9,00")}, "3|2|1", "1||", 9000},
        {"blank loaded rows after empty ones", {Row("1", " "), Row("2", ""), Row("3", "-")}, "3|2|1", "||", 0},
        {"a voided row keeps its old place text", {Row("1", "-", "4"), Row("2", "3,00")}, "2|1", "1|4", 3000},
    };
    for (const Case& c : cases) {
        ProtocolModel model;
        model.ReplaceRows(c.rows);
        EXPECT_EQ(model.RankProtocol(QStringLiteral("1"), true), c.best) << c.name;
        EXPECT_EQ(model.RankProtocol(QStringLiteral("1"), false), 0) << c.name << ": best time only in Runden mode";
        EXPECT_EQ(model.BestTime(), c.best) << c.name;
        EXPECT_EQ(Column(model, ProtocolModel::ColNr), QLatin1String(c.numbers)) << c.name;
        EXPECT_EQ(Column(model, ProtocolModel::ColPlatz), QLatin1String(c.places)) << c.name;
        EXPECT_EQ(model.Cell(ProtocolModel::ColNr, model.SelectedRow()), "1") << c.name << ": selects the number";
    }
}

// The ranking merges the runs already in order; it must give exactly the
// order a full stable merge sort by the time order gives, for any mix.
TEST(ProtocolModel, RankingEqualsAFullStableSortOfTheTimeOrder)
{
    std::mt19937 random(5);
    const QStringList texts = {"5,00", "5,00", "59,99", "1.00,00", "-", "", " ", "  ", "x", "12345678901234567x"};
    for (int round = 0; round < 200; ++round) {
        ProtocolRows rows;
        const int count = 1 + int(random() % 40);
        for (int i = 0; i < count; ++i)
            rows.push_back(Row(QString::number(i + 1), texts[int(random() % texts.size())]));
        // Mostly ordered, as after a stop: a sorted protocol with one row moved.
        if (round % 2 == 0)
            std::stable_sort(rows.begin(), rows.end(), [](const ProtocolRow& a, const ProtocolRow& b) {
                return CompareTimeText(a[3], b[3]) < 0;
            });
        ProtocolRows expected = rows;
        std::stable_sort(expected.begin(), expected.end(), [](const ProtocolRow& a, const ProtocolRow& b) {
            return CompareTimeText(a[3], b[3]) < 0;
        });
        ProtocolModel model;
        model.ReplaceRows(rows);
        model.RankProtocol(QString(), false);
        ASSERT_EQ(int(model.Rows().size()), count + 1);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(model.Rows()[std::size_t(i) + 1][0], expected[std::size_t(i)][0]) << "round " << round;
    }
}

// A ranking after a few runs places only the changed rows: rows, places,
// selection and best time must be what a ranking of the same rows from
// scratch gives, over starts, stops, voids, edits and place edits.
TEST(ProtocolModel, RankingTheChangedRowsEqualsRankingFromScratch)
{
    std::mt19937 random(11);
    const QStringList texts = {"5,00", "5,00", "59,99", "1.00,00", "-", "", " ", "x", "4,99", "5,01"};
    for (int round = 0; round < 150; ++round) {
        ProtocolModel model;
        ProtocolRows rows;
        const int count = 1 + int(random() % 30);
        for (int i = 0; i < count; ++i)
            rows.push_back(Row(QString::number(i + 1), texts[int(random() % texts.size())], "7"));
        model.ReplaceRows(rows);
        model.RankProtocol(QString(), false);
        for (int step = 0; step < 12; ++step) {
            const int changes = 1 + int(random() % (step == 5 ? 20 : 3));
            for (int c = 0; c < changes; ++c) {
                const int row = 1 + int(random() % std::uint32_t(model.RowCount() - 1));
                const QString nr = QString::number(1 + random() % 40);
                switch (random() % 5) {
                case 0:
                    model.BeginRunRow(nr, QTime(10, 0));
                    break;
                case 1:
                    model.FinishRunRow(nr, QTime(10, 1), std::int32_t(random() % 3) * 1000 + 4990);
                    break;
                case 2:
                    model.SetSelectedRow(row);
                    model.VoidSelectedRow();
                    break;
                case 3:
                    model.setData(model.index(row - 1, ProtocolModel::ColZeit), texts[int(random() % texts.size())]);
                    break;
                default:
                    model.setData(model.index(row - 1, ProtocolModel::ColPlatz), QString::number(random() % 9));
                    break;
                }
            }
            model.SetSelectedRow(1 + int(random() % std::uint32_t(model.RowCount() - 1)));
            const QString selectedNr = model.Cell(ProtocolModel::ColNr, model.SelectedRow());
            ProtocolModel scratch;
            scratch.ReplaceRows(ProtocolRows(model.Rows().begin() + 1, model.Rows().end()));
            scratch.SetSelectedRow(model.SelectedRow());
            const QString pick = random() % 2 ? QString() : selectedNr;
            const std::int32_t best = model.RankProtocol(pick, true);
            ASSERT_EQ(best, scratch.RankProtocol(pick, true)) << "round " << round << " step " << step;
            ASSERT_EQ(model.Rows(), scratch.Rows()) << "round " << round << " step " << step;
            ASSERT_EQ(model.SelectedRow(), scratch.SelectedRow()) << "round " << round << " step " << step;
            ASSERT_EQ(model.Cell(ProtocolModel::ColNr, model.SelectedRow()), pick.isEmpty() ? selectedNr : pick);
        }
    }
}

TEST(ProtocolModel, RemoveEmptyRowsKeepsRowsWithATimeInOrder)
{
    struct Case
    {
        const char* name;
        ProtocolRows rows;
        const char* kept;
        int removed;
    };
    const Case cases[] = {
        {"blank and unfinished go", {Row("1", "5,00"), Row("2", ""), Row("3", " "), Row("4", "-")}, "1|4", 2},
        {"nothing to remove", {Row("1", "5,00"), Row("2", "6,00")}, "1|2", 0},
        {"all go, one blank row stays", {Row("1", ""), Row("2", " ")}, "", 1},
        {"a single blank row is only emptied", {Row("1", "")}, "", 0},
    };
    for (const Case& c : cases) {
        ProtocolModel model;
        model.ReplaceRows(c.rows);
        QSignalSpy changed(&model, &ProtocolModel::Changed);
        EXPECT_EQ(model.RemoveEmptyRows(), c.removed) << c.name;
        EXPECT_EQ(Column(model, ProtocolModel::ColNr), QLatin1String(c.kept)) << c.name;
        EXPECT_EQ(changed.count(), 1) << c.name;
        EXPECT_GE(model.RowCount(), 2) << c.name;
    }
}

TEST(ProtocolModel, RowRulesOnTheSelectedRowAndStartNumbers)
{
    ProtocolModel model;
    model.SetLength(1000);
    model.BeginRunRow(QStringLiteral("7"), QTime(10, 0));
    model.FinishRunRow(QStringLiteral("7"), QTime(10, 1), 50000);
    model.BeginRunRow(QStringLiteral("12"), QTime(10, 2));
    EXPECT_EQ(model.HighestStartNumber(), 12);
    EXPECT_TRUE(model.HasResult(7));
    EXPECT_FALSE(model.HasResult(12)) << "a started run is no result";
    EXPECT_EQ(model.RowReplacedByStart(QStringLiteral("7")), 1);
    EXPECT_EQ(model.RowReplacedByStart(QStringLiteral("12")), -1);
    EXPECT_EQ(model.SelectedRow(), 1) << "the stop selected its row";
    EXPECT_EQ(model.Cell(ProtocolModel::ColKmh, 1), "72,0");

    EXPECT_TRUE(model.SelectedRowVoidable());
    model.VoidSelectedRow();
    EXPECT_EQ(model.Rows()[1], (ProtocolRow{"7", "-", "-", "-", "-", ""}));
    EXPECT_FALSE(model.SelectedRowVoidable());
    EXPECT_TRUE(model.HasResult(7)) << "a voided run counts as a result";

    model.SetSelectedRow(2);
    model.DeleteSelectedRow();
    EXPECT_EQ(Column(model, ProtocolModel::ColNr), "7");
    model.SetManyStart(true);
    EXPECT_EQ(model.RowReplacedByStart(QStringLiteral("7")), -1) << "ManyStart gives every start its own row";
}

// The backup takes the rows shared; every kind of change after that leaves
// the taken rows as they were.
TEST(ProtocolModel, SharedRowsStayAsTakenWhileTheProtocolChanges)
{
    ProtocolModel model;
    model.ReplaceRows({Row("1", "5,00"), Row("2", "6,00"), Row("3", "")});
    model.RankProtocol(QString(), false);
    const std::function<void()> changes[] = {
        [&] { model.BeginRunRow(QStringLiteral("4"), QTime(10, 0)); },
        [&] { model.FinishRunRow(QStringLiteral("4"), QTime(10, 1), 4000); },
        [&] { model.RankProtocol(QStringLiteral("4"), false); },
        [&] { model.setData(model.index(0, ProtocolModel::ColPlatz), QStringLiteral("9")); },
        [&] { model.insertRows(0, 1); },
        [&] { model.removeRows(0, 1); },
        [&] { model.VoidSelectedRow(); },
        [&] { model.RemoveEmptyRows(); },
        [&] { model.ReplaceRows({Row("8", "1,00")}); },
    };
    for (const auto& change : changes) {
        const std::shared_ptr<const ProtocolRows> taken = model.SharedRows();
        const ProtocolRows copy = *taken;
        change();
        EXPECT_EQ(*taken, copy);
        EXPECT_NE(model.Rows(), copy) << "the change took effect";
    }
}
