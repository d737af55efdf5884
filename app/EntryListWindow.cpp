#include "EntryListWindow.h"

#include "ButtonKey.h"
#include "EntryImport.h"
#include "EntryImportDialog.h"
#include "EntryListModel.h"
#include "EventBook.h"
#include "Scoring.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The table's keys: Enter moves on, digits in the Nr. column search.
class EntryTableView : public QTableView
{
public:
    EntryTableView(EntryListModel* model, QWidget* parent) : QTableView(parent), model_(model) {}

    std::function<void(const QString& digit)> OnNumberTyped;
    std::function<void()> OnDelete;

    void MoveOn()
    {
        const QModelIndex at = currentIndex();
        if (!at.isValid())
            return;
        int row = at.row();
        int column = at.column() + 1;
        if (column >= model()->columnCount()) {
            column = 0;
            row = std::min(row + 1, model()->rowCount() - 1);
        }
        setCurrentIndex(model()->index(row, column));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const QModelIndex at = currentIndex();
        if (state() != EditingState) {
            if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
                MoveOn();
                return;
            }
            if (event->key() == Qt::Key_Delete && OnDelete) {
                OnDelete();
                return;
            }
            const bool digit = event->text().size() == 1 && event->text().at(0).isDigit();
            if (digit && at.column() == EntryListModel::Number && !model_->IsDraft(at.row()) && OnNumberTyped &&
                (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                OnNumberTyped(event->text());
                return;
            }
        }
        QTableView::keyPressEvent(event);
    }

    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        // The delegate ends an edit by Enter with this hint.
        if (hint == QAbstractItemDelegate::SubmitModelCache) {
            QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
            MoveOn();
            return;
        }
        QTableView::closeEditor(editor, hint);
    }

private:
    EntryListModel* model_;
};

} // namespace

EntryListWindow::EntryListWindow(EventBook* book, QWidget* parent)
    : QWidget(parent, Qt::Window), book_(book)
{
    setObjectName(QStringLiteral("EntryListWindow"));
    setWindowTitle(QStringLiteral("Starterliste"));
    model_ = new EntryListModel(book_, this);

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("Nr. suchen (Strg+F)"));
    search_->setMaximumWidth(180);
    connect(search_, &QLineEdit::textEdited, this, &EntryListWindow::SearchEdited);
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        search_->clear();
        table_->setFocus();
    });
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, search_, [this] {
        search_->setFocus();
        search_->selectAll();
    });
    addAction(find);

    auto* view = new EntryTableView(model_, this);
    view->setModel(model_);
    view->setObjectName(QStringLiteral("entries"));
    view->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::DoubleClicked);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->setColumnWidth(EntryListModel::Number, 60);
    view->setColumnWidth(EntryListModel::Name, 140);
    view->setColumnWidth(EntryListModel::FirstName, 110);
    view->setColumnWidth(EntryListModel::Car, 150);
    view->setColumnWidth(EntryListModel::ClassName, 70);
    view->setColumnWidth(EntryListModel::Club, 170);
    view->OnNumberTyped = [this](const QString& digit) {
        search_->setFocus();
        search_->setText(digit);
        SearchEdited(digit);
    };
    view->OnDelete = [this] { RemoveCurrent(); };
    table_ = view;

    auto button = [this](const QString& text, const QKeySequence& key, auto slot) {
        auto* b = new QPushButton(text, this);
        if (!key.isEmpty())
            SetButtonKey(b, key);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    auto* top = new QHBoxLayout;
    top->addWidget(search_);
    top->addStretch();
    top->addWidget(button(QStringLiteral("Neuer Starter"), QKeySequence(Qt::Key_Insert), [this] { AddEntry(); }));
    top->addWidget(button(QStringLiteral("Entfernen"), QKeySequence(), [this] { RemoveCurrent(); }));
    top->addWidget(button(QStringLiteral("Rückgängig"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] {
        if (!book_->UndoLast())
            ShowMessage(QStringLiteral("Es gibt nichts rückgängig zu machen."), false);
    }));
    top->addWidget(button(QStringLiteral("Importieren…"), QKeySequence(Qt::CTRL | Qt::Key_I), [this] { Import(); }));
    top->addWidget(button(QStringLiteral("Veranstaltung…"), QKeySequence(Qt::CTRL | Qt::Key_E),
                          [this] { Q_EMIT EventWanted(); }));

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("message"));
    message_->setWordWrap(true);
    message_->setText(QStringLiteral("Enter: nächstes Feld · Ziffern in der Spalte Nr.: Starter suchen · "
                                     "Einfg: neuer Starter · Entf: entfernen"));
    connect(model_, &EntryListModel::Refused, this, [this](const QString& why) { ShowMessage(why, true); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addWidget(message_);
    resize(900, 560);

    ChooseImportFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Starterliste importieren"), QString(),
                                            QStringLiteral("Starterlisten (*.csv *.txt *.xlsx);;Alle Dateien (*)"));
    };
    AskYesNo = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    MapColumns = [](EntryImportDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
}

