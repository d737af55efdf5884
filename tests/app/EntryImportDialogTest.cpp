#include "EntryImportDialog.h"
#include "QtPrinters.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QPushButton* Button(QDialog& dialog, const QString& text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

EntryTable Table()
{
    return {{{1, {"Nr", "Fahrer Name", "Gruppe"}}, {2, {"7", "Abel", "A"}}, {4, {"8", "Bauer"}}}};
}

TEST(EntryImportDialog, ShowsTheColumnsAndAppliesTheChosenMapping)
{
    const EntryTable table = Table();
    EntryImportDialog dialog(table, GuessColumnMapping(table));
    dialog.show();

    const auto* preview = dialog.findChild<QTableWidget*>();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->horizontalHeaderItem(1)->text(), QStringLiteral("B\nFahrer Name"));
    EXPECT_EQ(preview->verticalHeaderItem(1)->text(), QStringLiteral("4")); // the file's line
    EXPECT_EQ(preview->item(0, 2)->text(), QStringLiteral("A"));

    const QList<QComboBox*> boxes = dialog.findChildren<QComboBox*>();
    ASSERT_EQ(boxes.size(), kEntryFieldCount);
    EXPECT_EQ(boxes[0]->currentText(), QStringLiteral("A: Nr")); // recognised, preselected
    EXPECT_EQ(boxes[1]->currentText(), QStringLiteral("(keine)"));
    boxes[int(EntryField::Name)]->setCurrentIndex(2);
    boxes[int(EntryField::ClassName)]->setCurrentIndex(3);

    // Bauer has no class: the message stays in the dialog, nothing is taken.
    Button(dialog, QStringLiteral("Übernehmen"))->click();
    EXPECT_TRUE(dialog.isVisible());
    const auto labels = dialog.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QLabel* l) {
        return l->isVisible() && l->text() == QStringLiteral("Zeile 4: Die Klasse fehlt (Startnummer 8).");
    }));
    EXPECT_TRUE(dialog.Entries().isEmpty());

    EXPECT_EQ(dialog.Mapping().columns, (std::array<int, kEntryFieldCount>{0, 1, -1, -1, 2, -1, -1}));
}

TEST(EntryImportDialog, TakesEveryEntryOrNone)
{
    EntryTable table = Table();
    table.rows[2].cells << QStringLiteral("B");
    EntryImportDialog dialog(table, GuessColumnMapping(table));
    const QList<QComboBox*> boxes = dialog.findChildren<QComboBox*>();
    boxes[int(EntryField::Name)]->setCurrentIndex(2);
    boxes[int(EntryField::ClassName)]->setCurrentIndex(3);
    Button(dialog, QStringLiteral("Übernehmen"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.Entries().size(), 2);
    EXPECT_EQ(dialog.Entries()[1].name, QStringLiteral("Bauer"));
    EXPECT_EQ(dialog.Entries()[1].className, QStringLiteral("B"));

    EntryImportDialog cancelled(table, GuessColumnMapping(table));
    Button(cancelled, QStringLiteral("Abbrechen"))->click();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled.Entries().isEmpty());
}

} // namespace
