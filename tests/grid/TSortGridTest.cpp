#include "QtPrinters.h"
#include "SortGridHeader.h"
#include "TSortGrid.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A grid of two columns: a key to sort by and a tag that tells the rows apart.
struct GridRig
{
    explicit GridRig(const QList<QPair<QString, QString>>& rows)
    {
        grid.SetColCount(2);
        grid.SetCells(0, 0, "Key");
        grid.SetCells(1, 0, "Tag");
        grid.SetRowCount(int(rows.size()) + 1);
        for (int r = 0; r < rows.size(); ++r) {
            grid.SetCells(0, r + 1, rows[r].first);
            grid.SetCells(1, r + 1, rows[r].second);
        }
        QObject::connect(&grid, &TSortGrid::RowSelected, &grid, [this] { reported.append(grid.Row()); });
        grid.SetMessageHandler([this](const QString& m) { messages.append(m); });
    }
    QString Tags() const
    {
        QString tags;
        for (int r = 1; r < grid.RowCount(); ++r)
            tags += grid.Cells(1, r);
        return tags;
    }
    QString Keys() const
    {
        QStringList keys;
        for (int r = 1; r < grid.RowCount(); ++r)
            keys << grid.Cells(0, r);
        return keys.join(',');
    }

    TSortGrid grid;
    QList<int> reported;
    QStringList messages;
};

} // namespace

TEST(TSortGrid, EqualTextsKeepTheirOrderInBothDirections)
{
    GridRig rig({{"x", "a"}, {"x", "b"}, {"x", "c"}});
    rig.grid.SortByColumn(0);
    EXPECT_EQ(rig.Tags(), "abc");
    rig.grid.SortOptions().SortDirection = sdDescending;
    rig.grid.SortByColumn(0);
    EXPECT_EQ(rig.Tags(), "abc");
}

TEST(TSortGrid, DescendingReversesTheOrderButNotTheTieBreak)
{
    GridRig rig({{"b", "1"}, {"a", "2"}, {"b", "3"}, {"c", "4"}});
    rig.grid.SortOptions().SortDirection = sdDescending;
    rig.grid.SortByColumn(0);
    EXPECT_EQ(rig.Tags(), "4132");
    EXPECT_EQ(rig.grid.SortOptions().SortCol, 0);
}

TEST(TSortGrid, NumericStyleFallsBackToBytesForNonNumbers)
{
    GridRig rig({{"10", "a"}, {"9", "b"}, {"", "c"}, {"2,5", "d"}, {"-", "e"}});
    rig.grid.OnGetSortStyle = [](TSortGrid*, int, TSortStyle& style) { style = ssNumeric; };
    rig.grid.SortByColumn(0);
    // Numbers in numeric order (German decimal comma); "" and "-" compare as
    // text with the numbers, and the empty text is the smallest of all.
    EXPECT_EQ(rig.Keys().section(',', 0, 0), "");
    const QString keys = rig.Keys();
    EXPECT_LT(keys.indexOf("2,5"), keys.indexOf(",9,")) << keys;
    EXPECT_LT(keys.indexOf(",9,"), keys.indexOf("10")) << keys;

    GridRig bytes({{"10", "a"}, {"9", "b"}});
    bytes.grid.SortByColumn(0);
    EXPECT_EQ(bytes.Keys(), "10,9") << "byte order without the numeric style";

    // "1.500" is no number here (no group separators), and "nan" is none
    // either: both compare as text.
    GridRig odd({{"1.500", "a"}, {"200", "b"}, {"nan", "c"}, {"5", "d"}});
    odd.grid.OnGetSortStyle = [](TSortGrid*, int, TSortStyle& style) { style = ssNumeric; };
    odd.grid.SortByColumn(0);
    EXPECT_EQ(odd.Keys(), "1.500,5,200,nan");
}

TEST(TSortGrid, InconsistentComparisonNeverLosesOrDuplicatesRows)
{
    QList<QPair<QString, QString>> rows;
    for (int i = 0; i < 2000; ++i)
        rows.append({QString::number(i % 7), QString::number(i)});
    GridRig rig(rows);
    const QString before = rig.Tags();
    rig.grid.OnGetSortStyle = [](TSortGrid* g, int, TSortStyle& style) {
        style = ssCustom;
        g->SortOptions().SortCompare = [](const QString&, const QString&) { return -1; };
    };
    rig.grid.SortByColumn(0);
    QStringList tags;
    for (int r = 1; r < rig.grid.RowCount(); ++r)
        tags << rig.grid.Cells(1, r);
    tags.sort();
    QStringList expected;
    for (int i = 0; i < 2000; ++i)
        expected << QString::number(i);
    expected.sort();
    EXPECT_EQ(tags, expected);
}

