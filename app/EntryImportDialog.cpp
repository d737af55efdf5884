#include "EntryImportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPreviewRows = 5;

// Columns are named as a spreadsheet names them: A, B, ..., Z, AA.
QString ColumnLetters(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

} // namespace

EntryImportDialog::EntryImportDialog(const EntryTable& table, const ColumnMapping& guess, QWidget* parent)
    : QDialog(parent), table_(table), headerRow_(guess.headerRow)
{
    setWindowTitle(QStringLiteral("Spalten zuordnen"));
    const int firstRow = headerRow_ + 1;
    const int lastRow = std::min<int>(table_.rows.size(), firstRow + kPreviewRows);
    const QStringList header = headerRow_ < table_.rows.size() ? table_.rows.at(headerRow_).cells : QStringList();
    int columns = header.size();
    for (int r = firstRow; r < lastRow; ++r)
        columns = std::max<int>(columns, table_.rows.at(r).cells.size());

    auto* intro = new QLabel(QStringLiteral("Nicht alle Spalten der Datei wurden erkannt. Bitte für jedes Feld die "
                                            "Spalte wählen (Nr., Name und Klasse sind nötig)."),
                             this);
    intro->setWordWrap(true);

    auto* preview = new QTableWidget(lastRow - firstRow, columns, this);
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles << ColumnLetters(c) + u'\n' + header.value(c);
    preview->setHorizontalHeaderLabels(titles);
    QStringList lines;
    for (int r = firstRow; r < lastRow; ++r) {
        lines << QString::number(table_.rows.at(r).line);
        const QStringList& cells = table_.rows.at(r).cells;
        for (int c = 0; c < cells.size(); ++c)
            preview->setItem(r - firstRow, c, new QTableWidgetItem(cells.at(c)));
    }
    preview->setVerticalHeaderLabels(lines);
    preview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* form = new QFormLayout;
    for (int f = 0; f < kEntryFieldCount; ++f) {
        auto* box = new QComboBox(this);
        box->addItem(QStringLiteral("(keine)"), -1);
        for (int c = 0; c < columns; ++c)
            box->addItem(QStringLiteral("%1: %2").arg(ColumnLetters(c), header.value(c)), c);
        box->setCurrentIndex(std::max(0, box->findData(guess.columns[f])));
        const auto field = EntryField(f);
        form->addRow(EntryFieldText(field) + (IsRequiredEntryField(field) ? QStringLiteral(" *") : QString()), box);
        boxes_[f] = box;
    }

    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("color: #b00000;"));
    message_->hide();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Übernehmen"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &EntryImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EntryImportDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(preview);
    layout->addLayout(form);
    layout->addWidget(message_);
    layout->addWidget(buttons);
    resize(std::max(sizeHint().width(), 640), sizeHint().height());
}

ColumnMapping EntryImportDialog::Mapping() const
{
    ColumnMapping mapping;
    mapping.headerRow = headerRow_;
    for (int f = 0; f < kEntryFieldCount; ++f)
        mapping.columns[f] = boxes_[f]->currentData().toInt();
    return mapping;
}

void EntryImportDialog::accept()
{
    QString error;
    if (!ApplyColumnMapping(table_, Mapping(), &entries_, &error)) {
        message_->setText(error);
        message_->show();
        return;
    }
    QDialog::accept();
}
