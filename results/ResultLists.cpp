#include "ResultLists.h"

#include "CNumbersOnThisThread.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <xlsxwriter.h>

namespace {

constexpr double kMsPerDay = 86400000.0;

QString Escape(const QString& text)
{
    QString html = text.toHtmlEscaped();
    html.replace(u'\n', QStringLiteral("<br>"));
    return html;
}

QString GermanDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

// A total or run as a list shows it: hundredths cut unless thousandths decide.
std::int64_t Shown(std::int64_t ms, bool inMs)
{
    return inMs ? ms : ms - ms % 10;
}

ListCell TextCell(const QString& text, const QString& note = QString())
{
    ListCell cell;
    cell.text = text;
    cell.note = note;
    return cell;
}

ListCell NumberCell(int number, const QString& text)
{
    ListCell cell;
    cell.kind = ListCell::Kind::Number;
    cell.number = number;
    cell.text = text;
    return cell;
}

ListCell TimeCell(std::int64_t ms, bool inMs)
{
    ListCell cell;
    cell.kind = ListCell::Kind::Time;
    cell.ms = Shown(ms, inMs);
    cell.inMs = inMs;
    cell.text = ResultTimeText(ms, inMs);
    return cell;
}

ListCell GapCell(std::int64_t ms, bool inMs)
{
    ListCell cell;
    cell.kind = ListCell::Kind::Gap;
    cell.ms = ms;
    cell.inMs = inMs;
    cell.text = GapText(ms, inMs);
    return cell;
}

ListCell PlaceCell(int place)
{
    return NumberCell(place, QStringLiteral("%1.").arg(place));
}

ListCell StartNumberCell(int number)
{
    return NumberCell(number, QString::number(number));
}

QString RunStateText(ScoredRun::State state)
{
    switch (state) {
    case ScoredRun::State::Invalid: return RunStatusText(RunStatus::Invalid);
    case ScoredRun::State::DNF: return RunStatusText(RunStatus::DNF);
    case ScoredRun::State::DNS: return RunStatusText(RunStatus::DNS);
    case ScoredRun::State::Missing:
    case ScoredRun::State::Valid: break;
    }
    return QString();
}

QString RuleText(const EventRules& rules)
{
    const int runs = std::max(1, rules.scoredRuns);
    switch (rules.rule) {
    case ScoringRule::SumOfAll:
        return runs == 1 ? QStringLiteral("ein Wertungslauf")
                         : QStringLiteral("Summe aller %1 Wertungsläufe").arg(runs);
    case ScoringRule::SumOfBestN:
        return QStringLiteral("Summe der besten %1 von %2 Wertungsläufen").arg(std::clamp(rules.bestN, 1, runs)).arg(runs);
    case ScoringRule::BestTime:
        return QStringLiteral("Bestzeit aus %1 Wertungsläufen").arg(runs);
    }
    return QString();
}

QStringList RuleNotes(const EventRules& rules)
{
    QStringList notes = {
        QStringLiteral("Wertung: %1. Laufzeiten einschließlich Strafsekunden (Pylone je %2 s, ausgelassene Aufgabe "
                       "je %3 s; mehr als %4 ausgelassene Aufgaben: n.g.).")
            .arg(RuleText(rules))
            .arg(rules.coneSeconds)
            .arg(rules.skippedTaskSeconds)
            .arg(rules.skippedTasksAllowed)};
    QString ties = QStringLiteral("Bei Zeitgleichheit entscheidet die Zweitzeit.");
    if (rules.rule != ScoringRule::SumOfAll && rules.scoredRuns > 1)
        ties += QStringLiteral(" Läufe in Klammern zählen nicht.");
    notes.append(ties);
    return notes;
}

// Sheet names: at most 31 characters, none of []:*?/\, unique in any case.
QString SheetName(QString name, QStringList& taken)
{
    for (QChar& c : name) {
        if (QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20)
            c = u'-';
    }
    name = name.trimmed();
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("Liste");
    QString unique = name.left(31);
    for (int n = 2; taken.contains(unique, Qt::CaseInsensitive); ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        unique = name.left(31 - suffix.size()) + suffix;
    }
    taken.append(unique);
    return unique;
}

// A time as the lists write it, with the spreadsheet's decimal separator.
QByteArray TimeFormat(const ListCell& cell)
{
    QByteArray format = cell.ms < 60000 ? "s" : cell.ms < 3600000 ? "[m]\".\"ss" : "[h]:mm\".\"ss";
    format += cell.inMs ? ".000" : ".00";
    if (cell.kind == ListCell::Kind::Gap)
        format = "\"+\"" + format;
    if (cell.notCounted)
        format = "\"(\"" + format + "\")\"";
    return format;
}

double TextWidth(const QString& text)
{
    qsizetype longest = 0;
    for (const QString& line : text.split(u'\n'))
        longest = std::max(longest, line.size());
    return std::min(60.0, longest * 1.1 + 2.0);
}

class XlsxWriter
{
public:
    explicit XlsxWriter(lxw_workbook* workbook)
        : workbook_(workbook)
    {
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
        heading_ = workbook_add_format(workbook_);
        format_set_bold(heading_);
        format_set_font_size(heading_, 14);
        head_ = workbook_add_format(workbook_);
        format_set_bold(head_);
        format_set_bottom(head_, LXW_BORDER_THIN);
        wrap_ = workbook_add_format(workbook_);
        format_set_text_wrap(wrap_);
        format_set_align(wrap_, LXW_ALIGN_VERTICAL_TOP);
    }

