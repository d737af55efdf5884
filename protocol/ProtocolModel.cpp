#include "ProtocolModel.h"

#include "TimeText.h"

#include <QLocale>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace {

const QString kVoided = QStringLiteral("-");

ProtocolRow HeaderRow()
{
    return {QStringLiteral("Nr."), QStringLiteral("Start"), QStringLiteral("Stopp"), QStringLiteral("Zeit"),
            QStringLiteral("km/h"), QStringLiteral("Platz")};
}

// Case folding of A-Z only, as the comparison is defined.
QString FoldAscii(const QString& text)
{
    auto fold = [](QChar c) {
        return c >= QLatin1Char('A') && c <= QLatin1Char('Z') ? QChar(c.unicode() + ('a' - 'A')) : c;
    };
    // Most texts are digits and punctuation: share them instead of copying.
    if (std::none_of(text.begin(), text.end(), [&](QChar c) { return fold(c) != c; }))
        return text;
    QString folded = text;
    for (QChar& c : folded)
        c = fold(c);
    return folded;
}

// A number in the locale's format. Group separators are refused, so a text
// such as "1.500" is never read as fifteen hundred in one row and compared
// as text in another; "nan" and "inf" would make the order inconsistent.
bool ToNumber(const QString& text, double* number)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    *number = locale.toDouble(text, &ok);
    return ok && std::isfinite(*number);
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

enum class SortStyle { Numeric, Time, Text };

SortStyle StyleOf(int col)
{
    switch (col) {
    case ProtocolModel::ColNr:
    case ProtocolModel::ColKmh:
    case ProtocolModel::ColPlatz:
        return SortStyle::Numeric;
    case ProtocolModel::ColStart:
    case ProtocolModel::ColStopp:
    case ProtocolModel::ColZeit:
        return SortStyle::Time;
    default:
        return SortStyle::Text;
    }
}

// One run row while sorting: its sort-column text folded, its number for the
// numeric style, its row.
struct SortKey
{
    QString text;
    double number = 0;
    bool isNumber = false;
    qsizetype timeKey = 0;
    int row = 0;
};

// A natural merge sort: finds the ascending runs, then merges neighbouring
// runs until one is left. Stable, like every merge sort.
template<typename Less>
void MergeRuns(std::vector<SortKey>& keys, Less less)
{
    std::vector<std::size_t> bounds{0};
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (less(keys[i], keys[i - 1]))
            bounds.push_back(i);
    }
    bounds.push_back(keys.size());
    while (bounds.size() > 2) {
        const std::size_t runs = bounds.size() - 1;
        std::vector<std::size_t> merged{0};
        for (std::size_t k = 0; k + 1 < runs; k += 2) {
            std::inplace_merge(keys.begin() + std::ptrdiff_t(bounds[k]), keys.begin() + std::ptrdiff_t(bounds[k + 1]),
                               keys.begin() + std::ptrdiff_t(bounds[k + 2]), less);
            merged.push_back(bounds[k + 2]);
        }
        if (runs % 2 == 1)
            merged.push_back(bounds[runs]);
        bounds = std::move(merged);
    }
}

// The ranking's key of one "Zeit" text, as the full sort prepares it.
struct TimeKey
{
    QString text;
    qsizetype order = 0;
};

TimeKey TimeKeyOf(const QString& zeit)
{
    TimeKey key;
    key.text = FoldAscii(zeit);
    key.order = TimeTextOrderKey(key.text);
    return key;
}

// The ranking's order: the time order, equal texts by their row before.
bool RanksBefore(const TimeKey& a, int rowA, const TimeKey& b, int rowB)
{
    int result;
    if (a.order != b.order)
        result = a.order < b.order ? -1 : 1;
    else
        result = Sign(QString::compare(a.text, b.text, Qt::CaseSensitive));
    return result == 0 ? rowA < rowB : result < 0;
}

// More rows than this changed since the last ranking: sorting all is as quick.
constexpr std::size_t kMaxUnranked = 16;

} // namespace

