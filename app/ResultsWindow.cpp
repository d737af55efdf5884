#include "ResultsWindow.h"

#include "ButtonKey.h"
#include "EventBook.h"
#include "TimeText.h"

#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kLatestRuns = 30;
const QString kDisqualified = QStringLiteral("Disqualifiziert");

// The status choices: "disqualifiziert" is an n.g. run with that reason.
enum StatusChoice { ChoiceValid, ChoiceInvalid, ChoiceDisqualified, ChoiceDNF, ChoiceDNS };

int ChoiceOf(const RunRecord& run)
{
    switch (run.status) {
    case RunStatus::Valid: return ChoiceValid;
    case RunStatus::Invalid: return run.reason == kDisqualified ? ChoiceDisqualified : ChoiceInvalid;
    case RunStatus::DNF: return ChoiceDNF;
    case RunStatus::DNS: return ChoiceDNS;
    }
    return ChoiceValid;
}

RunStatus StatusOf(int choice)
{
    switch (choice) {
    case ChoiceInvalid:
    case ChoiceDisqualified: return RunStatus::Invalid;
    case ChoiceDNF: return RunStatus::DNF;
    case ChoiceDNS: return RunStatus::DNS;
    default: return RunStatus::Valid;
    }
}

QString StatusText(const RunRecord& run)
{
    if (run.voided)
        return QStringLiteral("Unfall (ersetzt)");
    if (run.replaced)
        return QStringLiteral("ersetzt");
    if (ChoiceOf(run) == ChoiceDisqualified)
        return QStringLiteral("disqualifiziert");
    return run.status == RunStatus::Valid ? QStringLiteral("gültig") : RunStatusText(run.status);
}

QString KindText(const RunRecord& run)
{
    return (run.kind == RunKind::Training ? QStringLiteral("Training %1") : QStringLiteral("Lauf %1")).arg(run.index);
}

// What the run now counts as, so a status set in the panel is confirmed too.
QString PenaltyText(const RunRecord& run)
{
    QString text = QStringLiteral("Nr. %1, %2: %3 Pylonen, %4 ausgelassen")
                       .arg(run.number)
                       .arg(KindText(run))
                       .arg(run.cones)
                       .arg(run.skippedTasks);
    if (run.status != RunStatus::Valid)
        text += QStringLiteral(", ") + StatusText(run);
    if (!run.reason.isEmpty() && ChoiceOf(run) != ChoiceDisqualified)
        text += QStringLiteral(" – ") + run.reason;
    return text + QLatin1Char('.');
}

QTableWidgetItem* Item(const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(align);
    return item;
}

// A cell of a list: its text, and the raw time and penalty (or reason) under it.
QString CellText(const ListCell& cell)
{
    return cell.note.isEmpty() ? cell.text : cell.text + u'\n' + cell.note;
}

int NumberColumn(const ListPage& page)
{
    for (std::size_t c = 0; c < page.columns.size(); ++c)
        if (page.columns[c].title == QStringLiteral("Nr."))
            return int(c);
    return -1;
}

} // namespace