    bool Sheet(const ListPage& page, const QStringList& head)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook_, page.sheetName.toUtf8().constData());
        if (!sheet)
            return false;
        sheet_ = sheet;
        widths_.clear();
        int row = 0;
        for (int i = 0; i < head.size(); ++i)
            Text(row++, 0, head[i], i == 0 || i == 2 ? bold_ : nullptr, false);
        ++row;
        Text(row++, 0, page.heading, heading_, false);
        for (const QString& note : page.notes)
            Text(row++, 0, note, nullptr, false);
        ++row;
        int column = 0;
        for (const ListColumn& c : page.columns) {
            Text(row, column++, c.title, head_, true);
            if (c.run)
                Text(row, column++, QStringLiteral("Strafe (s)"), head_, true);
        }
        ++row;
        for (int r = 0; r < static_cast<int>(page.rows.size()); ++r) {
            if (r == page.unplacedFrom)
                Text(row++, 0, QStringLiteral("ohne Wertung"), bold_, false);
            WriteRow(row++, page, page.rows[r]);
        }
        double total = 0;
        for (const auto& [c, width] : widths_) {
            worksheet_set_column(sheet_, c, c, width, nullptr);
            total += width;
        }
        PageSetup(total);
        return ok_;
    }

private:
    // Printed from a spreadsheet program, a list keeps its columns on one
    // page width (else the gaps land on a page of their own) and numbers its pages.
    void PageSetup(double totalWidth)
    {
        constexpr std::uint8_t kA4 = 9;
        constexpr double kPortraitWidth = 95; // characters of the default font on A4
        worksheet_set_paper(sheet_, kA4);
        if (totalWidth > kPortraitWidth)
            worksheet_set_landscape(sheet_);
        worksheet_fit_to_pages(sheet_, 1, 0);
        ok_ = ok_ && worksheet_set_footer(sheet_, "&CSeite &P von &N") == LXW_NO_ERROR;
    }

    void WriteRow(int row, const ListPage& page, const std::vector<ListCell>& cells)
    {
        int column = 0;
        std::size_t c = 0;
        for (const ListCell& cell : cells) {
            Cell(row, column, cell);
            for (int s = 0; s < cell.span && c < page.columns.size(); ++s, ++c)
                column += page.columns[c].run ? 2 : 1;
            if (c > 0 && page.columns[c - 1].run && cell.penaltySeconds > 0)
                Number(row, column - 1, cell.penaltySeconds, nullptr);
        }
    }

    void Cell(int row, int column, const ListCell& cell)
    {
        switch (cell.kind) {
        case ListCell::Kind::Number:
            Number(row, column, cell.number, nullptr);
            Widen(column, cell.text);
            return;
        case ListCell::Kind::Time:
        case ListCell::Kind::Gap:
            Number(row, column, cell.ms / kMsPerDay, TimeFormatFor(cell));
            Widen(column, cell.text + QStringLiteral("()"));
            return;
        case ListCell::Kind::Text:
            break;
        }
        QString text = cell.text;
        if (!cell.note.isEmpty())
            text = text.isEmpty() ? cell.note : QStringLiteral("%1 (%2)").arg(text, cell.note);
        Text(row, column, text, text.contains(u'\n') ? wrap_ : nullptr, true);
    }

    void Text(int row, int column, const QString& text, lxw_format* format, bool widen)
    {
        if (text.isEmpty())
            return;
        ok_ = ok_ && worksheet_write_string(sheet_, row, column, text.toUtf8().constData(), format) == LXW_NO_ERROR;
        if (widen)
            Widen(column, text);
    }

    void Number(int row, int column, double value, lxw_format* format)
    {
        ok_ = ok_ && worksheet_write_number(sheet_, row, column, value, format) == LXW_NO_ERROR;
    }

    void Widen(int column, const QString& text)
    {
        double& width = widths_[column];
        width = std::max({width, TextWidth(text), 6.0});
    }

    lxw_format* TimeFormatFor(const ListCell& cell)
    {
        const QByteArray code = TimeFormat(cell);
        lxw_format*& format = timeFormats_[code];
        if (!format) {
            format = workbook_add_format(workbook_);
            format_set_num_format(format, code.constData());
        }
        return format;
    }

    lxw_workbook* workbook_;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* heading_ = nullptr;
    lxw_format* head_ = nullptr;
    lxw_format* wrap_ = nullptr;
    std::map<QByteArray, lxw_format*> timeFormats_;
    std::map<int, double> widths_;
    bool ok_ = true;
};