class ProtocolModel::ChangeScope
{
public:
    explicit ChangeScope(ProtocolModel& model)
        : model_(model)
    {
        ++model_.changeDepth_;
    }
    ~ChangeScope()
    {
        if (--model_.changeDepth_ == 0)
            Q_EMIT model_.Changed();
    }
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

private:
    ProtocolModel& model_;
};

ProtocolModel::ProtocolModel(QObject* parent)
    : QAbstractTableModel(parent)
    , rows_(std::make_shared<ProtocolRows>(ProtocolRows{HeaderRow(), ProtocolRow{}}))
    , selected_(1)
{
}

int ProtocolModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount() - 1;
}

int ProtocolModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProtocolModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Cell(index.column(), index.row() + 1);
}

QVariant ProtocolModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Cell(section, 0);
}

bool ProtocolModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const ChangeScope change(*this);
    SetCell(index.column(), index.row() + 1, value.toString());
    return true;
}

bool ProtocolModel::insertRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || row > rowCount() || count < 1)
        return false;
    const ChangeScope change(*this);
    OrderUnknown();
    beginInsertRows({}, row, row + count - 1);
    Rw().insert(Rw().begin() + row + 1, static_cast<std::size_t>(count), ProtocolRow{});
    endInsertRows();
    if (selected_ > row)
        selected_ += count;
    return true;
}

bool ProtocolModel::removeRows(int row, int count, const QModelIndex& parent)
{
    // The protocol keeps at least one run row.
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount() || count >= rowCount())
        return false;
    const ChangeScope change(*this);
    OrderUnknown();
    beginRemoveRows({}, row, row + count - 1);
    Rw().erase(Rw().begin() + row + 1, Rw().begin() + row + 1 + count);
    endRemoveRows();
    if (selected_ > row + count)
        selected_ -= count;
    else if (selected_ > row)
        selected_ = std::min(row + 1, RowCount() - 1);
    return true;
}

