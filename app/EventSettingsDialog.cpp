#include "EventSettingsDialog.h"

#include "Scoring.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* Spin(QWidget* parent, int min, int max, int value, const QString& suffix = QString())
{
    auto* spin = new QSpinBox(parent);
    spin->setRange(min, max);
    spin->setValue(value);
    spin->setSuffix(suffix);
    return spin;
}

} // namespace

EventSettingsDialog::EventSettingsDialog(const EventRules& rules, Mode mode, QWidget* parent)
    : QDialog(parent), rules_(rules)
{
    setObjectName(QStringLiteral("EventSettingsDialog"));
    setWindowTitle(mode == Mode::New ? QStringLiteral("Neue Veranstaltung") : QStringLiteral("Veranstaltung"));

    title_ = new QLineEdit(rules.title, this);
    date_ = new QDateEdit(rules.date.isValid() ? rules.date : QDate::currentDate(), this);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_->setCalendarPopup(true);
    venue_ = new QLineEdit(rules.venue, this);
    trainingRuns_ = Spin(this, 0, 2, rules.trainingRuns);
    scoredRuns_ = Spin(this, 1, 5, rules.scoredRuns);
    rule_ = new QComboBox(this);
    for (ScoringRule r : {ScoringRule::SumOfAll, ScoringRule::SumOfBestN, ScoringRule::BestTime})
        rule_->addItem(ScoringRuleText(r), int(r));
    rule_->setCurrentIndex(rule_->findData(int(rules.rule)));
    bestN_ = Spin(this, 1, 5, rules.bestN);
    coneSeconds_ = Spin(this, 0, 600, rules.coneSeconds, QStringLiteral(" s"));
    skippedSeconds_ = Spin(this, 0, 600, rules.skippedTaskSeconds, QStringLiteral(" s"));
    skippedAllowed_ = Spin(this, 0, 99, rules.skippedTasksAllowed);
    teams_ = new QCheckBox(QStringLiteral("Teamwertung"), this);
    teams_->setChecked(rules.teams);
    teamBestOf_ = Spin(this, 1, kMaxTeamDrivers, rules.teamBestOf);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Titel:"), title_);
    form->addRow(QStringLiteral("&Datum:"), date_);
    form->addRow(QStringLiteral("&Ort:"), venue_);
    form->addRow(QStringLiteral("T&rainingsläufe:"), trainingRuns_);
    form->addRow(QStringLiteral("&Wertungsläufe:"), scoredRuns_);
    form->addRow(QStringLiteral("Wert&ung:"), rule_);
    form->addRow(QStringLiteral("Beste &N:"), bestN_);
    form->addRow(QStringLiteral("Strafe je &Pylone:"), coneSeconds_);
    form->addRow(QStringLiteral("Strafe je &ausgelassene Aufgabe:"), skippedSeconds_);
    form->addRow(QStringLiteral("Ausgelassene Aufgaben bis n.&g.:"), skippedAllowed_);
    form->addRow(QString(), teams_);
    form->addRow(QStringLiteral("Team zählt die &besten:"), teamBestOf_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(mode == Mode::New ? QStringLiteral("Anlegen")
                                                                      : QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    if (mode == Mode::Current) {
        auto* newEvent = buttons->addButton(QStringLiteral("Neue &Veranstaltung…"), QDialogButtonBox::ActionRole);
        auto* open = buttons->addButton(QStringLiteral("Ö&ffnen…"), QDialogButtonBox::ActionRole);
        connect(newEvent, &QPushButton::clicked, this, [this] { Close(Choice::NewEvent); });
        connect(open, &QPushButton::clicked, this, [this] { Close(Choice::OpenEvent); });
        auto* live = buttons->addButton(QStringLiteral("&Live-Ergebnisse…"), QDialogButtonBox::ActionRole);
        live->setObjectName(QStringLiteral("live"));
        connect(live, &QPushButton::clicked, this, &EventSettingsDialog::LiveWanted);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &EventSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EventSettingsDialog::reject);

    connect(rule_, &QComboBox::currentIndexChanged, this, &EventSettingsDialog::FollowRule);
    connect(scoredRuns_, &QSpinBox::valueChanged, this, &EventSettingsDialog::FollowRule);
    connect(teams_, &QCheckBox::toggled, teamBestOf_, &QWidget::setEnabled);
    teamBestOf_->setEnabled(rules.teams);
    FollowRule();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    title_->setFocus();
    title_->selectAll();
}

// N exists only for "Summe der besten N" and never exceeds the scored runs.
void EventSettingsDialog::FollowRule()
{
    bestN_->setMaximum(scoredRuns_->value());
    bestN_->setEnabled(ScoringRule(rule_->currentData().toInt()) == ScoringRule::SumOfBestN);
}

EventRules EventSettingsDialog::Rules() const
{
    EventRules rules = rules_;
    rules.title = title_->text().trimmed();
    rules.date = date_->date();
    rules.venue = venue_->text().trimmed();
    rules.trainingRuns = trainingRuns_->value();
    rules.scoredRuns = scoredRuns_->value();
    rules.rule = ScoringRule(rule_->currentData().toInt());
    rules.bestN = bestN_->value();
    rules.coneSeconds = coneSeconds_->value();
    rules.skippedTaskSeconds = skippedSeconds_->value();
    rules.skippedTasksAllowed = skippedAllowed_->value();
    rules.teams = teams_->isChecked();
    rules.teamBestOf = teamBestOf_->value();
    return rules;
}

void EventSettingsDialog::accept()
{
    if (title_->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Bitte einen Titel für die Veranstaltung eingeben."));
        title_->setFocus();
        return;
    }
    choice_ = Choice::Save;
    QDialog::accept();
}

void EventSettingsDialog::Close(Choice choice)
{
    choice_ = choice;
    QDialog::done(QDialog::Accepted);
}
