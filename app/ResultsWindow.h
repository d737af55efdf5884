#pragma once

#include "ResultLists.h"
#include "Scoring.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class EventBook;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

// "Wertung": the results of the open book, scored anew after every change
// of the book, so they follow the runs as they arrive. Above, one list at a
// time (each class, the overall result, the teams) with the same texts as
// the posted lists; below, the runs of the selected driver (or the latest
// runs) and what the operator sets for the selected run: cones, skipped
// tasks, status with its reason, training or scored. Keyboard-first in the
// runs table: a digit sets the cones, Alt+digit the skipped tasks,
// Strg+Z undoes the last change.
class ResultsWindow : public QWidget
{
    Q_OBJECT
public:
    ResultsWindow(EventBook* book, QWidget* parent = nullptr);

    // Scores the book and shows it again, keeping the operator's place.
    void Refresh();
    const ScoringResult& Result() const { return result_; }

    // Shows the list of that heading ("Klasse A", "Gesamtwertung", ...).
    bool ShowList(const QString& heading);
    // Shows the runs of number and selects the latest.
    void ShowDriver(int number);
    void ShowLatestRuns();
    // The run the panel edits; 0 for none.
    std::int64_t SelectedRun() const;
    bool SelectRun(std::int64_t runId);

    // Sets the selected run's cones / skipped tasks, keeping the rest.
    void SetCones(int cones);
    void SetSkippedTasks(int skipped);
    // Takes the panel's values for the selected run.
    void ApplyPanel();
    void AddTypedRun();
    void Undo();
    QString Message() const;

    QTableWidget* Standings() const { return standings_; }
    QTableWidget* RunTable() const { return runs_; }

Q_SIGNALS:
    // "Veranstaltung…": the event's settings.
    void EventWanted();
    // "Listen…": the lists to post.
    void ListsWanted();
    // "Live-Ergebnisse…": the results server on the course network.
    void LiveWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildPanel();
    void FillStandings();
    void FillRuns();
    void LoadPanel();
    void StandingSelected();
    void SelectStanding(int number);
    void ShowMessage(const QString& text, bool problem = false);
    void ApplyPenalty(int cones, int skipped, RunStatus status, const QString& reason);

    EventBook* book_;
    ScoringResult result_;
    std::vector<ListPage> pages_;
    int shownDriver_ = 0; // its start number; 0: the latest runs
    std::vector<std::int64_t> shownRuns_;
    bool filling_ = false;

    QComboBox* list_ = nullptr;
    QTableWidget* standings_ = nullptr;
    QLabel* fastest_ = nullptr;
    QLabel* runsTitle_ = nullptr;
    QTableWidget* runs_ = nullptr;
    QSpinBox* cones_ = nullptr;
    QSpinBox* skipped_ = nullptr;
    QComboBox* status_ = nullptr;
    QComboBox* reason_ = nullptr;
    QComboBox* kind_ = nullptr;
    QSpinBox* handNumber_ = nullptr;
    QLineEdit* handTime_ = nullptr;
    QLabel* message_ = nullptr;
};