const QString& ProtocolModel::Cell(int col, int row) const
{
    static const QString none;
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColumnCount)
        return none;
    return (*rows_)[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void ProtocolModel::SetCell(int col, int row, const QString& text)
{
    if (Cell(col, row) == text)
        return;
    Rw()[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = text;
    if (col == ColZeit || col == ColPlatz)
        MarkUnranked(row);
    if (row > 0)
        Q_EMIT dataChanged(index(row - 1, col), index(row - 1, col));
}

int ProtocolModel::FindRow(const QString& startNumber) const
{
    for (int row = 1; row < RowCount(); ++row) {
        if (Cell(ColNr, row) == startNumber)
            return row;
    }
    return -1;
}

void ProtocolModel::SelectRow(int row)
{
    if (!IsDataRow(row))
        return;
    selected_ = row;
    Q_EMIT SelectionMoved(row);
}

void ProtocolModel::SetSelectedRow(int row)
{
    selected_ = IsDataRow(row) ? row : 0;
}

void ProtocolModel::BeginRunRow(const QString& startNumber, const QTime& startClock)
{
    const ChangeScope change(*this);
    // Without ManyStart a start number has one row: a restart discards the
    // earlier result.
    int row = manyStart_ ? -1 : FindRow(startNumber);
    if (row > 0) {
        ClearCells(row);
        SelectRow(row);
    } else {
        row = NewRunRow();
    }
    SetCell(ColNr, row, startNumber);
    SetCell(ColStart, row, FormatClockTime(startClock));
    UpdateProtocolCommands();
}

void ProtocolModel::FinishRunRow(const QString& startNumber, const QTime& stopClock, std::int32_t elapsedMs)
{
    const ChangeScope change(*this);
    int row = manyStart_ ? ManyStartStopRow(startNumber) : FindRow(startNumber);
    if (row >= 1 && !IsOpenRunOf(row, startNumber))
        row = FirstOpenRunOf(startNumber);
    // The run's row was deleted or the protocol cleared while the car was on
    // the track: the measured time still gets a row of its own.
    if (row < 1) {
        row = NewRunRow();
        SetCell(ColNr, row, startNumber);
    }
    SetCell(ColStopp, row, FormatClockTime(stopClock));
    SetCell(ColZeit, row, FormatRunTime(elapsedMs));
    SetCell(ColKmh, row, SpeedText(elapsedMs));
    SelectRow(row);
}

// Rows are appended in start order and unfinished runs stay below the ranked
// ones in that order, so the run to finish is one of the last two rows.
int ProtocolModel::ManyStartStopRow(const QString& startNumber) const
{
    const int last = RowCount() - 1;
    if (RowCount() < 3)
        return last;
    if (!Cell(ColStopp, last - 1).isEmpty())
        return last;
    if (Cell(ColNr, last - 1) == startNumber)
        return last - 1;
    return last;
}

// Loaded unfinished runs (a blank "Zeit") rank below the ones started since,
// so the open run is not always among the last two rows: the first open run
// of the number is the one that started first.
int ProtocolModel::FirstOpenRunOf(const QString& startNumber) const
{
    for (int row = 1; row < RowCount(); ++row) {
        if (IsOpenRunOf(row, startNumber))
            return row;
    }
    return -1;
}

// The stop may only complete a row of the same start number that has not
// been stopped yet; anything else would overwrite another car's result. A
// loaded unfinished run holds a blank, not the empty text, and stays as it is.
bool ProtocolModel::IsOpenRunOf(int row, const QString& startNumber) const
{
    if (!manyStart_)
        return true;
    return Cell(ColNr, row) == startNumber && Cell(ColStopp, row).isEmpty();
}

QString ProtocolModel::SpeedText(std::int32_t elapsedMs) const
{
    if (elapsedMs == 0)
        return QString();
    if (elapsedMs < 0)
        return kVoided;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(length_) / elapsedMs * 3600.0, 'f', 1);
}

void ProtocolModel::VoidSelectedRow()
{
    const int row = selected_;
    if (!IsDataRow(row))
        return;
    const ChangeScope change(*this);
    for (int col = ColStart; col < ColumnCount; ++col) {
        if (!IsBlankText(Cell(col, row)))
            SetCell(col, row, kVoided);
    }
}

void ProtocolModel::sort(int column, Qt::SortOrder order)
{
    if (ranked_ || column < 0 || column >= ColumnCount)
        return;
    const ChangeScope change(*this);
    OrderUnknown();
    SortRows(column, order == Qt::DescendingOrder);
}

void ProtocolModel::SortRows(int col, bool descending)
{
    const SortStyle style = StyleOf(col);
    // Each row's key is prepared once, so the comparisons only compare.
    std::vector<SortKey> keys;
    keys.reserve(rows_->size());
    for (int row = 1; row < RowCount(); ++row) {
        SortKey key;
        key.text = FoldAscii(Cell(col, row));
        key.row = row;
        if (style == SortStyle::Numeric)
            key.isNumber = ToNumber(key.text, &key.number);
        else if (style == SortStyle::Time)
            key.timeKey = TimeTextOrderKey(key.text);
        keys.push_back(std::move(key));
    }
    auto compare = [&](const SortKey& a, const SortKey& b) {
        int result;
        if (style == SortStyle::Numeric && a.isNumber && b.isNumber)
            result = (a.number > b.number) - (a.number < b.number);
        else if (style == SortStyle::Time && a.timeKey != b.timeKey)
            result = a.timeKey < b.timeKey ? -1 : 1;
        else
            result = Sign(QString::compare(a.text, b.text, Qt::CaseSensitive));
        // Equal texts keep their former order in either direction.
        if (result == 0)
            return a.row < b.row;
        return (descending ? -result : result) < 0;
    };
    // A merge sort: the numeric fallback to text order need not be
    // transitive, and a partitioning sort can run past the ends of its range
    // when it is not. The time order is total, so a ranking may merge the
    // runs already in order: after a stop that is all but one row, and the
    // ranking stays linear.
    if (style == SortStyle::Time)
        MergeRuns(keys, compare);
    else
        std::stable_sort(keys.begin(), keys.end(), compare);

    ProtocolRows sorted;
    ProtocolRows& rows = Rw();
    sorted.reserve(rows.size());
    sorted.push_back(std::move(rows[0]));
    int selected = 0;
    for (const SortKey& key : keys) {
        if (key.row == selected_)
            selected = static_cast<int>(sorted.size());
        sorted.push_back(std::move(rows[static_cast<std::size_t>(key.row)]));
    }
    rows = std::move(sorted);
    AllRowsChanged();
    // The selection stays with its run.
    if (selected > 0)
        SelectRow(selected);
}

std::int32_t ProtocolModel::RankProtocol(const QString& selectStartNumber, bool runden)
{
    const ChangeScope change(*this);
    if (!RankChangedRows()) {
        SortRows(ColZeit, false);
        WritePlaces();
    }
    // From the first ranking on the protocol stays in rank order: header
    // clicks no longer sort it.
    ranked_ = true;
    orderKnown_ = true;
    unranked_.clear();

    const int row = FindRow(selectStartNumber);
    if (row > 0)
        SelectRow(row);

    bestTime_ = ParseRunTime(Cell(ColZeit, 1));
    return runden ? bestTime_ : 0;
}

// Every row's place.
void ProtocolModel::WritePlaces()
{
    // Written without a notification each: the sort just reported all.
    int lastWritten = 0;
    PlaceFrom(1, RowCount(), &lastWritten);
}

bool ProtocolModel::HasRuns() const
{
    return RowCount() >= 2 && !IsBlankText(Cell(ColNr, 1));
}

bool ProtocolModel::RowHoldsResult(int row) const
{
    if (Cell(ColStart, row) == kVoided)
        return true;
    for (int col = ColStopp; col < ColumnCount; ++col) {
        if (!IsBlankText(Cell(col, row)))
            return true;
    }
    return false;
}

int ProtocolModel::RowReplacedByStart(const QString& startNumber) const
{
    if (manyStart_)
        return -1;
    const int row = FindRow(startNumber);
    return row > 0 && RowHoldsResult(row) ? row : -1;
}

bool ProtocolModel::HasResult(int startNumber) const
{
    const QString text = QString::number(startNumber);
    for (int row = 1; row < RowCount(); ++row) {
        if (Cell(ColNr, row).trimmed() == text && RowHoldsResult(row))
            return true;
    }
    return false;
}

int ProtocolModel::HighestStartNumber() const
{
    int highest = 0;
    for (int row = 1; row < RowCount(); ++row) {
        bool ok = false;
        const int number = Cell(ColNr, row).trimmed().toInt(&ok);
        if (ok)
            highest = std::max(highest, number);
    }
    return highest;
}

void ProtocolModel::UpdateProtocolCommands()
{
    Q_EMIT ProtocolCommands(HasRuns());
}

bool ProtocolModel::SelectedRowVoidable() const
{
    if (!IsDataRow(selected_))
        return false;
    for (int col = ColStart; col < ColumnCount; ++col) {
        if (Cell(col, selected_) == kVoided)
            return false;
    }
    return true;
}

void ProtocolModel::DeleteSelectedRow()
{
    const int row = selected_;
    if (!IsDataRow(row))
        return;
    const ChangeScope change(*this);
    // The protocol keeps one row: the last one is emptied, not removed.
    if (RowCount() < 3) {
        ClearCells(1);
        return;
    }
    OrderUnknown();
    beginRemoveRows({}, row - 1, row - 1);
    Rw().erase(Rw().begin() + row);
    endRemoveRows();
    // As after every change of the row count, the first row is selected.
    selected_ = 1;
    Q_EMIT SelectionMoved(selected_);
}

int ProtocolModel::RemoveEmptyRows()
{
    const ChangeScope change(*this);
    OrderUnknown();
    // One pass keeps the rows with a run time; views learn that the rows
    // past the kept ones went and that the kept ones changed.
    ProtocolRows kept;
    ProtocolRows& rows = Rw();
    kept.reserve(rows.size());
    kept.push_back(rows[0]);
    for (std::size_t row = 1; row < rows.size(); ++row) {
        if (!IsBlankText(rows[row][ColZeit]))
            kept.push_back(std::move(rows[row]));
    }
    // The protocol keeps one row, emptied if it was blank.
    if (kept.size() < 2)
        kept.push_back(ProtocolRow{});
    const int removed = RowCount() - static_cast<int>(kept.size());
    if (removed > 0) {
        beginRemoveRows({}, static_cast<int>(kept.size()) - 1, RowCount() - 2);
        rows = std::move(kept);
        endRemoveRows();
        selected_ = 1;
    } else {
        rows = std::move(kept);
    }
    AllRowsChanged();
    if (removed > 0)
        Q_EMIT SelectionMoved(selected_);
    return removed;
}

void ProtocolModel::ReplaceRows(const ProtocolRows& dataRows)
{
    const ChangeScope change(*this);
    OrderUnknown();
    beginResetModel();
    // A new store: a snapshot still held keeps the old rows.
    rows_ = std::make_shared<ProtocolRows>(ProtocolRows{(*rows_)[0]});
    if (dataRows.empty())
        rows_->push_back(ProtocolRow{});
    else
        rows_->insert(rows_->end(), dataRows.begin(), dataRows.end());
    endResetModel();
    selected_ = 1;
    Q_EMIT SelectionMoved(selected_);
}

void ProtocolModel::Clear()
{
    const ChangeScope change(*this);
    ReplaceRows({});
    bestTime_ = 0;
}

bool ProtocolModel::LoadProtocolText(const LoadedProtocol& loaded, const QString& selectStartNumber, bool runden)
{
    const ChangeScope change(*this);
    ReplaceRows(loaded.rows);
    // A file that broke off is shown as far as it was read, but neither
    // ranked nor taken as a reason to change the commands.
    if (!loaded.opened || !loaded.complete)
        return false;
    RankProtocol(selectStartNumber, runden);
    UpdateProtocolCommands();
    return true;
}

int ProtocolModel::NewRunRow()
{
    int row = RowCount() - 1;
    if (!Cell(ColNr, row).isEmpty()) {
        beginInsertRows({}, row, row);
        Rw().push_back(ProtocolRow{});
        endInsertRows();
        ++row;
        MarkUnranked(row);
    }
    ClearCells(row);
    return row;
}

void ProtocolModel::ClearCells(int row)
{
    for (int col = 0; col < ColumnCount; ++col)
        SetCell(col, row, QString());
}

bool ProtocolModel::IsDataRow(int row) const
{
    return row >= 1 && row < RowCount();
}

void ProtocolModel::AllRowsChanged()
{
    if (RowCount() > 1)
        Q_EMIT dataChanged(index(0, 0), index(RowCount() - 2, ColumnCount - 1));
}

void ProtocolModel::MarkUnranked(int row)
{
    if (!orderKnown_ || row < 1 || std::find(unranked_.begin(), unranked_.end(), row) != unranked_.end())
        return;
    if (unranked_.size() >= kMaxUnranked)
        OrderUnknown();
    else
        unranked_.push_back(row);
}

void ProtocolModel::OrderUnknown()
{
    orderKnown_ = false;
    unranked_.clear();
}

// Takes the changed rows out and puts each back where the full sort would
// place it. The rows left are in order; with the rows as they stood before as
// the tie-break, the order is total, so the result is the full sort's.
bool ProtocolModel::RankChangedRows()
{
    if (!orderKnown_)
        return false;
    std::vector<int> taken = unranked_;
    std::sort(taken.begin(), taken.end());
    const int k = static_cast<int>(taken.size());
    if (k == 0) {
        if (IsDataRow(selected_))
            SelectRow(selected_);
        return true;
    }
    ProtocolRows& rows = Rw();
    std::vector<ProtocolRow> moved(taken.size());
    for (int j = k - 1; j >= 0; --j) {
        moved[std::size_t(j)] = std::move(rows[std::size_t(taken[std::size_t(j)])]);
        rows.erase(rows.begin() + taken[std::size_t(j)]);
    }
    // The row a remaining row stood in before.
    auto formerRowOfRemaining = [&](int rest) {
        int former = rest;
        for (int j = 0; j < k; ++j) {
            if (taken[std::size_t(j)] - j <= rest)
                ++former;
        }
        return former;
    };
    std::vector<int> placed; // where each taken row went, updated as others follow
    for (int j = 0; j < k; ++j) {
        const TimeKey key = TimeKeyOf(moved[std::size_t(j)][ColZeit]);
        const int former = taken[std::size_t(j)];
        // Rows placed before came before this one: they are "before" on a tie.
        auto before = [&](int row) {
            int rest = row;
            for (int p : placed) {
                if (p == row)
                    return !RanksBefore(key, former, TimeKeyOf(rows[std::size_t(row)][ColZeit]), -1);
                if (p < row)
                    --rest;
            }
            return !RanksBefore(key, former, TimeKeyOf(rows[std::size_t(row)][ColZeit]), formerRowOfRemaining(rest));
        };
        int lo = 1, hi = RowCount();
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (before(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        rows.insert(rows.begin() + lo, std::move(moved[std::size_t(j)]));
        for (int& p : placed) {
            if (p >= lo)
                ++p;
        }
        placed.push_back(lo);
    }

    int first = taken.front(), last = taken.back();
    for (int p : placed) {
        first = std::min(first, p);
        last = std::max(last, p);
    }
    // The selection stays with its run.
    int selected = 0;
    if (IsDataRow(selected_)) {
        const auto it = std::find(taken.begin(), taken.end(), selected_);
        if (it != taken.end()) {
            selected = placed[std::size_t(it - taken.begin())];
        } else {
            selected = selected_ - int(std::count_if(taken.begin(), taken.end(), [&](int t) { return t < selected_; }));
            std::vector<int> sortedPlaced = placed;
            std::sort(sortedPlaced.begin(), sortedPlaced.end());
            for (int p : sortedPlaced) {
                if (p <= selected)
                    ++selected;
            }
        }
    }
    int lastWritten = last;
    PlaceFrom(first, last, &lastWritten);
    Q_EMIT dataChanged(index(first - 1, 0), index(lastWritten - 1, ColumnCount - 1));
    if (selected > 0)
        SelectRow(selected);
    return true;
}

// Equal times share the place of the first of them; the next different time
// gets its row index ("1", "1", "3"). Rows without a time keep their cell.
// From row first on: rows past last stand where they stood, so once such a
// row's place agrees, all after agree.
void ProtocolModel::PlaceFrom(int first, int last, int* lastWritten)
{
    QString rankedTime;
    QString rankedPlace;
    for (int row = first - 1; row >= 1; --row) {
        const QString& time = Cell(ColZeit, row);
        if (time == kVoided || IsBlankText(time))
            continue;
        rankedTime = time;
        rankedPlace = Cell(ColPlatz, row);
        break;
    }
    for (int row = first; row < RowCount(); ++row) {
        const QString& time = Cell(ColZeit, row);
        if (time == kVoided || IsBlankText(time))
            continue;
        if (rankedPlace.isEmpty() || time != rankedTime) {
            rankedTime = time;
            rankedPlace = QString::number(row);
        }
        if (Cell(ColPlatz, row) == rankedPlace) {
            if (row > last)
                return;
            continue;
        }
        Rw()[static_cast<std::size_t>(row)][ColPlatz] = rankedPlace;
        *lastWritten = std::max(*lastWritten, row);
    }
}

ProtocolRows& ProtocolModel::Rw()
{
    if (rows_.use_count() > 1)
        rows_ = std::make_shared<ProtocolRows>(*rows_);
    else
        // The writer thread's last read of a snapshot happens before it let go.
        std::atomic_thread_fence(std::memory_order_acquire);
    return *rows_;
}
