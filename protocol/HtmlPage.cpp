#include "HtmlPage.h"

#include "TextCodec.h"

#include <QStringList>

namespace {

// The maker's name in its three colours, and the two addresses of the page.
const QString kMakerPieces[3][2] = {{"#FF0000", "Quin"}, {"#009900", "ta"}, {"#999999", "ro"}};
const QString kDesignerAddress = QStringLiteral("https://webdesign.example.org/");
const QString kSoftwareAddress = QStringLiteral("https://www.example.org/software/");

QString EscapeHtml(const QString& text)
{
    QString html;
    html.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'&')
            html += QStringLiteral("&amp;");
        else if (c == u'<')
            html += QStringLiteral("&lt;");
        else if (c == u'>')
            html += QStringLiteral("&gt;");
        else if (c == u'"')
            html += QStringLiteral("&quot;");
        else if (c.unicode() < 0x80 || EncodeWindows1252(QString(c)) != "?")
            html += c;
        else {
            // Beyond the code page: a character reference instead of a "?".
            char32_t code = c.unicode();
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                code = QChar::surrogateToUcs4(c, text[++i]);
            html += QStringLiteral("&#%1;").arg(static_cast<uint>(code));
        }
    }
    return html;
}

QString CellHtml(QString cell)
{
    const qsizetype comma = cell.indexOf(u',');
    if (comma >= 0)
        cell[comma] = u'.';
    return EscapeHtml(cell);
}

} // namespace

QByteArray HtmlPageBytes(const ProtocolRows& rows, const QString& title)
{
    const QString t = EscapeHtml(title);
    const ProtocolRow header = rows.empty() ? ProtocolRow() : rows.front();
    QStringList lines = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("<!--Quintaro software -->"),
        QStringLiteral("<TITLE>Zeitenprotokoll ") + t + QStringLiteral("</TITLE>"),
        QStringLiteral("<META name=keywords content=\"slalom, Zeitenprotokoll, stopwatch, stopuhr, ") + t +
            QStringLiteral("\">"),
        QStringLiteral("<META name=description content=\"Quintaro professional software development for all\">"),
        QStringLiteral("<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"),
        QStringLiteral("<META name=\"Webdesign\" content=\"") + kDesignerAddress + QStringLiteral("\">"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<STYLE type=text/css>"),
        QStringLiteral(" body {font-family: Arial}"),
        QStringLiteral(" pre  {padding-left: 36px}"),
        QStringLiteral(".de   {line-height: 4px; width: 28px}"),
        QStringLiteral("</STYLE>"),
        QStringLiteral("<BODY bgcolor=#FFFFFF text=#000000>"),
        QStringLiteral("<DIV style=\"FILTER: Blur(direction=225, strength=6); WIDTH:100%\"><H2>&nbsp;") + t +
            QStringLiteral("</H2>"),
        QStringLiteral("</div>"),
        QStringLiteral("<H4>Zeitenprotokoll</H4>"),
        QStringLiteral("<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF borderColor=#808080 border=1 "
                       "cellpadding=4 width=100%>"),
        QStringLiteral("<colgroup valign=top> <col align=right> <col align=right> <col align=right> <col align=right> "
                       "<col align=right> <col align=right> <col align=right> </colgroup>"),
        QStringLiteral("<thead align=left bgcolor=#91B5FF>"),
        QStringLiteral("<tr>"),
    };
    const char* widths[6] = {"10", "20", "20", "20", "15", "15"};
    for (int c = 0; c < 6; ++c)
        lines.append(QStringLiteral("<th width=%1%>").arg(QLatin1String(widths[c])) + EscapeHtml(header[c]));
    lines.append(QStringLiteral("</tr></thead>"));
    for (std::size_t r = 1; r < rows.size(); ++r) {
        QString line = QStringLiteral("<tr>");
        for (const QString& cell : rows[r])
            line += QStringLiteral("<td>") + CellHtml(cell);
        lines.append(line + QStringLiteral("</tr>"));
    }
    lines.append(QStringLiteral("</table>"));
    QString maker;
    for (const auto& piece : kMakerPieces)
        maker += QStringLiteral("<FONT color=%1>%2</FONT>").arg(piece[0], piece[1]);
    lines.append(QStringLiteral("</table><P align=right><a href=\"") + kSoftwareAddress + QStringLiteral("\" title=\"") +
                 t + QStringLiteral("\">") + maker +
                 QStringLiteral("<FONT color=#666600>&nbsp; Sport Software </FONT>&gt;&gt;</A></P></body></html>"));
    return EncodeWindows1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

bool WriteHtmlPage(const QString& path, const ProtocolRows& rows, const QString& title, QString* error)
{
    return WriteFileAtomically(path, HtmlPageBytes(rows, title), error);
}
