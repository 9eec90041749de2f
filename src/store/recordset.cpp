#include "recordset.h"

#include "dbf_table.h"
#include "field_codec.h"
#include "store_error.h"

#include <QDate>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <utility>

QVariant Field::Value() const { return rs_->value(index_); }
void Field::setValue(const QVariant &value) const { rs_->setValue(index_, value); }
QString Field::Name() const { return rs_->fieldName(index_); }

Recordset::Recordset(std::unique_ptr<DbfTable> table) : table_(std::move(table))
{
    current_ = nextLive(0);
}

Recordset::~Recordset() = default;

DbfTable &Recordset::open() const
{
    if (!table_)
        throw StoreError(QStringLiteral("El conjunto de registros está cerrado."));
    return *table_;
}

QString Recordset::tableName() const { return table_ ? table_->name() : QString(); }

bool Recordset::Eof() const { return current_ == kNone; }

quint32 Recordset::nextLive(quint32 from)
{
    DbfTable &t = open();
    for (quint32 r = from; r < t.recordCount(); ++r)
        if (!t.isDeleted(r))
            return r;
    return kNone;
}

quint32 Recordset::previousLive(quint32 from)
{
    DbfTable &t = open();
    if (t.recordCount() == 0)
        return kNone;
    for (qint64 r = std::min<qint64>(from, qint64(t.recordCount()) - 1); r >= 0; --r)
        if (!t.isDeleted(quint32(r)))
            return quint32(r);
    return kNone;
}

namespace {

// Tables of fewer records are read before anyone could see a progress.
constexpr quint32 kToldFrom = 100000;
constexpr quint32 kToldEvery = 32768;

Recordset::ReadingProgress &readingProgress()
{
    static Recordset::ReadingProgress progress;
    return progress;
}

// The record numbers below `count` that the ordered list does not hold.
std::vector<quint32> otherRecords(const std::vector<quint32> &ordered, quint32 count)
{
    std::vector<quint32> others;
    others.reserve(count - std::min<size_t>(ordered.size(), count));
    auto listed = ordered.cbegin();
    for (quint32 r = 0; r < count; ++r) {
        if (listed != ordered.cend() && *listed == r)
            ++listed;
        else
            others.push_back(r);
    }
    return others;
}

} // namespace

void Recordset::setReadingProgress(ReadingProgress progress) { readingProgress() = std::move(progress); }

bool Recordset::indexed() const { return live_ && indexedChanges_ == table_->changesElsewhere(); }

void Recordset::buildIndex()
{
    DbfTable &t = open();
    if (indexed())
        return;
    live_.reset();
    indexedChanges_ = t.changesElsewhere();
    // What is kept beside the table and is behind it is brought up to date
    // on the way: the table is read once.
    const std::vector<DbfTable::Follower *> behind = t.followersBehind();
    const std::optional<KnownDeletions> known = std::exchange(known_, std::nullopt);
    if (known && behind.empty() && known->generation == t.generation() && known->count == t.recordCount()) {
        live_ = otherRecords(known->deleted, known->count);
        indexedCount_ = known->count;
        return;
    }
    std::vector<quint32> rows;
    rows.reserve(t.recordCount());
    for (DbfTable::Follower *follower : behind)
        follower->restart();
    const quint32 count = t.recordCount();
    const bool told = readingProgress() && count >= kToldFrom;
    for (quint32 r = 0; r < count; ++r) {
        if (told && r % kToldEvery == 0 && !readingProgress()(t.name(), r, count))
            throw ReadingStopped{};
        const char *record = t.record(r);
        if (record[0] == '*')
            continue;
        rows.push_back(r);
        for (DbfTable::Follower *follower : behind)
            follower->recordChanged(t, nullptr, record);
    }
    if (told)
        readingProgress()(t.name(), count, count);
    for (DbfTable::Follower *follower : behind)
        follower->followed = t.generation();
    live_ = std::move(rows);
    indexedCount_ = t.recordCount();
}

std::optional<std::vector<quint32>> Recordset::deletedRecords() const
{
    if (!table_ || !indexed() || indexedCount_ != table_->recordCount())
        return std::nullopt;
    return otherRecords(*live_, indexedCount_);
}

void Recordset::knowDeletedRecords(quint32 count, std::vector<quint32> deleted)
{
    known_.reset();
    for (size_t i = 0; i < deleted.size(); ++i)
        if (deleted[i] >= count || (i > 0 && deleted[i] <= deleted[i - 1]))
            return;
    if (table_ && !live_)
        known_ = KnownDeletions{table_->generation(), count, std::move(deleted)};
}

long Recordset::RecordCount()
{
    buildIndex();
    return long(live_->size());
}

void Recordset::leaveEdit()
{
    editMode_ = EditMode::None;
    dirty_ = false;
}

void Recordset::MoveFirst()
{
    leaveEdit();
    current_ = nextLive(0);
    notifyMove();
}