QString NotWritten(const QString& path)
{
    return QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden.").arg(path);
}

// Written beside its name and renamed over it: nobody sees half a file, and
// a failed write leaves the previous file as it was.
bool WriteBeside(const QString& path, QString* error, const std::function<bool(const QString& part)>& write)
{
    const QString part = path + QStringLiteral(".part");
    if (write(part) && QFile::exists(part) &&
        std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    QFile::remove(part);
    if (error)
        *error = NotWritten(path);
    return false;
}

const char* const kStyle =
    "body{font-family:'DejaVu Sans',Arial,sans-serif;font-size:10pt;color:#000;background:#fff;margin:1.5em}"
    "section.page{break-before:page}section.page:first-of-type{break-before:auto}"
    "@media screen{section.page{border-bottom:2px solid #bbb;padding-bottom:1em;margin-bottom:2em}}"
    "@page{size:A4;margin:15mm;@bottom-center{content:'Seite ' counter(page) ' von ' counter(pages)}}"
    ".head{border-bottom:1px solid #000;margin-bottom:.5em;padding-bottom:.2em}"
    ".title{font-size:16pt;font-weight:bold}.status{font-weight:bold}"
    "h2{font-size:13pt;margin:.6em 0 .2em}p.note{margin:.1em 0;font-size:9pt}"
    "table{border-collapse:collapse;width:100%;margin-top:.4em}thead{display:table-header-group}"
    "th,td{border:1px solid #888;padding:2px 4px;vertical-align:top}th{background:#eee;text-align:left}"
    "tr.sub th{background:#f7f7f7}small{display:block;font-size:8pt;color:#333}";

} // namespace

ResultLists::ResultLists(ScoringResult result, Posting posting)
    : result_(std::move(result))
    , posting_(std::move(posting))
{
}

QString ResultLists::DateAndVenue() const
{
    QStringList parts;
    if (const QString date = GermanDate(result_.rules.date); !date.isEmpty())
        parts.append(date);
    if (!result_.rules.venue.trimmed().isEmpty())
        parts.append(result_.rules.venue.trimmed());
    return parts.join(QStringLiteral(" · "));
}

