#include "record_table_model.h"

#include "store/dbf_table.h"
#include "store/field_codec.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDate>
#include <algorithm>

RecordTableModel::RecordTableModel(DataLink *link, QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), link_(link), columns_(std::move(columns))
{
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
    try {
        records_ = rs->rowCount();
    } catch (const StoreError &) {
        // A table whose records cannot be counted shows none; the engine
        // reports the damage to whoever walks it.
        records_ = 0;
    }
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
    // Reading moves the record set, which would drop a record that someone
    // is editing through the link right now; such a moment shows nothing.
    if (rs->editMode() != Recordset::EditMode::None)
        return {};
    try {
        rs->moveToRow(row);
        return displayText(rs->value(fields_[column]));
    } catch (const StoreError &) {
        return {};
    }
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columns_.size())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (row == pendingRow_ && pendingTexts_.contains(column))
            return pendingTexts_.value(column);
        return recordText(row, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter
                                   | (numeric_.value(column) ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ToolTipRole:
        return columns_[column].help;
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
            return columns_[section].caption;
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
    return isBound(index.column()) ? base | Qt::ItemIsEditable : base;
}

void RecordTableModel::markRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

bool RecordTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() || !isBound(index.column()))
        return false;
    const int row = index.row();
    const int column = index.column();
    const QString text = value.toString();
    // An editor closed without a change brings back the text it was given:
    // that is no edit, and on the new-record line it must not add a record.
    if (text == data(index, Qt::EditRole).toString())
        return true;
    if (pendingRow_ >= 0 && pendingRow_ != row) {
        try {
            commitPendingRow();
        } catch (const StoreError &) {
            return false;
        }
    }
    const bool started = pendingRow_ != row;
    pendingRow_ = row;
    pendingTexts_.insert(column, text);
    emit dataChanged(index, index);
    if (started)
        emit headerDataChanged(Qt::Vertical, row, row);
    return true;
}

void RecordTableModel::writePendingRow()
{
    emit aboutToWritePendingRow(); // an open editor may still hold a typed text
    commitPendingRow();
}

void RecordTableModel::commitPendingRow()
{
    if (pendingRow_ < 0)
        return;
    Recordset *rs = recordset();
    if (!rs || pendingTexts_.isEmpty()) {
        discardPendingRow();
        return;
    }
    const int row = pendingRow_;
    const bool adding = row == records_;
    const auto blank = [](const QString &text) { return text.isEmpty(); };
    if (adding && std::all_of(pendingTexts_.cbegin(), pendingTexts_.cend(), blank)) {
        discardPendingRow(); // texts typed and erased again add no blank record
        return;
    }
    try {
        if (adding) {
            rs->AddNew();
        } else {
            rs->moveToRow(row);
            rs->Edit();
        }
        for (auto it = pendingTexts_.cbegin(); it != pendingTexts_.cend(); ++it)
            rs->setValue(fields_[it.key()], it.value().isEmpty() ? QVariant() : QVariant(it.value()));
        rs->Update();
    } catch (const StoreError &) {
        // Nothing reaches the table; what was typed stays for another try.
        if (rs->editMode() != Recordset::EditMode::None)
            rs->CancelUpdate();
        throw;
    }
    pendingRow_ = -1;
    pendingTexts_.clear();
    if (adding) {
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
}

void RecordTableModel::discardPendingRow()
{
    const int row = pendingRow_;
    pendingRow_ = -1;
    pendingTexts_.clear();
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
    } else if (pendingRow_ > row) {
        --pendingRow_;
    }
    --records_;
    endRemoveRows();
    emit rowDeleted();
}
