#include "record_table_model.h"

#include "rules/number_format.h"

#include "store/dbf_table.h"
#include "store/field_codec.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDate>
#include <algorithm>

RecordTableModel::RecordTableModel(DataLink *link, QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), link_(link), columns_(std::move(columns))
{
    for (const GridColumn &c : std::as_const(columns_))
        state_.append(ColumnState{c.caption, c.format, false, false, {}});
    if (link) {
        link->addRowWriter(this);
        connect(link, &DataLink::reopened, this, &RecordTableModel::reload);
        connect(link, &QObject::destroyed, this, &RecordTableModel::detachFromLink);
    }
    readLink();
}

RecordTableModel::~RecordTableModel()
{
    if (link_)
        link_->removeRowWriter(this);
}

QString RecordTableModel::editingMark() { return QStringLiteral("✎"); }
QString RecordTableModel::newRecordMark() { return QStringLiteral("*"); }

QString RecordTableModel::displayText(const QVariant &value) { return FieldCodec::displayText(value); }

Recordset *RecordTableModel::recordset() const
{
    Recordset *rs = link_ ? link_->recordset() : nullptr;
    return rs && rs->isOpen() ? rs : nullptr;
}

void RecordTableModel::readLink()
{
    pendingRow_ = -1;
    pendingTexts_.clear();
    pendingFields_.clear();
    fields_.clear();
    numeric_.clear();
    records_ = 0;
    Recordset *rs = recordset();
    for (const GridColumn &c : std::as_const(columns_)) {
        const int field = rs ? rs->fieldIndex(c.field) : -1;
        fields_.append(field);
        numeric_.append(field >= 0 && rs->table()->field(field).isNumeric());
    }
    if (!rs)
        return;
    changesSeen_ = rs->table()->changesElsewhere();
    try {
        records_ = rs->rowCount();
    } catch (const StoreError &) {
        // A table whose records cannot be counted shows none; the engine
        // reports the damage to whoever walks it.
        records_ = 0;
    }
}

bool RecordTableModel::changedElsewhere() const
{
    const Recordset *rs = recordset();
    return rs && rs->table()->changesElsewhere() != changesSeen_;
}

void RecordTableModel::reload()
{
    beginResetModel();
    readLink();
    endResetModel();
}

void RecordTableModel::detachFromLink()
{
    beginResetModel();
    link_ = nullptr;
    readLink();
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !isOpen())
        return 0;
    return records_ + 1;
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

bool RecordTableModel::isBound(int column) const
{
    return column >= 0 && column < fields_.size() && fields_[column] >= 0;
}

QString RecordTableModel::pendingText(int row, int column) const
{
    if (row != pendingRow_)
        return {};
    return pendingTexts_.value(column);
}

QString RecordTableModel::recordText(int row, int column) const
{
    Recordset *rs = recordset();
    if (!rs || row >= records_ || !isBound(column))
        return {};
    // Read beside the current record: whoever walks the record set keeps
    // their place, and a record being edited through the link stays so.
    try {
        return displayText(rs->valueAt(row, fields_[column]));
    } catch (const StoreError &) {
        return {};
    }
}

QString RecordTableModel::cellValue(int row, int column) const
{
    if (row < 0 || row >= rowCount() || !validColumn(column))
        return {};
    if (row == pendingRow_ && pendingTexts_.contains(column))
        return pendingTexts_.value(column);
    return recordText(row, column);
}

QString RecordTableModel::cellText(int row, int column) const
{
    const QString value = cellValue(row, column);
    const QString &format = state_.value(column).numberFormat;
    double number = 0;
    if (format.isEmpty() || !NumberFormat::parse(value, &number) || value.contains(u'$') || value.contains(u'('))
        return value;
    return NumberFormat::format(number, format);
}

void RecordTableModel::columnChanged(int column)
{
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

QString RecordTableModel::caption(int column) const { return state_.value(column).caption; }

void RecordTableModel::setCaption(int column, const QString &caption)
{
    if (!validColumn(column) || state_[column].caption == caption)
        return;
    state_[column].caption = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QString RecordTableModel::numberFormat(int column) const { return state_.value(column).numberFormat; }

void RecordTableModel::setNumberFormat(int column, const QString &format)
{
    if (!validColumn(column) || state_[column].numberFormat == format)
        return;
    state_[column].numberFormat = format;
    columnChanged(column);
}

bool RecordTableModel::isLocked(int column) const { return state_.value(column).locked; }

void RecordTableModel::setLocked(int column, bool locked)
{
    if (!validColumn(column) || state_[column].locked == locked)
        return;
    state_[column].locked = locked;
    // A lock draws nothing differently: it only refuses the column's
    // editors. Views ask for the flags when an editor would open, so the
    // column is not drawn again (in the indirect exports the dollar
    // columns lock and unlock with every peso amount confirmed).
    emit lockChanged(column);
}

bool RecordTableModel::hasButton(int column) const { return state_.value(column).button; }

void RecordTableModel::setButton(int column, bool button)
{
    if (!validColumn(column) || state_[column].button == button)
        return;
    state_[column].button = button;
    columnChanged(column);
}

Qt::Alignment RecordTableModel::alignment(int column) const
{
    if (!validColumn(column))
        return Qt::AlignLeft;
    if (state_[column].alignment)
        return state_[column].alignment;
    return numeric_.value(column) ? Qt::AlignRight : Qt::AlignLeft;
}

void RecordTableModel::setAlignment(int column, Qt::Alignment alignment)
{
    if (!validColumn(column))
        return;
    state_[column].alignment = alignment & Qt::AlignHorizontal_Mask;
    columnChanged(column);
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columns_.size())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(row, column);
    case Qt::EditRole:
        return cellValue(row, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | alignment(column));
    default:
        return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columns_.size())
            return {};
        if (role == Qt::DisplayRole)
            return state_[section].caption;
        if (role == Qt::ToolTipRole)
            return columns_[section].help;
        return {};
    }
    if (role != Qt::DisplayRole || section < 0 || section >= rowCount())
        return {};
    if (section == pendingRow_)
        return editingMark();
    if (section == records_)
        return newRecordMark();
    return QString::number(section + 1);
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return isBound(index.column()) && !isLocked(index.column()) ? base | Qt::ItemIsEditable : base;
}