QString ResultLists::PostingText() const
{
    const QString state = posting_.official ? QStringLiteral("offiziell") : QStringLiteral("vorläufig");
    if (!posting_.postedAt.isValid())
        return state;
    return QStringLiteral("%1 – ausgehängt am %2 um %3 Uhr")
        .arg(state, GermanDate(posting_.postedAt.date()), posting_.postedAt.time().toString(QStringLiteral("HH:mm")));
}

QPageLayout::Orientation ResultLists::Orientation() const
{
    return result_.rules.scoredRuns > 3 ? QPageLayout::Landscape : QPageLayout::Portrait;
}

std::vector<ListColumn> ResultLists::ResultColumns(bool withClass) const
{
    std::vector<ListColumn> columns = {{QStringLiteral("Platz")}, {QStringLiteral("Nr.")}, {QStringLiteral("Name")},
                                       {QStringLiteral("Fahrzeug")}, {QStringLiteral("Verein")}};
    if (withClass)
        columns.push_back({QStringLiteral("Klasse")});
    for (int i = 1; i <= std::max(1, result_.rules.scoredRuns); ++i)
        columns.push_back({QStringLiteral("Lauf %1").arg(i), true});
    columns.push_back({QStringLiteral("Gesamt")});
    columns.push_back({QStringLiteral("Abstand zum Ersten")});
    columns.push_back({QStringLiteral("Abstand zum Vordermann")});
    return columns;
}

std::vector<ListCell> ResultLists::StandingRow(const Standing& standing, bool placed, bool withClass) const
{
    const DriverResult& d = result_.drivers[standing.driver];
    std::vector<ListCell> row;
    row.push_back(placed ? PlaceCell(standing.place) : TextCell(QString()));
    row.push_back(StartNumberCell(d.entry.number));
    row.push_back(TextCell(DriverName(d.entry)));
    row.push_back(TextCell(d.entry.car));
    row.push_back(TextCell(d.entry.club));
    if (withClass)
        row.push_back(TextCell(d.entry.className));
    for (int n = 1; n <= static_cast<int>(d.runs.size()); ++n) {
        const ScoredRun& run = d.runs[n - 1];
        if (run.state != ScoredRun::State::Valid) {
            row.push_back(TextCell(RunStateText(run.state), run.reason));
            continue;
        }
        // Where thousandths decide, the runs that make the total show them
        // too, so the list can be checked by hand.
        const bool inMs = (standing.secondBestInMs && n == d.secondBestRun) ||
                          (placed && standing.totalInMs && run.counts);
        ListCell cell = TimeCell(run.scoredMs, inMs);
        cell.notCounted = d.totalMs && !run.counts;
        if (cell.notCounted)
            cell.text = QStringLiteral("(%1)").arg(cell.text);
        if (run.penaltyMs > 0) {
            cell.penaltySeconds = static_cast<int>(run.penaltyMs / 1000);
            cell.note = QStringLiteral("%1 + %2 s").arg(ResultTimeText(run.runTimeMs, inMs)).arg(cell.penaltySeconds);
        }
        row.push_back(cell);
    }
    if (!placed) {
        ListCell reason = TextCell(d.unplacedReason);
        reason.span = 3;
        row.push_back(reason);
        return row;
    }
    row.push_back(TimeCell(*d.totalMs, standing.totalInMs));
    const bool first = row.front().number == 1;
    row.push_back(first ? TextCell(QString()) : GapCell(standing.gapToLeaderMs, standing.gapToLeaderInMs));
    row.push_back(first ? TextCell(QString()) : GapCell(standing.gapToAheadMs, standing.gapToAheadInMs));
    return row;
}

ListPage ResultLists::RankedPage(const RankedList& list, bool withClass) const
{
    ListPage page;
    page.notes = RuleNotes(result_.rules);
    page.columns = ResultColumns(withClass);
    for (const Standing& s : list.placed)
        page.rows.push_back(StandingRow(s, true, withClass));
    if (!list.unplaced.empty())
        page.unplacedFrom = static_cast<int>(page.rows.size());
    for (const Standing& s : list.unplaced)
        page.rows.push_back(StandingRow(s, false, withClass));
    return page;
}