TEST(TSortGrid, CustomComparisonIsUsedOnceThenCleared)
{
    GridRig rig({{"ccc", "a"}, {"a", "b"}, {"bb", "c"}});
    rig.grid.OnGetSortStyle = [](TSortGrid* g, int, TSortStyle& style) {
        style = ssCustom;
        g->SortOptions().SortCompare = [](const QString& a, const QString& b) { return int(a.size() - b.size()); };
    };
    rig.grid.SortByColumn(0);
    EXPECT_EQ(rig.Tags(), "bca");
    EXPECT_FALSE(rig.grid.SortOptions().SortCompare);
}

TEST(TSortGrid, CaseFoldingCoversAsciiLettersOnly)
{
    GridRig rig({{"b", "1"}, {"A", "2"}, {"a", "3"}, {"B", "4"}, {"ä", "5"}, {"Ä", "6"}});
    rig.grid.SortByColumn(0);
    EXPECT_EQ(rig.Tags(), "231465") << "A-Z folded, umlauts compared by code";
    rig.grid.SortOptions().SortCaseSensitive = true;
    rig.grid.SortByColumn(0);
    EXPECT_EQ(rig.Tags(), "243165");
}

TEST(TSortGrid, SelectedRowIsSelectedAgainAtItsNewPlace)
{
    GridRig rig({{"c", "a"}, {"b", "b"}, {"a", "c"}});
    rig.grid.JumpToCell(0, 1, true); // row "c"
    rig.reported.clear();
    rig.grid.SortByColumn(0);
    EXPECT_EQ(rig.grid.Row(), 3);
    EXPECT_EQ(rig.grid.Cells(0, rig.grid.Row()), "c");
    EXPECT_EQ(rig.reported, QList<int>{3}) << "the re-selection reports the new row";
}

TEST(TSortGrid, HeaderClicksFollowTheDirectionRules)
{
    GridRig rig({{"b", "1"}, {"a", "2"}, {"c", "3"}});
    TSortOptions& o = rig.grid.SortOptions();
    o.SortCol = 0;
    rig.grid.HeaderClick(0, Qt::LeftButton);
    EXPECT_EQ(o.SortDirection, sdDescending) << "the sort column, ascending: descending";
    EXPECT_EQ(rig.Tags(), "312");
    rig.grid.HeaderClick(0, Qt::LeftButton);
    EXPECT_EQ(o.SortDirection, sdAscending);
    EXPECT_EQ(rig.Tags(), "213");
    rig.grid.HeaderClick(1, Qt::LeftButton);
    EXPECT_EQ(o.SortDirection, sdAscending) << "another column sorts ascending";
    EXPECT_EQ(o.SortCol, 1);
    rig.grid.HeaderClick(1, Qt::RightButton);
    EXPECT_EQ(o.SortDirection, sdDescending) << "the right button always sorts descending";
    EXPECT_EQ(rig.Tags(), "321");

    o.CanSort = false;
    rig.grid.HeaderClick(0, Qt::LeftButton);
    EXPECT_EQ(o.SortDirection, sdAscending) << "the direction flips even while sorting is off";
    EXPECT_EQ(o.SortCol, 1);
    EXPECT_EQ(rig.Tags(), "321");
}

TEST(TSortGrid, HeaderClickNearAColumnEdgeBelongsToSizing)
{
    GridRig rig({{"b", "1"}, {"a", "2"}});
    rig.grid.resize(300, 200);
    rig.grid.SetColWidths(0, 100);
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    rig.grid.SortOptions().SortCol = 1; // so a click on column 0 sorts it ascending
    auto* header = rig.grid.findChild<SortGridHeader*>();
    ASSERT_NE(header, nullptr);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(97, 5));
    EXPECT_EQ(rig.Tags(), "12") << "within 5 pixels of the right edge";
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_EQ(rig.Tags(), "21");
}