QString EntryListWindow::Message() const
{
    return message_->text();
}

void EntryListWindow::ShowMessage(const QString& text, bool problem)
{
    message_->setStyleSheet(problem ? QStringLiteral("color: #b00000; font-weight: bold;") : QString());
    message_->setText(text);
}

void EntryListWindow::SearchEdited(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (ok)
        FindNumber(number);
}

bool EntryListWindow::FindNumber(int number)
{
    const int row = model_->RowOf(number);
    if (row < 0) {
        ShowMessage(QStringLiteral("Nr. %1 steht nicht in der Starterliste.").arg(number), true);
        return false;
    }
    const int column = std::max(0, table_->currentIndex().column());
    table_->setCurrentIndex(model_->index(row, column));
    table_->scrollTo(model_->index(row, column));
    ShowMessage(QStringLiteral("Nr. %1: %2").arg(number).arg(DriverName(*model_->EntryAt(row))), false);
    return true;
}

void EntryListWindow::AddEntry()
{
    const int row = model_->AddDraft();
    table_->setFocus();
    table_->setCurrentIndex(model_->index(row, EntryListModel::Number));
    table_->scrollTo(table_->currentIndex());
    ShowMessage(QStringLiteral("Neuer Starter: Nr. und Klasse eintragen, dann ist er gespeichert."), false);
}

void EntryListWindow::RemoveCurrent()
{
    const int row = table_->currentIndex().row();
    const Entry* entry = model_->EntryAt(row);
    if (!entry)
        return;
    if (!model_->IsDraft(row) &&
        !AskYesNo(QStringLiteral("Nr. %1 (%2) aus der Starterliste entfernen?").arg(entry->number).arg(DriverName(*entry))))
        return;
    model_->RemoveRow(row);
}

void EntryListWindow::Import()
{
    const QString path = ChooseImportFile();
    if (path.isEmpty())
        return;
    const EntryImportResult result = ImportEntries(path);
    QList<Entry> entries = result.entries;
    if (result.status == EntryImportResult::Status::Failed) {
        ShowMessage(result.error, true);
        return;
    }
    if (result.status == EntryImportResult::Status::NeedsMapping) {
        EntryImportDialog dialog(result.table, result.mapping, this);
        if (!MapColumns(dialog))
            return;
        entries = dialog.Entries();
    }
    const QString file = QFileInfo(path).fileName();
    if (!book_->Entries().isEmpty() &&
        !AskYesNo(QStringLiteral("Die Starterliste (%1 Starter) durch die %2 Starter aus „%3“ ersetzen?")
                      .arg(book_->Entries().size())
                      .arg(entries.size())
                      .arg(file)))
        return;
    if (!book_->ReplaceEntries(entries)) {
        ShowMessage(QStringLiteral("Die Starterliste aus „%1“ wurde nicht übernommen.").arg(file), true);
        return;
    }
    ShowMessage(QStringLiteral("%1 Starter aus „%2“ übernommen.").arg(entries.size()).arg(file), false);
}