ListPage ResultLists::ClassPage(const RankedList& list) const
{
    ListPage page = RankedPage(list, false);
    const QString name = list.className.isEmpty() ? QStringLiteral("ohne Klasse") : list.className;
    page.heading = QStringLiteral("Klasse ") + name;
    page.sheetName = name;
    return page;
}

ListPage ResultLists::OverallPage() const
{
    ListPage page = RankedPage(result_.overall, true);
    page.heading = QStringLiteral("Gesamtwertung");
    page.sheetName = page.heading;
    QStringList holders;
    for (const FastestRun& f : result_.fastest) {
        const Entry& e = result_.drivers[f.driver].entry;
        holders.append(QStringLiteral("Nr. %1 %2 (%3), Lauf %4").arg(e.number).arg(DriverName(e), e.className).arg(f.run));
    }
    if (!holders.isEmpty()) {
        page.notes.prepend(QStringLiteral("Tagesbestzeit: %1 – %2")
                               .arg(ResultTimeText(result_.fastest.front().scoredMs, result_.fastestInMs),
                                    holders.join(QStringLiteral("; "))));
    }
    return page;
}

ListPage ResultLists::TeamPage() const
{
    ListPage page;
    page.heading = QStringLiteral("Teamwertung");
    page.sheetName = page.heading;
    page.notes = {QStringLiteral("Es zählen die besten %1 Fahrer eines Teams (höchstens %2 Fahrer je Team).")
                      .arg(std::clamp(result_.rules.teamBestOf, 1, kMaxTeamDrivers))
                      .arg(kMaxTeamDrivers)};
    page.columns = {{QStringLiteral("Platz")}, {QStringLiteral("Team")}, {QStringLiteral("Fahrer")},
                    {QStringLiteral("Gesamt")}, {QStringLiteral("Abstand zum Ersten")},
                    {QStringLiteral("Abstand zum Vordermann")}};
    for (const TeamResult& team : result_.teams) {
        const bool placed = team.totalMs.has_value();
        if (!placed && page.unplacedFrom < 0)
            page.unplacedFrom = static_cast<int>(page.rows.size());
        QStringList lines;
        for (int m : placed ? team.counted : team.members) {
            const DriverResult& d = result_.drivers[m];
            QString line = QStringLiteral("%1 %2").arg(d.entry.number).arg(DriverName(d.entry));
            if (d.totalMs)
                line += QStringLiteral(" ") + ResultTimeText(*d.totalMs, false);
            lines.append(line);
        }
        QStringList beyond;
        for (int m : team.beyondLimit)
            beyond.append(QStringLiteral("Nr. %1").arg(result_.drivers[m].entry.number));
        const QString note = beyond.isEmpty()
            ? QString()
            : QStringLiteral("%1 %2 nicht: mehr als %3 Fahrer")
                  .arg(beyond.join(u", "), beyond.size() == 1 ? QStringLiteral("zählt") : QStringLiteral("zählen"))
                  .arg(kMaxTeamDrivers);
        std::vector<ListCell> row = {placed ? PlaceCell(team.place) : TextCell(QString()), TextCell(team.name, note),
                                     TextCell(lines.join(u'\n'))};
        if (placed) {
            row.push_back(TimeCell(*team.totalMs, team.totalInMs));
            const bool first = team.place == 1;
            row.push_back(first ? TextCell(QString()) : GapCell(team.gapToLeaderMs, team.gapToLeaderInMs));
            row.push_back(first ? TextCell(QString()) : GapCell(team.gapToAheadMs, team.gapToAheadInMs));
        } else {
            ListCell reason = TextCell(team.unplacedReason);
            reason.span = 3;
            row.push_back(reason);
        }
        page.rows.push_back(std::move(row));
    }
    return page;
}