TEST(TSortGrid, SortRunsWithWaitCursorAndNoInputAndPaintsOnce)
{
    GridRig rig({{"c", "1"}, {"b", "2"}, {"a", "3"}});
    rig.grid.resize(300, 200);
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    rig.grid.setFocus();
    rig.grid.JumpToCell(0, 1, true);
    rig.reported.clear();
    QCursor* cursorDuring = nullptr;
    int rowAfterKey = 0;
    rig.grid.OnGetSortStyle = [&](TSortGrid* g, int, TSortStyle&) {
        cursorDuring = QApplication::overrideCursor();
        QTest::keyClick(g, Qt::Key_Down);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(1, 0)).center());
        rowAfterKey = g->Row();
    };
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    QApplication::processEvents();
    rig.grid.viewport()->installEventFilter(&counter);
    rig.grid.SortByColumn(0);
    QApplication::processEvents();
    rig.grid.viewport()->removeEventFilter(&counter);

    ASSERT_NE(cursorDuring, nullptr);
    EXPECT_EQ(cursorDuring->shape(), Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is back";
    EXPECT_EQ(rowAfterKey, 1) << "keys and clicks are refused while sorting";
    EXPECT_EQ(rig.Tags(), "321");
    EXPECT_EQ(counter.paints, 1);
    EXPECT_TRUE(rig.grid.hasFocus()) << "the grid keeps the keyboard";
    QTest::keyClick(&rig.grid, Qt::Key_Up);
    EXPECT_EQ(rig.grid.Row(), 2) << "input works again after the sort";
}

TEST(TSortGrid, OwnersUpdateAroundASortKeepsItsState)
{
    GridRig rig({{"b", "1"}, {"a", "2"}});
    rig.grid.SortOptions().UpdateOnSizeChange = true;
    rig.grid.BeginUpdate();
    rig.grid.SortByColumn(0);
    EXPECT_TRUE(rig.grid.Updating());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    rig.grid.EndUpdate();
    EXPECT_FALSE(rig.grid.Updating());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(rig.grid.SortOptions().UpdateOnSizeChange);
    rig.grid.EndUpdate(); // unbalanced: no effect
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(TSortGrid, NewGridHasItsDataRowCurrent)
{
    TSortGrid grid;
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.Row(), 1) << "a data row is current, never the header";
}

