#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The program's one confirmation dialog, created once and reused for every
// question. Only "Ja" consents: "Nein", Escape and the close box refuse.
// It stays above every other window of the program, the spectator window
// included, and opens centred over the window it belongs to.
class TFDlgYesNo : public QDialog
{
    Q_OBJECT
public:
    explicit TFDlgYesNo(QWidget* mainWindow);

    // Shows the question modally; true only for "Ja".
    bool Ask(const QString& question);

    QLabel* Icon;
    QLabel* Label1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void CentreOverMainWindow();

    QWidget* mainWindow_;
};