ListPage ResultLists::StartListPage() const
{
    ListPage page;
    page.heading = QStringLiteral("Starterliste");
    page.sheetName = page.heading;
    page.columns = {{QStringLiteral("Nr.")},      {QStringLiteral("Name")},   {QStringLiteral("Vorname")},
                    {QStringLiteral("Fahrzeug")}, {QStringLiteral("Klasse")}, {QStringLiteral("Verein")}};
    if (result_.rules.teams)
        page.columns.push_back({QStringLiteral("Team")});
    for (const DriverResult& d : result_.drivers) {
        std::vector<ListCell> row = {StartNumberCell(d.entry.number), TextCell(d.entry.name),
                                     TextCell(d.entry.firstName),     TextCell(d.entry.car),
                                     TextCell(d.entry.className),     TextCell(d.entry.club)};
        if (result_.rules.teams)
            row.push_back(TextCell(d.entry.team));
        page.rows.push_back(std::move(row));
    }
    return page;
}

std::vector<ListPage> ResultLists::Pages(const std::vector<ResultList>& lists) const
{
    std::vector<ListPage> pages;
    for (ResultList list : lists) {
        switch (list) {
        case ResultList::Classes:
            for (const RankedList& c : result_.classes)
                pages.push_back(ClassPage(c));
            break;
        case ResultList::Overall:
            pages.push_back(OverallPage());
            break;
        case ResultList::Teams:
            if (result_.rules.teams)
                pages.push_back(TeamPage());
            break;
        case ResultList::StartList:
            pages.push_back(StartListPage());
            break;
        }
    }
    QStringList taken;
    for (ListPage& page : pages)
        page.sheetName = SheetName(page.sheetName, taken);
    return pages;
}

QString ResultLists::BodyHtml(const std::vector<ListPage>& pages, bool forPrint) const
{
    QString html;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const ListPage& page = pages[p];
        if (!forPrint) {
            html += QStringLiteral("<section class=\"page\">\n<div class=\"head\"><div class=\"title\">%1</div>"
                                   "<div>%2</div><div class=\"status\">%3</div></div>\n")
                        .arg(Escape(result_.rules.title), Escape(DateAndVenue()), Escape(PostingText()));
        }
        const QString breakBefore =
            forPrint && p > 0 ? QStringLiteral(" style=\"page-break-before:always\"") : QString();
        html += QStringLiteral("<h2%1>%2</h2>\n").arg(breakBefore, Escape(page.heading));
        for (const QString& note : page.notes)
            html += QStringLiteral("<p class=\"note\">%1</p>\n").arg(Escape(note));
        html += QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" style=\"border-collapse:collapse;border-color:#888\">\n<thead><tr>");
        for (const ListColumn& c : page.columns)
            html += QStringLiteral("<th>%1</th>").arg(Escape(c.title));
        html += QStringLiteral("</tr></thead>\n<tbody>\n");
        for (int r = 0; r < static_cast<int>(page.rows.size()); ++r) {
            if (r == page.unplacedFrom) {
                html += QStringLiteral("<tr class=\"sub\"><th colspan=\"%1\" align=\"left\">ohne Wertung</th></tr>\n")
                            .arg(page.columns.size());
            }
            html += QStringLiteral("<tr>");
            for (const ListCell& cell : page.rows[r]) {
                const bool right = cell.kind != ListCell::Kind::Text;
                html += QStringLiteral("<td");
                if (cell.span > 1)
                    html += QStringLiteral(" colspan=\"%1\"").arg(cell.span);
                if (right)
                    html += QStringLiteral(" align=\"right\" nowrap");
                html += u'>' + Escape(cell.text);
                if (!cell.note.isEmpty())
                    html += QStringLiteral("<br><small>%1</small>").arg(Escape(cell.note));
                html += QStringLiteral("</td>");
            }
            html += QStringLiteral("</tr>\n");
        }
        html += QStringLiteral("</tbody></table>\n");
        if (!forPrint)
            html += QStringLiteral("</section>\n");
    }
    return html;
}

QString ResultLists::Html(const std::vector<ResultList>& lists) const
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n%3</body>\n</html>\n")
        .arg(Escape(result_.rules.title), QString::fromLatin1(kStyle), BodyHtml(Pages(lists), false));
}

