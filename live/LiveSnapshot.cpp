#include "LiveSnapshot.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QString Esc(const QString& text)
{
    return text.toHtmlEscaped();
}

const char* const kStyle =
    "body{margin:0;font:1.15rem/1.4 sans-serif;background:#fff;color:#000}"
    "header,main{padding:.5rem .75rem}nav{display:flex;flex-wrap:wrap;gap:.25rem;padding:.5rem .75rem;background:#000}"
    "nav a{color:#fff;background:#003c8f;padding:.6rem .9rem;font-weight:bold;text-decoration:none;border-radius:.3rem}"
    "h1{font-size:1.6rem;margin:.2rem 0}h2{font-size:1.3rem;margin:1rem 0 .3rem;border-bottom:3px solid #000}"
    ".st{display:inline-block;padding:.15rem .5rem;font-weight:bold;border:2px solid #000}"
    ".st.off{background:#000;color:#fff}table{border-collapse:collapse;width:100%}"
    "th,td{text-align:left;padding:.35rem .3rem;border-bottom:1px solid #000;vertical-align:top}"
    "th{background:#e8e8e8}td small{display:block;font-size:.85rem}.run{font-weight:bold}"
    ".wrap{overflow-x:auto}@media(max-width:40em){.n1{display:none}}@media(max-width:30em){.n2{display:none}}";

const QByteArray kScript = QByteArrayLiteral(
    "(function(){var m=document.querySelector('main'),t=m.getAttribute('data-etag');"
    "function again(ms){setTimeout(poll,ms)}"
    "function poll(){var x=new XMLHttpRequest();x.open('GET',location.pathname+'?teil=1');"
    "x.setRequestHeader('If-None-Match',t);x.timeout=5000;"
    "x.onload=function(){if(x.status==200){t=x.getResponseHeader('ETag')||t;"
    "document.querySelector('main').outerHTML=x.responseText}again(800)};"
    "x.onerror=x.ontimeout=function(){again(3000)};x.send()}again(800)})();");

struct Names
{
    QHash<int, const Entry*> byNumber;
    explicit Names(const ScoringResult& scoring)
    {
        for (const DriverResult& d : scoring.drivers)
            byNumber.insert(d.entry.number, &d.entry);
    }
    const Entry* Find(const QString& startNumber) const
    {
        bool ok = false;
        const int n = startNumber.trimmed().toInt(&ok);
        return ok ? byNumber.value(n, nullptr) : nullptr;
    }
    const Entry* Find(int number) const { return byNumber.value(number, nullptr); }
};

// Narrow screens leave columns out, so that a phone held upright shows
// place, name and total (start list: name and class) without swiping:
// below 40em the car, club, team and gap to the one ahead; below 30em the
// single runs and, in the overall list, the class too. Wider screens show
// every column.
QString NarrowClass(const ListColumn& column, bool ranked)
{
    static const QStringList wide = {QStringLiteral("Fahrzeug"), QStringLiteral("Verein"), QStringLiteral("Team"),
                                     QStringLiteral("Abstand zum Vordermann")};
    if (wide.contains(column.title))
        return QStringLiteral("n1");
    if (ranked && (column.run || column.title == QStringLiteral("Klasse")))
        return QStringLiteral("n2");
    return {};
}

QString ClassAttribute(const QString& name)
{
    return name.isEmpty() ? QString() : QStringLiteral(" class=\"%1\"").arg(name);
}

QString Cell(const ListCell& cell, const char* tag, const QString& narrow)
{
    QString html = QStringLiteral("<%1").arg(QLatin1String(tag)) + ClassAttribute(narrow);
    if (cell.span > 1)
        html += QStringLiteral(" colspan=\"%1\"").arg(cell.span);
    html += u'>';
    html += cell.notCounted ? QStringLiteral("(%1)").arg(Esc(cell.text)) : Esc(cell.text);
    if (!cell.note.isEmpty())
        html += QStringLiteral("<small>%1</small>").arg(Esc(cell.note));
    html += QStringLiteral("</%1>").arg(QLatin1String(tag));
    return html;
}

