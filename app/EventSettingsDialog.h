#pragma once

#include "EventTypes.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QSpinBox;

// "Veranstaltung": the event's rules as the book keeps them. It edits a copy
// and touches no book; the caller stores Rules() after "OK". As the current
// event's dialog it also offers "Neue Veranstaltung…" and "Öffnen…", which
// close it with that wish (Choice()), and "Live-Ergebnisse…" (LiveWanted).
class EventSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Current, New };
    enum class Choice { Save, NewEvent, OpenEvent };

    EventSettingsDialog(const EventRules& rules, Mode mode, QWidget* parent = nullptr);

    EventRules Rules() const;
    Choice Chosen() const { return choice_; }

    void accept() override;

Q_SIGNALS:
    // "Live-Ergebnisse…": the live results' own dialog, over this one, which stays open.
    void LiveWanted();

private:
    void FollowRule();
    void Close(Choice choice);

    EventRules rules_;
    Choice choice_ = Choice::Save;
    QLineEdit* title_ = nullptr;
    QDateEdit* date_ = nullptr;
    QLineEdit* venue_ = nullptr;
    QSpinBox* trainingRuns_ = nullptr;
    QSpinBox* scoredRuns_ = nullptr;
    QComboBox* rule_ = nullptr;
    QSpinBox* bestN_ = nullptr;
    QSpinBox* coneSeconds_ = nullptr;
    QSpinBox* skippedSeconds_ = nullptr;
    QSpinBox* skippedAllowed_ = nullptr;
    QCheckBox* teams_ = nullptr;
    QSpinBox* teamBestOf_ = nullptr;
};