ResultsWindow::ResultsWindow(EventBook* book, QWidget* parent)
    : QWidget(parent, Qt::Window), book_(book)
{
    setObjectName(QStringLiteral("ResultsWindow"));
    setWindowTitle(QStringLiteral("Wertung"));

    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("list"));
    list_->setMinimumContentsLength(18);
    auto* listLabel = new QLabel(QStringLiteral("&Liste:"), this);
    listLabel->setBuddy(list_);
    auto* post = new QPushButton(QStringLiteral("Listen…"), this);
    SetButtonKey(post, QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(post, &QPushButton::clicked, this, &ResultsWindow::ListsWanted);
    auto* undo = new QPushButton(QStringLiteral("Rückgängig"), this);
    SetButtonKey(undo, QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo, &QPushButton::clicked, this, &ResultsWindow::Undo);
    auto* latest = new QPushButton(QStringLiteral("Letzte Läufe"), this);
    SetButtonKey(latest, QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(latest, &QPushButton::clicked, this, &ResultsWindow::ShowLatestRuns);
    auto* event = new QPushButton(QStringLiteral("Veranstaltung…"), this);
    SetButtonKey(event, QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(event, &QPushButton::clicked, this, &ResultsWindow::EventWanted);
    auto* live = new QPushButton(QStringLiteral("Live-Ergebnisse…"), this);
    live->setObjectName(QStringLiteral("live"));
    connect(live, &QPushButton::clicked, this, &ResultsWindow::LiveWanted);
    auto* top = new QHBoxLayout;
    top->addWidget(listLabel);
    top->addWidget(list_);
    top->addStretch();
    top->addWidget(latest);
    top->addWidget(undo);
    top->addWidget(post);
    top->addWidget(event);
    top->addWidget(live);

    standings_ = new QTableWidget(this);
    standings_->setObjectName(QStringLiteral("standings"));
    standings_->setSelectionBehavior(QAbstractItemView::SelectRows);
    standings_->setSelectionMode(QAbstractItemView::SingleSelection);
    standings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    standings_->verticalHeader()->hide();
    standings_->setWordWrap(true);
    standings_->installEventFilter(this);
    fastest_ = new QLabel(this);
    fastest_->setObjectName(QStringLiteral("fastest"));

    runsTitle_ = new QLabel(this);
    runs_ = new QTableWidget(0, 10, this);
    runs_->setObjectName(QStringLiteral("runs"));
    runs_->setHorizontalHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Lauf"),
                                      QStringLiteral("Zeit"), QStringLiteral("Pylonen"),
                                      QStringLiteral("Ausgelassen"), QStringLiteral("Status"),
                                      QStringLiteral("Grund"), QStringLiteral("Quelle"), QStringLiteral("Uhrzeit")});
    runs_->setSelectionBehavior(QAbstractItemView::SelectRows);
    runs_->setSelectionMode(QAbstractItemView::SingleSelection);
    runs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    runs_->verticalHeader()->hide();
    runs_->horizontalHeader()->setStretchLastSection(true);
    runs_->installEventFilter(this);

    auto* lower = new QWidget(this);
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    auto* runsBox = new QVBoxLayout;
    runsBox->addWidget(runsTitle_);
    runsBox->addWidget(runs_);
    lowerLayout->addLayout(runsBox, 1);
    lowerLayout->addWidget(BuildPanel());

    auto* upper = new QWidget(this);
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(standings_, 1);
    upperLayout->addWidget(fastest_);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(upper);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(message_);
    resize(1180, 760);

    connect(list_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            FillStandings();
    });
    connect(standings_, &QTableWidget::itemSelectionChanged, this, &ResultsWindow::StandingSelected);
    connect(runs_, &QTableWidget::itemSelectionChanged, this, &ResultsWindow::LoadPanel);
    connect(book_, &EventBook::Changed, this, &ResultsWindow::Refresh);
    Refresh();
}

