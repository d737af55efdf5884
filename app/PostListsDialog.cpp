#include "PostListsDialog.h"

#include "EventBook.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString ListName(ResultList list)
{
    switch (list) {
    case ResultList::Classes: return QStringLiteral("Klassenwertung");
    case ResultList::Overall: return QStringLiteral("Gesamtwertung");
    case ResultList::Teams: return QStringLiteral("Teamwertung");
    case ResultList::StartList: return QStringLiteral("Starterliste");
    }
    return QString();
}

} // namespace

PostListsDialog::PostListsDialog(EventBook* book, QWidget* parent)
    : QDialog(parent), book_(book)
{
    setObjectName(QStringLiteral("PostListsDialog"));
    setWindowTitle(QStringLiteral("Listen zum Aushang"));

    auto* which = new QGroupBox(QStringLiteral("Listen"), this);
    classes_ = new QCheckBox(QStringLiteral("&Klassenwertung (je Klasse eine Seite)"), which);
    overall_ = new QCheckBox(QStringLiteral("&Gesamtwertung mit Tagesbestzeit"), which);
    teams_ = new QCheckBox(QStringLiteral("&Teamwertung"), which);
    startList_ = new QCheckBox(QStringLiteral("&Starterliste"), which);
    classes_->setChecked(true);
    overall_->setChecked(true);
    teams_->setEnabled(book_->Rules().teams);
    teams_->setChecked(book_->Rules().teams);
    auto* whichLayout = new QVBoxLayout(which);
    for (QCheckBox* box : {classes_, overall_, teams_, startList_})
        whichLayout->addWidget(box);

    auto* mark = new QGroupBox(QStringLiteral("Aushang"), this);
    provisional_ = new QRadioButton(QStringLiteral("&vorläufig"), mark);
    official_ = new QRadioButton(QStringLiteral("&offiziell (wird so in der Veranstaltung festgehalten)"), mark);
    provisional_->setChecked(true);
    auto* markLayout = new QVBoxLayout(mark);
    markLayout->addWidget(provisional_);
    markLayout->addWidget(official_);

    auto* buttons = new QGridLayout;
    auto add = [&](const QString& text, int row, int column, auto slot) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b, row, column);
        return b;
    };
    add(QStringLiteral("&Drucken…"), 0, 0, [this] { Print(); })->setDefault(true);
    add(QStringLiteral("Vorsc&hau…"), 0, 1, [this] { Preview(); });
    add(QStringLiteral("&PDF…"), 1, 0, [this] { SaveAs(Format::Pdf); });
    add(QStringLiteral("HT&ML…"), 1, 1, [this] { SaveAs(Format::Html); });
    add(QStringLiteral("&xlsx…"), 1, 2, [this] { SaveAs(Format::Xlsx); });
    add(QStringLiteral("Schließen"), 0, 2, [this] { accept(); });

    message_ = new QLabel(this);
    message_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(which);
    layout->addWidget(mark);
    layout->addLayout(buttons);
    layout->addWidget(message_);

    ChooseFile = [this](const QString& filter, const QString& suffix) {
        const EventRules& rules = book_->Rules();
        const QString name = QStringLiteral("%1 %2.%3")
                                 .arg(rules.date.toString(QStringLiteral("yyyy-MM-dd")), rules.title, suffix);
        return QFileDialog::getSaveFileName(this, QStringLiteral("Listen speichern"),
                                            QDir::home().filePath(name), filter);
    };
}

std::vector<ResultList> PostListsDialog::Chosen() const
{
    std::vector<ResultList> lists;
    if (classes_->isChecked())
        lists.push_back(ResultList::Classes);
    if (overall_->isChecked())
        lists.push_back(ResultList::Overall);
    if (teams_->isChecked() && teams_->isEnabled())
        lists.push_back(ResultList::Teams);
    if (startList_->isChecked())
        lists.push_back(ResultList::StartList);
    return lists;
}

bool PostListsDialog::Official() const
{
    return official_->isChecked();
}

void PostListsDialog::SetOfficial(bool official)
{
    (official ? official_ : provisional_)->setChecked(true);
}

ResultLists PostListsDialog::Lists() const
{
    const QVector<Entry>& entries = book_->Entries();
    return ResultLists(ScoreEvent(book_->Rules(), std::vector<Entry>(entries.cbegin(), entries.cend()), book_->Runs()),
                       Posting{Official(), QDateTime::currentDateTime()});
}

// What went out is kept as it went out; an official list is final in the book.
void PostListsDialog::KeepPosted(const ResultLists& lists)
{
    for (ResultList list : Chosen())
        book_->PostList(ListName(list), Official(), lists.Html({list}));
}

void PostListsDialog::Print()
{
    if (Chosen().empty())
        return ShowMessage(QStringLiteral("Bitte mindestens eine Liste wählen."), true);
    const ResultLists lists = Lists();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(lists.Orientation());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Listen drucken"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!lists.Print(printer, Chosen()))
        return ShowMessage(QStringLiteral("Der Drucker ließ sich nicht starten."), true);
    KeepPosted(lists);
    ShowMessage(QStringLiteral("Gedruckt (%1).").arg(Official() ? QStringLiteral("offiziell") : QStringLiteral("vorläufig")),
                false);
}

void PostListsDialog::Preview()
{
    if (Chosen().empty())
        return ShowMessage(QStringLiteral("Bitte mindestens eine Liste wählen."), true);
    const ResultLists lists = Lists();
    const std::vector<ResultList> chosen = Chosen();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(lists.Orientation());
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Vorschau"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&lists, &chosen](QPrinter* p) { lists.Print(*p, chosen); });
    preview.resize(1000, 760);
    // Printing from the preview posts the lists, as printing does.
    if (preview.exec() == QDialog::Accepted)
        KeepPosted(lists);
}

void PostListsDialog::SaveAs(Format format)
{
    if (Chosen().empty())
        return ShowMessage(QStringLiteral("Bitte mindestens eine Liste wählen."), true);
    const QString path = format == Format::Pdf    ? ChooseFile(QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"))
                         : format == Format::Html ? ChooseFile(QStringLiteral("Webseite (*.html)"), QStringLiteral("html"))
                                                  : ChooseFile(QStringLiteral("Arbeitsmappe (*.xlsx)"), QStringLiteral("xlsx"));
    if (!path.isEmpty())
        Save(format, path);
}

bool PostListsDialog::Save(Format format, const QString& path)
{
    const ResultLists lists = Lists();
    QString error;
    const bool ok = format == Format::Pdf    ? lists.WritePdf(path, Chosen(), &error)
                    : format == Format::Html ? lists.WriteHtml(path, Chosen(), &error)
                                             : lists.WriteXlsx(path, Chosen(), &error);
    if (!ok) {
        ShowMessage(error, true);
        return false;
    }
    KeepPosted(lists);
    ShowMessage(QStringLiteral("Gespeichert: %1 (%2).")
                    .arg(QDir::toNativeSeparators(path),
                         Official() ? QStringLiteral("offiziell") : QStringLiteral("vorläufig")),
                false);
    return true;
}

QString PostListsDialog::Message() const
{
    return message_->text();
}

void PostListsDialog::ShowMessage(const QString& text, bool problem)
{
    message_->setStyleSheet(problem ? QStringLiteral("color: #b00000; font-weight: bold;") : QString());
    message_->setText(text);
}