bool ResultLists::Print(QPrinter& printer, const std::vector<ResultList>& lists) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF area(0, 0, printer.width(), printer.height());
    QFont titleFont = painter.font();
    titleFont.setPointSizeF(14);
    titleFont.setBold(true);
    QFont textFont = painter.font();
    textFont.setPointSizeF(8);
    QFont statusFont = textFont;
    statusFont.setBold(true);
    const QFontMetricsF titleMetrics(titleFont, &printer);
    const QFontMetricsF textMetrics(textFont, &printer);
    const double gap = textMetrics.height() * 0.6;
    const double headHeight = titleMetrics.height() + textMetrics.height() * 2 + gap * 2;
    const double footHeight = textMetrics.height() + gap;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&printer);
    document.setDefaultFont(textFont);
    document.setDocumentMargin(0);
    document.setDefaultStyleSheet(QStringLiteral("h2{font-size:11pt} p.note{font-size:7pt} small{font-size:6pt}"));
    document.setHtml(BodyHtml(Pages(lists), true));
    const QRectF body(0, headHeight, area.width(), area.height() - headHeight - footHeight);
    document.setPageSize(body.size());
    const int pageCount = document.pageCount();
    for (int p = 0; p < pageCount; ++p) {
        if (p > 0)
            printer.newPage();
        painter.setFont(titleFont);
        painter.drawText(QRectF(0, 0, area.width(), titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         result_.rules.title);
        painter.setFont(textFont);
        painter.drawText(QRectF(0, titleMetrics.height(), area.width(), textMetrics.height()), Qt::AlignLeft,
                         DateAndVenue());
        painter.setFont(statusFont);
        painter.drawText(QRectF(0, titleMetrics.height() + textMetrics.height(), area.width(), textMetrics.height()),
                         Qt::AlignLeft, PostingText());
        painter.setFont(textFont);
        const double rule = titleMetrics.height() + textMetrics.height() * 2 + gap / 2;
        painter.drawLine(QPointF(0, rule), QPointF(area.width(), rule));
        painter.drawText(QRectF(0, area.height() - textMetrics.height(), area.width(), textMetrics.height()),
                         Qt::AlignHCenter, QStringLiteral("Seite %1 von %2").arg(p + 1).arg(pageCount));

        painter.save();
        painter.translate(0, body.top() - p * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, p * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return painter.end();
}

bool ResultLists::WriteHtml(const QString& path, const std::vector<ResultList>& lists, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Html(lists).toUtf8()) < 0 || !file.commit()) {
        if (error)
            *error = NotWritten(path);
        return false;
    }
    return true;
}

bool ResultLists::WritePdf(const QString& path, const std::vector<ResultList>& lists, QString* error) const
{
    return WriteBeside(path, error, [&](const QString& part) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(part);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), Orientation(), QMarginsF(15, 12, 15, 12),
                                          QPageLayout::Millimeter));
        printer.setDocName(result_.rules.title);
        printer.setCreator(QStringLiteral("Ravolt"));
        return Print(printer, lists);
    });
}

bool ResultLists::WriteXlsx(const QString& path, const std::vector<ResultList>& lists, QString* error) const
{
    return WriteBeside(path, error, [&](const QString& part) {
        const CNumbersOnThisThread cNumbers;
        lxw_workbook* workbook = cNumbers ? workbook_new(QFile::encodeName(part).constData()) : nullptr;
        if (!workbook)
            return false;
        QByteArray title = result_.rules.title.toUtf8();
        lxw_doc_properties properties{};
        properties.title = title.data();
        workbook_set_properties(workbook, &properties);
        const QStringList head = {result_.rules.title, DateAndVenue(), PostingText()};
        XlsxWriter writer(workbook);
        bool ok = true;
        for (const ListPage& page : Pages(lists))
            ok = ok && writer.Sheet(page, head);
        // Closing writes the file; it must run also after a failed sheet.
        return workbook_close(workbook) == LXW_NO_ERROR && ok;
    });
}