QWidget* ResultsWindow::BuildPanel()
{
    auto* box = new QGroupBox(QStringLiteral("Gewählter Lauf"), this);
    cones_ = new QSpinBox(box);
    cones_->setRange(0, 99);
    skipped_ = new QSpinBox(box);
    skipped_->setRange(0, 99);
    status_ = new QComboBox(box);
    status_->setObjectName(QStringLiteral("status"));
    status_->addItems({QStringLiteral("gültig"), QStringLiteral("n.g."), QStringLiteral("disqualifiziert"),
                       QStringLiteral("DNF"), QStringLiteral("DNS")});
    reason_ = new QComboBox(box);
    reason_->setEditable(true);
    reason_->addItems({QString(), QStringLiteral("Ziel verfehlt"), QStringLiteral("Tor verfehlt"), kDisqualified,
                       QStringLiteral("Fahrzeug defekt")});
    reason_->setInsertPolicy(QComboBox::NoInsert);
    kind_ = new QComboBox(box);
    kind_->addItems({QStringLiteral("Training"), QStringLiteral("Wertung")});
    auto* apply = new QPushButton(QStringLiteral("Ü&bernehmen"), box);
    connect(apply, &QPushButton::clicked, this, &ResultsWindow::ApplyPanel);
    connect(status_, &QComboBox::activated, this, [this](int choice) {
        if (choice == ChoiceDisqualified)
            reason_->setCurrentText(kDisqualified);
    });

    auto* form = new QFormLayout(box);
    auto row = [&](const QString& label, QWidget* field) {
        auto* l = new QLabel(label, box);
        l->setBuddy(field);
        form->addRow(l, field);
    };
    row(QStringLiteral("&Pylonen (Ziffer):"), cones_);
    row(QStringLiteral("&Ausgelassen (Alt+Ziffer):"), skipped_);
    row(QStringLiteral("&Status:"), status_);
    row(QStringLiteral("&Grund:"), reason_);
    row(QStringLiteral("A&rt:"), kind_);
    form->addRow(QString(), apply);

    handNumber_ = new QSpinBox(box);
    handNumber_->setRange(1, 9999);
    handNumber_->setObjectName(QStringLiteral("handNumber"));
    handTime_ = new QLineEdit(box);
    handTime_->setObjectName(QStringLiteral("handTime"));
    handTime_->setPlaceholderText(QStringLiteral("1.05,12"));
    auto* add = new QPushButton(QStringLiteral("Lauf &eintragen"), box);
    connect(add, &QPushButton::clicked, this, &ResultsWindow::AddTypedRun);
    connect(handTime_, &QLineEdit::returnPressed, this, &ResultsWindow::AddTypedRun);
    row(QStringLiteral("Handzeit &Nr.:"), handNumber_);
    row(QStringLiteral("Handzeit &Zeit:"), handTime_);
    form->addRow(QString(), add);
    return box;
}

void ResultsWindow::Refresh()
{
    result_ = ScoreEvent(book_->Rules(), std::vector<Entry>(book_->Entries().cbegin(), book_->Entries().cend()),
                         book_->Runs());
    std::vector<ResultList> lists{ResultList::Classes, ResultList::Overall};
    if (book_->Rules().teams)
        lists.push_back(ResultList::Teams);
    pages_ = ResultLists(result_, Posting{false, QDateTime::currentDateTime()}).Pages(lists);

    const QString shown = list_->currentText();
    filling_ = true;
    list_->clear();
    for (const ListPage& page : pages_)
        list_->addItem(page.heading);
    const int keep = list_->findText(shown);
    list_->setCurrentIndex(keep >= 0 ? keep : 0);
    filling_ = false;
    FillStandings();

    QStringList lines;
    if (!result_.fastest.empty()) {
        QStringList holders;
        for (const FastestRun& f : result_.fastest) {
            const Entry& e = result_.drivers[std::size_t(f.driver)].entry;
            holders << QStringLiteral("Nr. %1 %2 (%3), Lauf %4").arg(e.number).arg(DriverName(e), e.className).arg(f.run);
        }
        lines << QStringLiteral("Tagesbestzeit: %1 – %2")
                     .arg(ResultTimeText(result_.fastest.front().scoredMs, result_.fastestInMs),
                          holders.join(QStringLiteral("; ")));
    }
    if (!result_.unknownNumbers.empty()) {
        QStringList numbers;
        for (int n : result_.unknownNumbers)
            numbers << QString::number(n);
        lines << QStringLiteral("Läufe unbekannter Startnummern (nicht in der Starterliste): Nr. %1")
                     .arg(numbers.join(QStringLiteral(", ")));
    }
    fastest_->setText(lines.join(u'\n'));
    FillRuns();
}