void RecordTableModel::markRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit rowMarkChanged(row);
}

bool RecordTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    return setCellValue(index.row(), index.column(), value.toString());
}

bool RecordTableModel::setCellValue(int row, int column, const QString &text)
{
    if (row < 0 || row >= rowCount() || !isBound(column))
        return false;
    // An editor closed without a change brings back the text it was given:
    // that is no edit, and on the new-record line it must not add a record.
    if (text == cellValue(row, column))
        return true;
    if (pendingRow_ >= 0 && pendingRow_ != row) {
        try {
            if (!commitPendingRow())
                return false;
        } catch (const StoreError &) {
            return false;
        }
    }
    const QModelIndex index = this->index(row, column);
    const bool started = pendingRow_ != row;
    pendingRow_ = row;
    pendingTexts_.insert(column, text);
    emit dataChanged(index, index);
    if (started)
        emit rowMarkChanged(row);
    return true;
}

void RecordTableModel::writePendingRow()
{
    emit aboutToWritePendingRow(); // an open editor may still hold a typed text
    if (!commitPendingRow())
        throw StoreError(QStringLiteral("El renglón %1 de la tabla «%2» sigue en edición y no se guardó.")
                             .arg(pendingRow_ + 1)
                             .arg(recordset() ? recordset()->tableName() : QString()));
}

bool RecordTableModel::commitPendingRow()
{
    if (pendingRow_ < 0)
        return true;
    Recordset *rs = recordset();
    if (!rs || pendingTexts_.isEmpty()) {
        discardPendingRow();
        return true;
    }
    const int row = pendingRow_;
    const bool adding = row == records_;
    const auto blank = [](const QString &text) { return text.isEmpty(); };
    if (adding && std::all_of(pendingTexts_.cbegin(), pendingTexts_.cend(), blank)) {
        discardPendingRow(); // texts typed and erased again add no blank record
        return true;
    }
    bool cancel = false;
    emit beforeWritingRow(row, &cancel);
    if (cancel)
        return false;
    if (pendingRow_ != row || pendingTexts_.isEmpty())
        return true; // the listener dropped the row
    try {
        if (adding) {
            rs->AddNew();
        } else {
            rs->moveToRow(row);
            rs->Edit();
        }
        for (auto it = pendingTexts_.cbegin(); it != pendingTexts_.cend(); ++it)
            rs->setValue(fields_[it.key()], it.value().isEmpty() ? QVariant() : QVariant(it.value()));
        for (auto it = pendingFields_.cbegin(); it != pendingFields_.cend(); ++it)
            rs->setValue(it.key(), it.value());
        rs->Update();
    } catch (const StoreError &) {
        // Nothing reaches the table; what was typed stays for another try.
        if (rs->editMode() != Recordset::EditMode::None)
            rs->CancelUpdate();
        throw;
    }
    pendingRow_ = -1;
    pendingTexts_.clear();
    pendingFields_.clear();
    if (changedElsewhere()) {
        reload(); // the write found the table written by someone else
    } else if (adding) {
        if (rs->rowCount() == records_ + 1) {
            // The new record takes the place of the line typed on, and the
            // blank line moves down below it.
            beginInsertRows(QModelIndex(), row, row);
            ++records_;
            endInsertRows();
        } else {
            reload(); // the table grew by more than this record: read it anew
        }
    } else {
        markRow(row);
    }
    emit rowWritten(row);
    return true;
}

bool RecordTableModel::setPendingField(const QString &field, const QVariant &value)
{
    Recordset *rs = recordset();
    if (pendingRow_ < 0 || !rs)
        return false;
    const int index = rs->fieldIndex(field);
    if (index < 0)
        return false;
    pendingFields_.insert(index, value);
    return true;
}

void RecordTableModel::discardPendingRow()
{
    const int row = pendingRow_;
    pendingRow_ = -1;
    pendingTexts_.clear();
    pendingFields_.clear();
    markRow(row);
}

void RecordTableModel::deleteRow(int row)
{
    Recordset *rs = recordset();
    if (!rs || row < 0 || row > records_)
        return;
    if (row == records_) {
        if (pendingRow_ == row)
            discardPendingRow();
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    try {
        rs->moveToRow(row);
        rs->Delete();
    } catch (const StoreError &) {
        // The removal is announced already; it ends, and the rows are read
        // anew from what the table holds.
        --records_;
        endRemoveRows();
        reload();
        throw;
    }
    if (pendingRow_ == row) {
        pendingRow_ = -1;
        pendingTexts_.clear();
        pendingFields_.clear();
    } else if (pendingRow_ > row) {
        --pendingRow_;
    }
    --records_;
    endRemoveRows();
    if (changedElsewhere())
        reload();
    emit rowDeleted();
}