TEST(TSortGrid, HeaderEdgesBelongToSizingAndAutoSize)
{
    GridRig rig({{"b", "a much longer text"}, {"a", "2"}});
    rig.grid.SetColCount(3);
    rig.grid.resize(400, 200);
    rig.grid.SetColWidths(0, 100);
    rig.grid.SetColWidths(1, 50);
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    rig.grid.SortOptions().SortCol = 1;
    auto* header = rig.grid.findChild<SortGridHeader*>();
    QWidget* strip = header->viewport();

    // A drag that starts on column 0's right edge and ends inside it sizes.
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(98, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 5), strip->mapToGlobal(QPointF(60, 5)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(strip, &move);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_LT(rig.grid.ColWidths(0), 100) << "the column was sized";
    EXPECT_EQ(rig.Keys(), "b,a") << "no sort";

    // A double click at the left edge of column 2 fits column 1.
    const QFontMetrics m(rig.grid.font());
    const int left = header->sectionViewportPosition(2);
    QTest::mouseDClick(strip, Qt::LeftButton, {}, QPoint(left + 1, 5));
    EXPECT_EQ(rig.grid.ColWidths(1), m.horizontalAdvance("X") + m.horizontalAdvance("a much longer text"));
}

TEST(TSortGrid, HeaderRowIsAsHighAsTheRows)
{
    TSortGrid grid;
    grid.SetDefaultRowHeight(19);
    grid.resize(300, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    EXPECT_EQ(grid.findChild<SortGridHeader*>()->height(), 19);
    EXPECT_EQ(grid.rowHeight(0), 19);
}

TEST(TSortGrid, RightClickOpensThePopupOnDataRowsOnly)
{
    GridRig rig({{"a", "1"}, {"b", "2"}});
    rig.grid.resize(300, 200);
    auto* menu = new QMenu(&rig.grid);
    menu->addAction("Zeile entfernen");
    rig.grid.SetPopupMenu(menu);
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    QSignalSpy shown(menu, &QMenu::aboutToShow);
    QWidget* strip = rig.grid.findChild<SortGridHeader*>()->viewport();
    QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(50, 5));
    EXPECT_EQ(shown.count(), 0) << "the header shows no popup";
    QTest::mouseClick(rig.grid.viewport(), Qt::RightButton, {}, QPoint(20, rig.grid.viewport()->height() - 5));
    EXPECT_EQ(shown.count(), 1) << "below the last row";
    menu->hide();

    delete menu;
    EXPECT_EQ(rig.grid.PopupMenu(), nullptr);
    QTest::mouseClick(rig.grid.viewport(), Qt::RightButton, {}, QPoint(20, 5)); // a deleted menu is not used
}

TEST(TSortGrid, LastColumnFillsTheGridOnResize)
{
    GridRig rig(QList<QPair<QString, QString>>{{"a", "1"}});
    rig.grid.SetColCount(3);
    rig.grid.SetColWidths(0, 60);
    rig.grid.SetColWidths(1, 70);
    rig.grid.resize(400, 200);
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    for (int width : {400, 250, 600}) {
        rig.grid.resize(width, 200);
        EXPECT_EQ(rig.grid.ColWidths(0) + rig.grid.ColWidths(1) + rig.grid.ColWidths(2), rig.grid.ClientWidth())
            << "at width " << width;
    }
    EXPECT_EQ(rig.grid.ColWidths(0), 60);
    rig.grid.SetColCount(4);
    EXPECT_EQ(rig.grid.ColWidths(1), 70) << "adding a column keeps the widths";
    EXPECT_EQ(rig.grid.Cells(0, 1), "a");
}

TEST(TSortGrid, RowFromLineSeparatedText)
{
    GridRig rig(QList<QPair<QString, QString>>{{"a", "1"}});
    rig.grid.SetRowText(1, "x\r\ny\n");
    EXPECT_EQ(rig.grid.Rows(1), (QStringList{"x", "y"}));
    rig.grid.SetRowText(1, "z");
    EXPECT_EQ(rig.grid.Rows(1), (QStringList{"z", ""}));
}

TEST(TSortGrid, AppendingARowSelectsRowOneAndReportsIt)
{
    GridRig rig({{"a", "1"}, {"b", "2"}});
    rig.grid.JumpToCell(0, 2, true);
    rig.reported.clear();
    rig.grid.SetRowCount(rig.grid.RowCount() + 1);
    EXPECT_EQ(rig.grid.Row(), 1);
    EXPECT_EQ(rig.reported, QList<int>{1});
}

TEST(TSortGrid, DeletingTheOnlyDataRowBlanksIt)
{
    GridRig rig(QList<QPair<QString, QString>>{{"a", "1"}});
    rig.grid.DeleteRow(1);
    EXPECT_EQ(rig.grid.RowCount(), 2);
    EXPECT_EQ(rig.grid.Rows(1), (QStringList{"", ""}));
    EXPECT_TRUE(rig.messages.isEmpty());

    GridRig two({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    two.grid.JumpToCell(0, 2, true);
    two.reported.clear();
    two.grid.DeleteRow(2);
    EXPECT_EQ(two.Tags(), "13");
    EXPECT_EQ(two.reported, QList<int>{1}) << "the deleted current row is reported once, as row 1";
    two.grid.DeleteRow(7);
    two.grid.DeleteRow(0);
    EXPECT_EQ(two.Tags(), "13") << "rows outside the data rows are left alone";
    two.grid.SetRowCount(1);
    EXPECT_EQ(two.messages, QStringList{"Rowsize too small"});
}

TEST(TSortGrid, SelectingARowDirectlyRaisesNothing)
{
    GridRig rig({{"a", "1"}, {"b", "2"}});
    rig.reported.clear();
    rig.grid.SelectRow(2);
    EXPECT_EQ(rig.grid.Row(), 2);
    EXPECT_TRUE(rig.reported.isEmpty());
}

TEST(TSortGrid, FindRowMatchesWholeTextsOfDataRows)
{
    GridRig rig({{"12", "1"}, {"1", "2"}, {"Ab", "3"}});
    EXPECT_EQ(rig.grid.FindRow(0, "1", false), 2);
    EXPECT_EQ(rig.grid.FindRow(0, "ab", false), -1);
    EXPECT_EQ(rig.grid.FindRow(0, "ab", true), 3);
    EXPECT_EQ(rig.grid.FindRow(0, "Key", false), -1) << "the header is no data row";
}

TEST(TSortGrid, TypingJumpsToTheNextMatchAndWraps)
{
    GridRig rig({{"1,5", "a"}, {"2,0", "b"}, {"1,7", "c"}, {"x", "d"}});
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    rig.grid.JumpToCell(0, 1, true);
    QTest::keyClick(&rig.grid, Qt::Key_1);
    EXPECT_EQ(rig.grid.Row(), 3);
    QTest::keyClick(&rig.grid, Qt::Key_1);
    EXPECT_EQ(rig.grid.Row(), 1) << "wraps to the top";
    QTest::keyClick(&rig.grid, Qt::Key_X);
    EXPECT_EQ(rig.grid.Row(), 4) << "letters are upper-cased";
    QTest::keyClick(&rig.grid, Qt::Key_9);
    EXPECT_EQ(rig.grid.Row(), 4) << "no match: nothing moves";
}

TEST(TSortGrid, RightClickDoesNotMoveTheSelection)
{
    GridRig rig({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    rig.grid.resize(300, 200);
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    rig.grid.JumpToCell(0, 1, true);
    const QRect third = rig.grid.visualRect(rig.grid.model()->index(2, 0));
    QTest::mouseClick(rig.grid.viewport(), Qt::RightButton, {}, third.center());
    EXPECT_EQ(rig.grid.Row(), 1);
    QTest::mouseClick(rig.grid.viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(rig.grid.Row(), 3);
}

TEST(TSortGrid, LongHeaderCaptionsAreShortenedWithDots)
{
    TSortGrid grid;
    const QFontMetrics metrics(grid.font());
    const QString caption = "Startnummer";
    EXPECT_EQ(grid.ShortenedHeader(caption, metrics.horizontalAdvance(caption), metrics), caption);
    const QString shortened = grid.ShortenedHeader(caption, metrics.horizontalAdvance("Start.."), metrics);
    EXPECT_TRUE(shortened.endsWith("..")) << shortened.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(shortened), metrics.horizontalAdvance("Start.."));
    EXPECT_EQ(grid.ShortenedHeader(caption, 1, metrics).size(), 3) << "never below three characters";
}

TEST(TSortGrid, AlignmentOffsetsInsideACell)
{
    TSortGrid grid;
    TFormatOptions format;
    const QSize cell(100, 19), text(30, 15);
    format.AlignmentHorz = Qt::AlignRight;
    format.AlignmentVert = taMiddle;
    EXPECT_EQ(grid.TextOffset(format, cell, text), QPoint(68, 2));
    format.AlignmentHorz = Qt::AlignHCenter;
    format.AlignmentVert = taBottomJustify;
    EXPECT_EQ(grid.TextOffset(format, cell, text), QPoint(35, 1));
    format.AlignmentHorz = Qt::AlignLeft;
    format.AlignmentVert = taTopJustify;
    EXPECT_EQ(grid.TextOffset(format, cell, text), QPoint(2, 2));
}

TEST(TSortGrid, DrawsHeaderAndCellsWithTheOwnersFormat)
{
    GridRig rig(QList<QPair<QString, QString>>{{"8888", "x"}});
    rig.grid.resize(300, 120);
    rig.grid.SetColWidths(0, 100);
    rig.grid.OnGetCellFormat = [](TSortGrid*, int, int row, TGridDrawState, TFormatOptions& f, bool&, bool&, bool&) {
        if (row == 1)
            f.Brush = QBrush(Qt::green);
    };
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    const QImage image = rig.grid.viewport()->grab().toImage();
    const QRect cell = rig.grid.visualRect(rig.grid.model()->index(0, 0));
    int green = 0, ink = 0;
    for (int x = cell.left() + 2; x < cell.right() - 2; ++x)
        for (int y = cell.top() + 2; y < cell.bottom() - 2; ++y) {
            const bool fill = image.pixelColor(x, y) == QColor(Qt::green);
            green += fill;
            ink += !fill;
        }
    EXPECT_GT(green, 100) << "the owner's brush fills the cell";
    EXPECT_GT(ink, 5) << "the text is drawn";

    auto* header = rig.grid.findChild<SortGridHeader*>();
    const QImage head = header->grab().toImage();
    int headerInk = 0;
    for (int x = 0; x < 90; ++x)
        for (int y = 0; y < head.height(); ++y)
            headerInk += head.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(headerInk, 5) << "the caption and the sort arrow are drawn";
}

TEST(TSortGrid, ACellTextThatDoesNotFitKeepsItsBeginningAndEndsInAMark)
{
    TSortGrid grid;
    const QFontMetrics m(grid.font());
    const QChar mark(0x2026);
    const int fits = m.horizontalAdvance("191,0") + 2 * TSortGrid::TextMargin;
    const struct
    {
        const char* text;
        int width;
        bool cut;
    } cases[] = {
        {"191,0", fits, false},
        {"2191,0", fits, true},
        {"0007", m.horizontalAdvance("007") + 2 * TSortGrid::TextMargin, true},
        {"19:48.02,30", m.horizontalAdvance("19:48.02,30") + 2 * TSortGrid::TextMargin - 1, true},
        {"Mustermann", fits, true},
        {"", 4, false},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        int width = -1;
        const QString shown = TSortGrid::FittedCellText(text, c.width, m, &width);
        EXPECT_EQ(width, m.horizontalAdvance(shown)) << c.text;
        if (c.cut) {
            EXPECT_TRUE(shown.endsWith(mark) && shown.size() > 1 && text.startsWith(shown.chopped(1)))
                << c.text << " shown as " << shown.toStdString();
        } else {
            EXPECT_EQ(shown, text);
        }
        EXPECT_LE(m.horizontalAdvance(shown), c.width - 2 * TSortGrid::TextMargin) << c.text;
    }
    EXPECT_EQ(TSortGrid::FittedCellText("2191,0", 3, m), QString(mark)) << "a cell too narrow still shows the mark";
}

TEST(TSortGrid, ACutCellShowsItsMarkAndEveryTextKeepsItsMargins)
{
    GridRig rig(QList<QPair<QString, QString>>{{"x", ""}, {"2191,0", ""}, {"191,0", ""}});
    rig.grid.SetAlignmentHorz(Qt::AlignRight);
    rig.grid.SetDefaultRowHeight(24);
    rig.grid.resize(300, 200);
    rig.grid.SetColWidths(0, rig.grid.ColumnWidthFor("191,0"));
    rig.grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.grid));
    const QImage image = rig.grid.viewport()->grab().toImage();
    struct Ink
    {
        int left = -1, right = -1; // first and last inked column, from the cell's edges
        int endHeight = 0;         // how high the ink of the last three columns reaches
    };
    const auto ink = [&](int row) {
        const QRect cell = rig.grid.visualRect(rig.grid.model()->index(row - 1, 0));
        const QColor background = image.pixelColor(cell.left() + 1, cell.top() + 1);
        Ink found;
        int top = cell.bottom(), bottom = cell.top();
        for (int x = cell.right(); x >= cell.left(); --x)
            for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
                if (image.pixelColor(x, y) == background)
                    continue;
                if (found.right < 0)
                    found.right = cell.right() - x;
                found.left = x - cell.left();
                if (cell.right() - x < found.right + 3) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        found.endHeight = bottom - top + 1;
        return found;
    };
    const Ink cut = ink(2), whole = ink(3);
    EXPECT_GE(cut.left, TSortGrid::TextMargin) << "the cut text keeps its margin";
    EXPECT_GE(cut.right, TSortGrid::TextMargin);
    EXPECT_GE(whole.left, TSortGrid::TextMargin) << "a text that just fits keeps its margins";
    EXPECT_GE(whole.right, TSortGrid::TextMargin);
    EXPECT_LE(cut.endHeight, 4) << "the cut text ends in the mark's dots on the baseline";
    EXPECT_GE(whole.endHeight, 8) << "a whole text ends in its last digit";
}

TEST(TSortGrid, AutoSizeFitsTheWidestText)
{
    GridRig rig({{"a", "1"}, {"a much longer text", "2"}});
    rig.grid.SortOptions().CanSort = false;
    rig.grid.AutoSizeColumn(0);
    const QFontMetrics m(rig.grid.font());
    EXPECT_EQ(rig.grid.ColWidths(0), m.horizontalAdvance("X") + m.horizontalAdvance("a much longer text"));
}

TEST(TSortGrid, CellWritesDuringAnUpdateAreReportedOnceAtItsEnd)
{
    GridRig rig({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    QSignalSpy changes(rig.grid.model(), &QAbstractItemModel::dataChanged);
    rig.grid.BeginUpdate();
    for (int r = 1; r < rig.grid.RowCount(); ++r)
        rig.grid.SetCells(1, r, QString::number(r * 10));
    EXPECT_EQ(changes.count(), 0);
    rig.grid.EndUpdate();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(rig.Tags(), "102030");
    rig.grid.SetCells(1, 1, "x");
    EXPECT_EQ(changes.count(), 2) << "outside an update each write is reported";
}