bool ResultsWindow::ShowList(const QString& heading)
{
    const int at = list_->findText(heading);
    if (at < 0)
        return false;
    list_->setCurrentIndex(at);
    return true;
}

void ResultsWindow::FillStandings()
{
    const int at = list_->currentIndex();
    filling_ = true;
    standings_->clearContents();
    standings_->setRowCount(0);
    if (at < 0 || at >= int(pages_.size())) {
        filling_ = false;
        return;
    }
    const ListPage& page = pages_[std::size_t(at)];
    standings_->setColumnCount(int(page.columns.size()));
    QStringList titles;
    for (const ListColumn& column : page.columns)
        titles << column.title;
    standings_->setHorizontalHeaderLabels(titles);
    const int numberColumn = NumberColumn(page);
    int selectRow = -1;
    int row = 0;
    for (std::size_t r = 0; r < page.rows.size(); ++r) {
        if (int(r) == page.unplacedFrom) {
            standings_->insertRow(row);
            auto* head = Item(QStringLiteral("ohne Wertung"));
            QFont bold = head->font();
            bold.setBold(true);
            head->setFont(bold);
            head->setFlags(Qt::ItemIsEnabled);
            standings_->setItem(row, 0, head);
            standings_->setSpan(row, 0, 1, int(page.columns.size()));
            ++row;
        }
        standings_->insertRow(row);
        int column = 0;
        for (const ListCell& cell : page.rows[r]) {
            const bool number = cell.kind != ListCell::Kind::Text;
            auto* item = Item(CellText(cell), number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
            if (column == numberColumn) {
                item->setData(Qt::UserRole, cell.number);
                if (cell.number == shownDriver_ && shownDriver_ > 0)
                    selectRow = row;
            }
            standings_->setItem(row, column, item);
            if (cell.span > 1)
                standings_->setSpan(row, column, 1, cell.span);
            column += cell.span;
        }
        ++row;
    }
    standings_->resizeColumnsToContents();
    standings_->resizeRowsToContents();
    if (selectRow >= 0)
        standings_->selectRow(selectRow);
    filling_ = false;
}

void ResultsWindow::StandingSelected()
{
    if (filling_)
        return;
    const int row = standings_->currentRow();
    const int at = list_->currentIndex();
    if (row < 0 || at < 0 || at >= int(pages_.size()))
        return;
    const int numberColumn = NumberColumn(pages_[std::size_t(at)]);
    const QTableWidgetItem* item = numberColumn >= 0 ? standings_->item(row, numberColumn) : nullptr;
    if (item && item->data(Qt::UserRole).toInt() > 0)
        ShowDriver(item->data(Qt::UserRole).toInt());
}

void ResultsWindow::ShowDriver(int number)
{
    shownDriver_ = number;
    SelectStanding(number);
    FillRuns();
    if (!shownRuns_.empty())
        SelectRun(shownRuns_.back());
}

void ResultsWindow::SelectStanding(int number)
{
    const int at = list_->currentIndex();
    const int numberColumn = at >= 0 && at < int(pages_.size()) ? NumberColumn(pages_[std::size_t(at)]) : -1;
    if (numberColumn < 0)
        return;
    filling_ = true;
    standings_->clearSelection();
    for (int row = 0; row < standings_->rowCount(); ++row) {
        const QTableWidgetItem* item = standings_->item(row, numberColumn);
        if (item && item->data(Qt::UserRole).toInt() == number) {
            standings_->selectRow(row);
            standings_->scrollToItem(item);
        }
    }
    filling_ = false;
}

void ResultsWindow::ShowLatestRuns()
{
    shownDriver_ = 0;
    FillRuns();
    if (!shownRuns_.empty())
        SelectRun(shownRuns_.front());
    runs_->setFocus();
}

void ResultsWindow::FillRuns()
{
    const std::int64_t selected = SelectedRun();
    std::vector<const RunRecord*> runs;
    for (const RunRecord& run : book_->Runs())
        if (shownDriver_ == 0 || run.number == shownDriver_)
            runs.push_back(&run);
    if (shownDriver_ == 0) {
        // The latest first, as they arrive.
        std::reverse(runs.begin(), runs.end());
        if (runs.size() > std::size_t(kLatestRuns))
            runs.resize(kLatestRuns);
        runsTitle_->setText(QStringLiteral("Letzte Läufe"));
    } else {
        const Entry* entry = book_->FindEntry(shownDriver_);
        runsTitle_->setText(QStringLiteral("Läufe von Nr. %1 %2")
                                .arg(shownDriver_)
                                .arg(entry ? DriverName(*entry) : QStringLiteral("(unbekannt)")));
    }

    filling_ = true;
    runs_->setRowCount(int(runs.size()));
    shownRuns_.clear();
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    for (int r = 0; r < int(runs.size()); ++r) {
        const RunRecord& run = *runs[std::size_t(r)];
        shownRuns_.push_back(run.id);
        const Entry* entry = book_->FindEntry(run.number);
        runs_->setItem(r, 0, Item(run.number > 0 ? QString::number(run.number) : run.rowNumber, right));
        runs_->setItem(r, 1, Item(entry ? DriverName(*entry) : QStringLiteral("unbekannt")));
        runs_->setItem(r, 2, Item(KindText(run)));
        runs_->setItem(r, 3, Item(FormatRunTime(run.runTimeMs), right));
        runs_->setItem(r, 4, Item(QString::number(run.cones), right));
        runs_->setItem(r, 5, Item(QString::number(run.skippedTasks), right));
        runs_->setItem(r, 6, Item(StatusText(run)));
        runs_->setItem(r, 7, Item(run.reason));
        runs_->setItem(r, 8, Item(run.source));
        runs_->setItem(r, 9, Item(run.stopClock.isEmpty() ? run.recorded.toString(QStringLiteral("HH:mm:ss"))
                                                           : run.stopClock));
        if (run.replaced)
            for (int c = 0; c < runs_->columnCount(); ++c)
                runs_->item(r, c)->setForeground(Qt::gray);
    }
    runs_->resizeColumnsToContents();
    filling_ = false;
    if (!SelectRun(selected))
        LoadPanel();
}

std::int64_t ResultsWindow::SelectedRun() const
{
    const int row = runs_->currentRow();
    return row >= 0 && row < int(shownRuns_.size()) && runs_->selectionModel()->isRowSelected(row, QModelIndex())
               ? shownRuns_[std::size_t(row)]
               : 0;
}

bool ResultsWindow::SelectRun(std::int64_t runId)
{
    const auto it = std::find(shownRuns_.cbegin(), shownRuns_.cend(), runId);
    if (runId == 0 || it == shownRuns_.cend())
        return false;
    runs_->selectRow(int(it - shownRuns_.cbegin()));
    LoadPanel();
    return true;
}

void ResultsWindow::LoadPanel()
{
    if (filling_)
        return;
    const RunRecord* run = book_->FindRun(SelectedRun());
    for (QWidget* field : std::initializer_list<QWidget*>{cones_, skipped_, status_, reason_, kind_})
        field->setEnabled(run != nullptr);
    if (!run)
        return;
    cones_->setValue(run->cones);
    skipped_->setValue(run->skippedTasks);
    status_->setCurrentIndex(ChoiceOf(*run));
    reason_->setCurrentText(run->reason);
    kind_->setCurrentIndex(run->kind == RunKind::Training ? 0 : 1);
}

void ResultsWindow::ApplyPenalty(int cones, int skipped, RunStatus status, const QString& reason)
{
    const std::int64_t id = SelectedRun();
    const RunRecord* run = book_->FindRun(id);
    if (!run) {
        ShowMessage(QStringLiteral("Bitte zuerst einen Lauf wählen."), true);
        return;
    }
    // A valid run keeps no reason: it would be printed under its time.
    if (!book_->SetPenalty(id, cones, skipped, status, status == RunStatus::Valid ? QString() : reason))
        ShowMessage(QStringLiteral("Die Strafe wurde nicht übernommen."), true);
    else if (const RunRecord* changed = book_->FindRun(id))
        ShowMessage(PenaltyText(*changed));
    SelectRun(id);
}

void ResultsWindow::SetCones(int cones)
{
    if (const RunRecord* run = book_->FindRun(SelectedRun()))
        ApplyPenalty(cones, run->skippedTasks, run->status, run->reason);
}

void ResultsWindow::SetSkippedTasks(int skipped)
{
    if (const RunRecord* run = book_->FindRun(SelectedRun()))
        ApplyPenalty(run->cones, skipped, run->status, run->reason);
}

void ResultsWindow::ApplyPanel()
{
    const std::int64_t id = SelectedRun();
    const RunRecord* run = book_->FindRun(id);
    if (!run) {
        ShowMessage(QStringLiteral("Bitte zuerst einen Lauf wählen."), true);
        return;
    }
    const RunKind kind = kind_->currentIndex() == 0 ? RunKind::Training : RunKind::Scored;
    const RunStatus status = StatusOf(status_->currentIndex());
    const QString reason = reason_->currentText().trimmed();
    if (kind != run->kind)
        book_->SetKind(id, kind);
    run = book_->FindRun(id);
    if (run && (run->cones != cones_->value() || run->skippedTasks != skipped_->value() || run->status != status ||
                (status != RunStatus::Valid && run->reason != reason)))
        ApplyPenalty(cones_->value(), skipped_->value(), status, reason);
    SelectRun(id);
}

void ResultsWindow::AddTypedRun()
{
    const std::optional<std::int32_t> ms = ReadRunTime(handTime_->text().trimmed());
    if (!ms || *ms <= 0) {
        ShowMessage(QStringLiteral("„%1“ ist keine Laufzeit. Bitte so eingeben: 1.05,12 oder 58,40.")
                        .arg(handTime_->text()),
                    true);
        handTime_->setFocus();
        return;
    }
    const int number = handNumber_->value();
    const std::int64_t id = book_->AddHandRun(number, *ms);
    if (id == 0) {
        ShowMessage(QStringLiteral("Der Lauf wurde nicht eingetragen: keine Veranstaltung geöffnet."), true);
        return;
    }
    handTime_->clear();
    ShowDriver(number);
    SelectRun(id);
    ShowMessage(QStringLiteral("Nr. %1: Handzeit %2 eingetragen.").arg(number).arg(FormatRunTime(*ms)));
}

void ResultsWindow::Undo()
{
    const std::int64_t id = SelectedRun();
    if (!book_->UndoLast()) {
        ShowMessage(QStringLiteral("Es gibt nichts rückgängig zu machen."));
        return;
    }
    const std::int64_t undoneBy = book_->Changes().back().id;
    for (const BookChange& change : book_->Changes())
        if (change.undoneBy == undoneBy)
            ShowMessage(QStringLiteral("Rückgängig gemacht: %1 (Nr. %2).").arg(change.what).arg(change.number));
    SelectRun(id);
}

QString ResultsWindow::Message() const
{
    return message_->text();
}

void ResultsWindow::ShowMessage(const QString& text, bool problem)
{
    message_->setStyleSheet(problem ? QStringLiteral("color: #b00000; font-weight: bold;") : QString());
    message_->setText(text);
}

bool ResultsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == standings_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // From a driver's line straight to his runs.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runs_->setFocus();
            return true;
        }
    }
    if (watched == runs_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9) {
            const int digit = key->key() - Qt::Key_0;
            if (mods == Qt::NoModifier) {
                SetCones(digit);
                return true;
            }
            if (mods == Qt::AltModifier) {
                SetSkippedTasks(digit);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