QString Table(const ListPage& page)
{
    QString html = QStringLiteral("<h2>%1</h2>").arg(Esc(page.heading));
    for (const QString& note : page.notes)
        html += QStringLiteral("<p>%1</p>").arg(Esc(note));
    const bool ranked = std::any_of(page.columns.begin(), page.columns.end(),
                                    [](const ListColumn& column) { return column.run; });
    QStringList narrow;
    for (const ListColumn& column : page.columns)
        narrow.append(NarrowClass(column, ranked));
    html += QStringLiteral("<div class=\"wrap\"><table><tr>");
    for (int c = 0; c < narrow.size(); ++c)
        html += QStringLiteral("<th%1>%2</th>").arg(ClassAttribute(narrow[c]), Esc(page.columns[c].title));
    html += QStringLiteral("</tr>");
    for (int r = 0; r < static_cast<int>(page.rows.size()); ++r) {
        if (r == page.unplacedFrom)
            html += QStringLiteral("<tr><th colspan=\"%1\">ohne Wertung</th></tr>").arg(page.columns.size());
        html += QStringLiteral("<tr>");
        int column = 0; // a cell spanning columns takes the first one's class
        for (const ListCell& cell : page.rows[r]) {
            html += Cell(cell, "td", column < narrow.size() ? narrow[column] : QString());
            column += std::max(1, cell.span);
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></div>");
}

QString EntryCells(const Entry* entry)
{
    if (!entry)
        return QStringLiteral("<td>–</td><td></td>");
    return QStringLiteral("<td>%1</td><td>%2</td>").arg(Esc(DriverName(*entry)), Esc(entry->className));
}

QString LaneStand(const LiveLane& lane)
{
    if (lane.running)
        return QStringLiteral("läuft");
    return lane.ready ? QStringLiteral("am Start") : QStringLiteral("im Ziel");
}

QString TrackBody(const LiveInput& input, const Names& names)
{
    QString html = QStringLiteral("<h2>Auf der Strecke</h2>");
    if (input.lanes.empty()) {
        html += QStringLiteral("<p>Zurzeit fährt niemand.</p>");
    } else {
        html += QStringLiteral("<table><tr><th>Bahn</th><th>Nr.</th><th>Name</th><th>Klasse</th><th>Stand</th></tr>");
        for (const LiveLane& lane : input.lanes)
            html += QStringLiteral("<tr><td>%1</td><td>%2</td>%3<td class=\"run\">%4</td></tr>")
                        .arg(lane.lane)
                        .arg(Esc(lane.startNumber), EntryCells(names.Find(lane.startNumber)),
                             LaneStand(lane));
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("<h2>Letzte Läufe</h2>");
    if (input.lastRuns.empty())
        return html + QStringLiteral("<p>Noch kein Lauf.</p>");
    html += QStringLiteral("<table><tr><th>Nr.</th><th>Name</th><th>Klasse</th><th>Zeit</th><th>Strafen</th></tr>");
    for (const RunRecord& run : input.lastRuns) {
        QString penalties;
        if (run.status != RunStatus::Valid)
            penalties = RunStatusText(run.status);
        else {
            QStringList parts;
            if (run.cones)
                parts << QStringLiteral("%1 Pyl.").arg(run.cones);
            if (run.skippedTasks)
                parts << QStringLiteral("%1 Aufg.").arg(run.skippedTasks);
            penalties = parts.join(QStringLiteral(", "));
        }
        html += QStringLiteral("<tr><td>%1</td>%2<td class=\"run\">%3</td><td>%4</td></tr>")
                    .arg(run.number)
                    .arg(EntryCells(names.Find(run.number)), Esc(ResultTimeText(run.runTimeMs, false)),
                         Esc(penalties));
    }
    return html + QStringLiteral("</table>");
}

QString ListsBody(const std::vector<ListPage>& pages, const QString& none)
{
    if (pages.empty())
        return QStringLiteral("<p>%1</p>").arg(none);
    QString html;
    for (const ListPage& page : pages)
        html += Table(page);
    return html;
}

QString Main(const LiveInput& input, const ResultLists& lists, const QString& body, const QByteArray& etag)
{
    const bool official = input.posting.official;
    return QStringLiteral("<main data-etag=\"%1\"><h1>%2</h1><p>%3</p><p><span class=\"st%4\">%5</span></p>%6</main>")
        .arg(Esc(QString::fromLatin1(etag)), Esc(input.scoring.rules.title), Esc(lists.DateAndVenue()),
             official ? QStringLiteral(" off") : QString(),
             official ? QStringLiteral("offiziell") : QStringLiteral("vorläufig"), body);
}

QByteArray WholePage(const QString& title, const QString& main)
{
    return QStringLiteral(
               "<!DOCTYPE html><html lang=\"de\"><head><meta charset=\"utf-8\">"
               "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
               "<noscript><meta http-equiv=\"refresh\" content=\"5\"></noscript>"
               "<title>%1</title><style>%2</style></head><body><nav><a href=\"/\">Strecke</a>"
               "<a href=\"/wertung\">Wertung</a><a href=\"/starter\">Starterliste</a></nav>%3"
               "<script>%4</script></body></html>")
        .arg(Esc(title), QLatin1String(kStyle), main, QString::fromLatin1(kScript))
        .toUtf8();
}

QJsonObject EntryJson(const Entry& e)
{
    return {{QStringLiteral("nr"), e.number},           {QStringLiteral("name"), e.name},
            {QStringLiteral("vorname"), e.firstName},   {QStringLiteral("fahrzeug"), e.car},
            {QStringLiteral("klasse"), e.className},    {QStringLiteral("verein"), e.club}};
}

QJsonArray PagesJson(const std::vector<ListPage>& pages)
{
    QJsonArray out;
    for (const ListPage& page : pages) {
        QJsonArray columns;
        for (const ListColumn& column : page.columns)
            columns.append(column.title);
        QJsonArray rows;
        for (const std::vector<ListCell>& row : page.rows) {
            QJsonArray cells;
            for (const ListCell& cell : row)
                cells.append(cell.note.isEmpty() ? cell.text : cell.text + u'\n' + cell.note);
            rows.append(cells);
        }
        out.append(QJsonObject{{QStringLiteral("titel"), page.heading},
                               {QStringLiteral("spalten"), columns},
                               {QStringLiteral("zeilen"), rows},
                               {QStringLiteral("ohneWertungAb"), page.unplacedFrom}});
    }
    return out;
}

QByteArray JsonOf(const LiveInput& input, const std::vector<ListPage>& results, std::uint64_t version)
{
    const Names names(input.scoring);
    QJsonArray lanes;
    for (const LiveLane& lane : input.lanes) {
        QJsonObject o{{QStringLiteral("bahn"), lane.lane},
                      {QStringLiteral("nr"), lane.startNumber},
                      {QStringLiteral("stand"), LaneStand(lane)}};
        if (const Entry* e = names.Find(lane.startNumber))
            o.insert(QStringLiteral("fahrer"), EntryJson(*e));
        lanes.append(o);
    }
    QJsonArray last;
    for (const RunRecord& run : input.lastRuns)
        last.append(QJsonObject{{QStringLiteral("nr"), run.number},
                                {QStringLiteral("zeitMs"), run.runTimeMs},
                                {QStringLiteral("zeit"), ResultTimeText(run.runTimeMs, false)},
                                {QStringLiteral("status"), RunStatusText(run.status)},
                                {QStringLiteral("pylonen"), run.cones},
                                {QStringLiteral("aufgaben"), run.skippedTasks}});
    QJsonArray starters;
    for (const DriverResult& d : input.scoring.drivers)
        starters.append(EntryJson(d.entry));
    const QJsonObject root{
        {QStringLiteral("version"), static_cast<qint64>(version)},
        {QStringLiteral("veranstaltung"), input.scoring.rules.title},
        {QStringLiteral("datum"), input.scoring.rules.date.toString(Qt::ISODate)},
        {QStringLiteral("stand"), input.posting.official ? QStringLiteral("offiziell") : QStringLiteral("vorläufig")},
        {QStringLiteral("strecke"), lanes},
        {QStringLiteral("letzteLaeufe"), last},
        {QStringLiteral("wertung"), PagesJson(results)},
        {QStringLiteral("starter"), starters}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

} // namespace

const QByteArray& LiveSnapshot::Script()
{
    return kScript;
}

std::shared_ptr<const LiveSnapshot> LiveSnapshot::Build(const LiveInput& input, std::uint64_t version)
{
    auto s = std::make_shared<LiveSnapshot>();
    s->version_ = version;
    s->etag_ = "\"v" + QByteArray::number(static_cast<qulonglong>(version)) + '"';
    const ResultLists lists(input.scoring, input.posting);
    const std::vector<ListPage> results = lists.Pages({ResultList::Classes, ResultList::Overall});
    const Names names(input.scoring);
    const QString title = input.scoring.rules.title.isEmpty() ? QStringLiteral("Live-Ergebnisse")
                                                              : input.scoring.rules.title;
    const QString bodies[3] = {
        TrackBody(input, names),
        ListsBody(results, QStringLiteral("Noch keine Wertung.")),
        ListsBody(lists.Pages({ResultList::StartList}), QStringLiteral("Noch keine Starter."))};
    for (int i = 0; i < 3; ++i) {
        const QString main = Main(input, lists, bodies[i], s->etag_);
        s->fragments_[i] = main.toUtf8();
        s->pages_[i] = WholePage(title, main);
    }
    s->json_ = JsonOf(input, results, version);
    return s;
}

std::shared_ptr<const LiveSnapshot> LiveSnapshot::Empty()
{
    return Build(LiveInput{}, 0);
}