void Recordset::MoveNext()
{
    leaveEdit();
    if (current_ != kNone)
        current_ = nextLive(current_ + 1);
    notifyMove();
}

void Recordset::MovePrevious()
{
    leaveEdit();
    if (current_ == kNone)
        current_ = previousLive(open().recordCount());
    else
        current_ = current_ == 0 ? kNone : previousLive(current_ - 1);
    notifyMove();
}

void Recordset::MoveLast()
{
    leaveEdit();
    current_ = previousLive(open().recordCount());
    notifyMove();
}

void Recordset::moveToRow(int row)
{
    leaveEdit();
    buildIndex();
    current_ = (row >= 0 && size_t(row) < live_->size()) ? (*live_)[size_t(row)] : kNone;
    notifyMove();
}

quint32 Recordset::recordOfRow(int row)
{
    buildIndex();
    if (row < 0 || size_t(row) >= live_->size())
        throw StoreError(QStringLiteral("La tabla «%1» no tiene el renglón %2.").arg(tableName()).arg(row + 1));
    return (*live_)[size_t(row)];
}

void Recordset::tableChanged()
{
    leaveEdit();
    open().refreshCount();
    live_.reset();
    current_ = kNone;
    notifyMove();
}

QVariant Recordset::valueAt(int row, int index)
{
    checkedIndex(index);
    buildIndex();
    if (row < 0 || size_t(row) >= live_->size())
        throw StoreError(QStringLiteral("La tabla «%1» no tiene el renglón %2.").arg(tableName()).arg(row + 1));
    return table_->value(table_->record((*live_)[size_t(row)]), index);
}

int Recordset::currentRow()
{
    if (current_ == kNone)
        return -1;
    buildIndex();
    const auto it = std::lower_bound(live_->begin(), live_->end(), current_);
    return (it != live_->end() && *it == current_) ? int(it - live_->begin()) : -1;
}

const char *Recordset::currentBytes()
{
    if (editMode_ != EditMode::None)
        return buffer_.constData();
    if (current_ == kNone)
        throw StoreError(QStringLiteral("No hay registro actual en la tabla «%1».").arg(tableName()));
    return open().record(current_);
}

int Recordset::checkedIndex(int index) const
{
    if (index < 0 || index >= open().fieldCount())
        throw StoreError(QStringLiteral("La tabla «%1» no tiene campo en la posición %2.").arg(tableName()).arg(index));
    return index;
}

int Recordset::fieldCount() const { return open().fieldCount(); }
int Recordset::fieldIndex(const QString &name) const { return open().fieldIndex(name); }
QString Recordset::fieldName(int index) const { return open().field(checkedIndex(index)).name; }

Field Recordset::Fields(int index) { return Field(this, checkedIndex(index)); }

Field Recordset::Fields(const QString &name)
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw StoreError(QStringLiteral("La tabla «%1» no tiene el campo %2.").arg(tableName(), name));
    return Field(this, index);
}

QVariant Recordset::value(int index)
{
    checkedIndex(index);
    return table_->value(currentBytes(), index);
}

double Recordset::number(int index, bool *isNull)
{
    checkedIndex(index);
    const FieldDef &f = table_->field(index);
    if (!f.isNumeric()) {
        bool ok = false;
        const double d = value(index).toDouble(&ok);
        *isNull = !ok;
        return ok ? d : 0;
    }
    return FieldCodec::decodeNumber(f, currentBytes(), isNull);
}

double RecordView::number(int index, bool *isNull) const
{
    const FieldDef &f = table_.field(index);
    if (!f.isNumeric()) {
        bool ok = false;
        const double d = table_.value(bytes_, index).toDouble(&ok);
        *isNull = !ok;
        return ok ? d : 0;
    }
    return FieldCodec::decodeNumber(f, bytes_, isNull);
}

QVariant RecordView::value(int index) const { return table_.value(bytes_, index); }

QByteArrayView RecordView::fieldBytes(int index) const
{
    const FieldDef &f = table_.field(index);
    return QByteArrayView(bytes_ + f.offset, f.length);
}

const FieldDef &RecordView::field(int index) const { return table_.field(index); }

QByteArrayView RecordView::storedBytes(int index) const
{
    const FieldDef &f = table_.field(index);
    const char *p = bytes_ + f.offset;
    qsizetype n = f.length;
    // Walks read every record: the padding of a text is passed eight
    // blanks at a time.
    static constexpr quint64 kEightBlanks = 0x2020202020202020ULL;
    for (quint64 word = 0; n >= 8; n -= 8) {
        std::memcpy(&word, p + n - 8, 8);
        if (word != kEightBlanks)
            break;
    }
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return QByteArrayView(p, n);
}

void Recordset::forEachRecord(const std::function<void(const RecordView &)> &visit)
{
    buildIndex();
    DbfTable &t = open();
    for (const quint32 record : *live_)
        visit(RecordView(t, t.record(record)));
}

void Recordset::setValue(int index, const QVariant &value)
{
    checkedIndex(index);
    if (editMode_ == EditMode::None)
        throw StoreError(QStringLiteral("Se quiso cambiar el campo %1 de la tabla «%2» sin editar un registro.")
                             .arg(fieldName(index), tableName()));
    table_->setValue(buffer_.data(), index, value);
    dirty_ = true;
}

void Recordset::AddNew()
{
    DbfTable &t = open();
    buffer_ = t.blankRecord();
    editMode_ = EditMode::AddNew;
    dirty_ = false;
}

void Recordset::Edit()
{
    DbfTable &t = open();
    if (current_ == kNone)
        throw StoreError(QStringLiteral("No hay registro actual que editar en la tabla «%1».").arg(tableName()));
    buffer_ = QByteArray(t.record(current_), t.recordLength());
    editMode_ = EditMode::Edit;
    dirty_ = false;
}

void Recordset::Update()
{
    DbfTable &t = open();
    switch (editMode_) {
    case EditMode::None:
        throw StoreError(QStringLiteral("No hay registro nuevo ni editado que guardar en la tabla «%1».").arg(tableName()));
    case EditMode::Edit:
        t.writeRecord(current_, buffer_);
        break;
    case EditMode::AddNew: {
        const quint32 recno = t.appendRecord(buffer_);
        if (indexed() && indexedCount_ == recno) {
            live_->push_back(recno);
            indexedCount_ = recno + 1;
        } else {
            live_.reset();
        }
        current_ = recno;
        leaveEdit();
        notifyMove();
        return;
    }
    }
    leaveEdit();
}

void Recordset::CancelUpdate() { leaveEdit(); }

void Recordset::Delete()
{
    DbfTable &t = open();
    leaveEdit();
    if (current_ == kNone)
        throw StoreError(QStringLiteral("No hay registro actual que borrar en la tabla «%1».").arg(tableName()));
    if (t.isDeleted(current_))
        return;
    t.markDeleted(current_);
    if (!indexed()) {
        live_.reset();
    } else {
        const auto it = std::lower_bound(live_->begin(), live_->end(), current_);
        if (it != live_->end() && *it == current_)
            live_->erase(it);
    }
}

void Recordset::Close()
{
    table_.reset();
    live_.reset();
    current_ = kNone;
    leaveEdit();
}

void Recordset::Sync() { open().sync(); }

void Recordset::FindFirst(const QString &criterion)
{
    static const QRegularExpression like(QStringLiteral(R"(^\s*\[?(\w+)\]?\s+like\s+'(.*)'\s*$)"),
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = like.match(criterion);
    if (!m.hasMatch())
        throw StoreError(QStringLiteral("La búsqueda «%1» no se reconoce.").arg(criterion));
    QString pattern = m.captured(2);
    pattern.replace(QLatin1String("''"), QLatin1String("'"));
    if (pattern.endsWith(u'*'))
        pattern.chop(1);
    FindFirstPrefix(m.captured(1), pattern);
}

namespace {

// A field's value as the prefix search compares it.
QString searchText(const QVariant &v)
{
    if (v.typeId() == QMetaType::Double)
        return FieldCodec::plainNumber(v.toDouble());
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    return v.toString();
}

} // namespace

int Recordset::prefixFieldIndex(const QString &fieldName)
{
    DbfTable &t = open();
    const int index = t.fieldIndex(fieldName);
    if (index < 0)
        throw StoreError(QStringLiteral("La tabla «%1» no tiene el campo %2.").arg(tableName(), fieldName));
    return index;
}

void Recordset::FindFirstPrefix(const QString &fieldName, const QString &prefix)
{
    const int index = prefixFieldIndex(fieldName);
    DbfTable &t = open();
    leaveEdit();
    for (quint32 r = 0; r < t.recordCount(); ++r) {
        const char *rec = t.record(r);
        if (rec[0] == '*')
            continue;
        if (searchText(t.value(rec, index)).startsWith(prefix, Qt::CaseInsensitive)) {
            current_ = r;
            noMatch_ = false;
            notifyMove();
            return;
        }
    }
    noMatch_ = true;
}

int Recordset::findFirstRow(const QString &fieldName, const QString &prefix)
{
    const int index = prefixFieldIndex(fieldName);
    DbfTable &t = open();
    int row = 0;
    for (quint32 r = 0; r < t.recordCount(); ++r) {
        const char *rec = t.record(r);
        if (rec[0] == '*')
            continue;
        if (searchText(t.value(rec, index)).startsWith(prefix, Qt::CaseInsensitive))
            return row;
        ++row;
    }
    return -1;
}

void EliminaRegistros(Recordset &rs)
{
    // Every record goes, wherever the walk stood when called.
    rs.MoveFirst();
    while (!rs.Eof()) {
        rs.Delete();
        rs.MoveNext();
    }
}
