#include "dbf_table.h"

#include "code_page.h"
#include "field_codec.h"
#include "store_error.h"

#include <QDate>
#include <atomic>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <mutex>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFileHeader = 32;
constexpr int kDescriptor = 32;
constexpr char kTerminator = 0x0D;
constexpr char kEndOfFile = 0x1A;
constexpr qint64 kChunkBytes = 256 * 1024;

quint32 le32(const unsigned char *p) { return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24; }
quint16 le16(const unsigned char *p) { return quint16(p[0] | p[1] << 8); }

void putLe32(unsigned char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void putLe16(unsigned char *p, quint16 v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void putToday(unsigned char *p)
{
    const QDate today = QDate::currentDate();
    p[0] = static_cast<unsigned char>(today.year() - 1900);
    p[1] = static_cast<unsigned char>(today.month());
    p[2] = static_cast<unsigned char>(today.day());
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool acceptedVersion(unsigned char v) { return v == 0x03 || v == 0x83 || v == 0xF5; }

QString hexByte(unsigned char b) { return QStringLiteral("0x") + QString::number(b, 16).toUpper().rightJustified(2, u'0'); }

// Checks a field's declared kind and size; returns an empty text when sound.
QString fieldFault(const FieldDef &f)
{
    switch (f.type) {
    case 'C':
        return f.length > 0 ? QString() : QStringLiteral("tiene longitud cero");
    case 'N':
    case 'F':
        if (f.length < 1 || f.length > 20)
            return QStringLiteral("es numérico de longitud %1 (se admiten de 1 a 20)").arg(f.length);
        if (f.decimals > 0 && f.decimals > f.length - 2)
            return QStringLiteral("declara %1 decimales en %2 posiciones").arg(f.decimals).arg(f.length);
        return {};
    case 'D':
        return f.length == 8 ? QString() : QStringLiteral("es una fecha de longitud %1 (debe ser 8)").arg(f.length);
    case 'L':
        return f.length == 1 ? QString() : QStringLiteral("es lógico de longitud %1 (debe ser 1)").arg(f.length);
    case 'M':
    case 'G':
    case 'P':
        return f.length > 0 ? QString() : QStringLiteral("tiene longitud cero");
    default:
        return QStringLiteral("es de un tipo no admitido («%1»)").arg(QLatin1Char(f.type));
    }
}

// The tables open in the program: a write through one tells the others of
// the same file.
std::mutex openTablesLock;
std::vector<DbfTable *> &openTables()
{
    static std::vector<DbfTable *> tables;
    return tables;
}

} // namespace

DbfTable::~DbfTable()
{
    forget();
    if (fd_ >= 0)
        ::close(fd_);
}

void DbfTable::forget()
{
    const std::lock_guard lock(openTablesLock);
    std::vector<DbfTable *> &tables = openTables();
    tables.erase(std::remove(tables.begin(), tables.end(), this), tables.end());
}

void DbfTable::tellOtherHandles()
{
    const std::lock_guard lock(openTablesLock);
    for (DbfTable *other : openTables())
        if (other != this && other->device_ == device_ && other->inode_ == inode_) {
            // What this write left is the program's own: the other handle
            // has nothing read from before it.
            other->readAgain();
            other->ownStamp_ = other->stamp();
        }
}

void DbfTable::fail(const QString &what) const
{
    throw StoreError(QStringLiteral("La tabla «%1» no se puede usar: %2.").arg(path_, what));
}

std::unique_ptr<DbfTable> DbfTable::open(const QString &path)
{
    std::unique_ptr<DbfTable> t(new DbfTable);
    t->path_ = path;
    t->name_ = QFileInfo(path).completeBaseName();
    const QByteArray native = QFile::encodeName(path);
    t->fd_ = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (t->fd_ < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        t->fd_ = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        t->readOnly_ = true;
    }
    if (t->fd_ < 0) {
        if (errno == ENOENT)
            throw StoreError(QStringLiteral("No existe la tabla «%1».").arg(path));
        t->fail(QStringLiteral("no se puede abrir (%1)").arg(systemError()));
    }
    struct stat st {};
    if (::fstat(t->fd_, &st) != 0 || !S_ISREG(st.st_mode))
        t->fail(QStringLiteral("no es un archivo"));
    t->device_ = quint64(st.st_dev);
    t->inode_ = quint64(st.st_ino);
    t->readHeader();
    t->ownStamp_ = t->stamp();
    const std::lock_guard lock(openTablesLock);
    openTables().push_back(t.get());
    return t;
}

DbfTable::Stamp DbfTable::stamp() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

void DbfTable::readHeader()
{
    struct stat st {};
    ::fstat(fd_, &st);
    const qint64 size = st.st_size;
    if (size < kFileHeader)
        fail(QStringLiteral("el archivo mide %1 bytes, menos que un encabezado").arg(size));

    unsigned char head[kFileHeader];
    if (::pread(fd_, head, kFileHeader, 0) != kFileHeader)
        fail(QStringLiteral("no se puede leer el encabezado (%1)").arg(systemError()));
    version_ = head[0];
    if (!acceptedVersion(version_))
        fail(QStringLiteral("su versión %1 no es de dBASE III ni de FoxPro 2").arg(hexByte(version_)));
    count_ = le32(head + 4);
    headerLength_ = le16(head + 8);
    recordLength_ = le16(head + 10);
    codePage_ = CodePage::forMark(head[29]);
    if (!codePage_)
        fail(QStringLiteral("su página de códigos %1 no es admitida").arg(hexByte(head[29])));

    if (headerLength_ > size)
        fail(QStringLiteral("el encabezado declara %1 bytes y el archivo sólo tiene %2").arg(headerLength_).arg(size));
    if (headerLength_ < kFileHeader + kDescriptor + 1)
        fail(QStringLiteral("el encabezado declara %1 bytes, que no alcanzan para un campo").arg(headerLength_));

    std::vector<unsigned char> h(static_cast<size_t>(headerLength_));
    if (::pread(fd_, h.data(), size_t(headerLength_), 0) != headerLength_)
        fail(QStringLiteral("no se puede leer el encabezado (%1)").arg(systemError()));

    int offset = 1;
    for (int pos = kFileHeader;; pos += kDescriptor) {
        if (pos >= headerLength_)
            fail(QStringLiteral("la lista de campos no termina dentro del encabezado"));
        if (char(h[size_t(pos)]) == kTerminator)
            break;
        const int number = int(fields_.size()) + 1;
        if (pos + kDescriptor > headerLength_)
            fail(QStringLiteral("el descriptor del campo %1 sale del encabezado").arg(number));
        const unsigned char *d = h.data() + pos;
        int nameLength = 0;
        while (nameLength < 11 && d[nameLength] != 0)
            ++nameLength;
        FieldDef f;
        f.name = QString::fromLatin1(reinterpret_cast<const char *>(d), nameLength).trimmed();
        f.type = char(d[11]);
        f.length = d[16];
        f.decimals = (f.type == 'N' || f.type == 'F') ? d[17] : 0;
        f.offset = offset;
        if (f.name.isEmpty())
            fail(QStringLiteral("el campo %1 no tiene nombre").arg(number));
        const QString fault = fieldFault(f);
        if (!fault.isEmpty())
            fail(QStringLiteral("el campo %1 %2").arg(f.name, fault));
        if (offset + f.length > recordLength_)
            fail(QStringLiteral("el campo %1 sale del registro de %2 bytes").arg(f.name).arg(recordLength_));
        offset += f.length;
        fields_.push_back(f);
    }
    if (fields_.empty())
        fail(QStringLiteral("no tiene campos"));
    if (offset != recordLength_)
        fail(QStringLiteral("la longitud de registro declarada (%1) no coincide con la de sus campos (%2)")
                 .arg(recordLength_)
                 .arg(offset));
    takeCount(count_, size);
}

// The records a header counts, up to the records the file holds whole.
void DbfTable::takeCount(quint32 declared, qint64 fileSize)
{
    const qint64 room = (fileSize - headerLength_) / recordLength_;
    declaredCount_ = declared;
    countAhead_ = qint64(declared) > room;
    count_ = countAhead_ ? quint32(room) : declared;
}

QString DbfTable::countAheadText() const
{
    if (!countAhead_)
        return {};
    return QStringLiteral("declara %1 registros y el archivo sólo contiene %2").arg(declaredCount_).arg(count_);
}

int DbfTable::fieldIndex(const QString &name) const
{
    const auto hit = nameCache_.constFind(name);
    if (hit != nameCache_.constEnd())
        return hit.value();
    int found = -1;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
            found = int(i);
            break;
        }
    }
    nameCache_.insert(name, found);
    return found;
}

quint32 DbfTable::refreshCount()
{
    unsigned char c[4];
    if (::pread(fd_, c, 4, 4) != 4)
        fail(QStringLiteral("no se puede leer el encabezado (%1)").arg(systemError()));
    struct stat st {};
    ::fstat(fd_, &st);
    const quint32 before = count_;
    takeCount(le32(c), st.st_size);
    if (count_ != before) {
        bufferCount_ = 0;
        generation_ = nextGeneration();
    }
    return count_;
}

void DbfTable::catchUp()
{
    const Stamp now = stamp();
    if (now == ownStamp_)
        return;
    readAgain();
    ownStamp_ = now;
}

bool DbfTable::lookAgain()
{
    const quint64 before = changesElsewhere_;
    catchUp();
    return changesElsewhere_ != before;
}

void DbfTable::readAgain()
{
    unsigned char c[4];
    struct stat st {};
    if (::pread(fd_, c, 4, 4) == 4 && ::fstat(fd_, &st) == 0)
        takeCount(le32(c), st.st_size);
    bufferCount_ = 0;
    generation_ = nextGeneration();
    ++changesElsewhere_;
}

void DbfTable::load(quint32 recno)
{
    if (recno >= count_)
        fail(QStringLiteral("se pidió el registro %1 de %2").arg(recno + 1).arg(count_));
    const quint32 chunk = quint32(std::max<qint64>(1, kChunkBytes / recordLength_));
    quint32 first = recno;
    if (bufferCount_ > 0 && recno < bufferFirst_)
        first = recno + 1 >= chunk ? recno + 1 - chunk : 0; // walking backwards
    const quint32 n = std::min(chunk, count_ - first);
    const size_t bytes = size_t(n) * size_t(recordLength_);
    buffer_.resize(bytes);
    size_t done = 0;
    const off_t base = off_t(headerLength_) + off_t(first) * recordLength_;
    while (done < bytes) {
        const ssize_t r = ::pread(fd_, buffer_.data() + done, bytes - done, base + off_t(done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            bufferCount_ = 0;
            fail(r < 0 ? QStringLiteral("error de lectura (%1)").arg(systemError())
                       : QStringLiteral("el archivo terminó antes del registro %1").arg(recno + 1));
        }
        done += size_t(r);
    }
    bufferFirst_ = first;
    bufferCount_ = n;
}

const char *DbfTable::record(quint32 recno)
{
    if (bufferCount_ == 0 || recno < bufferFirst_ || recno - bufferFirst_ >= bufferCount_)
        load(recno);
    return buffer_.data() + size_t(recno - bufferFirst_) * size_t(recordLength_);
}

QByteArray DbfTable::blankRecord() const { return QByteArray(recordLength_, ' '); }

QVariant DbfTable::value(const char *record, int field) const
{
    return FieldCodec::decode(fields_[size_t(field)], record, *codePage_);
}

void DbfTable::setValue(char *record, int field, const QVariant &value) const
{
    FieldCodec::encode(fields_[size_t(field)], value, *codePage_, record, name_);
}

void DbfTable::ensureWritable() const
{
    if (readOnly_)
        throw StoreError(QStringLiteral("La tabla «%1» es de sólo lectura; no se puede escribir en ella.").arg(path_));
}

quint64 DbfTable::nextGeneration()
{
    static std::atomic<quint64> last{0};
    return ++last;
}

void DbfTable::writeAt(qint64 offset, const char *data, qint64 size)
{
    generation_ = nextGeneration();
    ensureWritable();
    qint64 done = 0;
    while (done < size) {
        const ssize_t w = ::pwrite(fd_, data + done, size_t(size - done), off_t(offset + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            throw StoreError(QStringLiteral("No se pudo escribir en la tabla «%1»: %2.").arg(path_, systemError()));
        done += w;
    }
}

// The date of the last change, and the record count when asked for or when
// the header counted records the file did not hold (repaired by any write).
void DbfTable::stampHeader(bool withCount)
{
    unsigned char h[7];
    putToday(h);
    putLe32(h + 3, count_);
    const bool count = withCount || countAhead_;
    writeAt(1, reinterpret_cast<const char *>(h), count ? 7 : 3);
    if (count) {
        declaredCount_ = count_;
        countAhead_ = false;
    }
}

void DbfTable::writeRecord(quint32 recno, const QByteArray &bytes)
{
    Q_ASSERT(bytes.size() == recordLength_);
    const auto told = qScopeGuard([this] { tellOtherHandles(); });
    catchUp();
    if (recno >= count_)
        fail(QStringLiteral("se quiso escribir el registro %1 de %2").arg(recno + 1).arg(count_));
    const quint64 from = generation_;
    QByteArray before;
    if (followed())
        before = QByteArray(record(recno), recordLength_);
    writeAt(qint64(headerLength_) + qint64(recno) * recordLength_, bytes.constData(), recordLength_);
    if (bufferCount_ > 0 && recno >= bufferFirst_ && recno - bufferFirst_ < bufferCount_)
        std::memcpy(buffer_.data() + size_t(recno - bufferFirst_) * size_t(recordLength_), bytes.constData(),
                    size_t(recordLength_));
    stampHeader(false);
    ownStamp_ = stamp();
    if (!before.isNull())
        tell(from, before.constData(), bytes.constData());
}

quint32 DbfTable::appendRecord(const QByteArray &bytes)
{
    Q_ASSERT(bytes.size() == recordLength_);
    ensureWritable();
    const auto told = qScopeGuard([this] { tellOtherHandles(); });
    catchUp();
    // Another handle on the same file may have appended since we last looked.
    const quint32 recno = refreshCount();
    // (after the count is read again: records another program appended are
    // a change no follower is told of)
    const quint64 from = generation_;
    QByteArray withEnd = bytes;
    withEnd.append(kEndOfFile);
    // Durability rule: the record and the end mark after it reach the disk
    // before the count that includes them is written. A power cut then leaves
    // either the old count over a file that may hold the new record uncounted
    // (the record is lost, every counted one is whole) or the new count over
    // the whole record, never a count over bytes that never arrived. The
    // count itself is not synced: losing it loses only the new record.
    writeAt(qint64(headerLength_) + qint64(recno) * recordLength_, withEnd.constData(), withEnd.size());
    if (syncEachAppend_)
        syncData();
    count_ = recno + 1;
    stampHeader(true);
    ownStamp_ = stamp();
    tell(from, nullptr, bytes.constData());
    return recno;
}

quint32 DbfTable::appendRecords(const QList<QByteArray> &records)
{
    ensureWritable();
    const auto told = qScopeGuard([this] { tellOtherHandles(); });
    catchUp();
    const quint32 first = refreshCount();
    if (records.isEmpty())
        return first;
    const quint64 from = generation_;
    // The same rule as one append: every record on the disk before the count
    // that covers them, and that count synced before the caller goes on. The
    // records, which may be many, go a megabyte at a time, the end mark
    // after the last: never copied whole.
    constexpr qsizetype kPiece = 1 << 20;
    QByteArray piece;
    piece.reserve(kPiece + recordLength_ + 1);
    qint64 at = qint64(headerLength_) + qint64(first) * recordLength_;
    for (qsizetype i = 0; i < records.size(); ++i) {
        Q_ASSERT(records[i].size() == recordLength_);
        piece.append(records[i]);
        const bool last = i + 1 == records.size();
        if (last)
            piece.append(kEndOfFile);
        if (last || piece.size() >= kPiece) {
            writeAt(at, piece.constData(), piece.size());
            at += piece.size();
            piece.resize(0);
        }
    }
    syncData();
    bufferCount_ = 0;
    count_ = first + quint32(records.size());
    stampHeader(true);
    syncData();
    ownStamp_ = stamp();
    for (auto &[key, follower] : followers_) {
        if (follower->followed != from)
            continue;
        for (const QByteArray &record : records)
            follower->recordChanged(*this, nullptr, record.constData());
        follower->followed = generation_;
    }
    return first;
}

void DbfTable::truncate(quint32 count)
{
    ensureWritable();
    const auto told = qScopeGuard([this] { tellOtherHandles(); });
    catchUp();
    refreshCount();
    if (count >= count_)
        return;
    // The count first: a cut between the two leaves uncounted bytes past
    // the end, which every reader ignores.
    count_ = count;
    bufferCount_ = 0;
    stampHeader(true);
    const qint64 end = qint64(headerLength_) + qint64(count) * recordLength_;
    writeAt(end, &kEndOfFile, 1);
    if (::ftruncate(fd_, off_t(end + 1)) != 0)
        fail(QStringLiteral("no se pudo recortar (%1)").arg(systemError()));
    syncData();
    ownStamp_ = stamp();
}

void DbfTable::markDeleted(quint32 recno)
{
    const auto told = qScopeGuard([this] { tellOtherHandles(); });
    catchUp();
    if (recno >= count_)
        fail(QStringLiteral("se quiso borrar el registro %1 de %2").arg(recno + 1).arg(count_));
    const char flag = '*';
    const quint64 from = generation_;
    QByteArray before;
    if (followed())
        before = QByteArray(record(recno), recordLength_);
    writeAt(qint64(headerLength_) + qint64(recno) * recordLength_, &flag, 1);
    if (bufferCount_ > 0 && recno >= bufferFirst_ && recno - bufferFirst_ < bufferCount_)
        buffer_[size_t(recno - bufferFirst_) * size_t(recordLength_)] = flag;
    stampHeader(false);
    ownStamp_ = stamp();
    if (!before.isNull()) {
        QByteArray after = before;
        after[0] = flag;
        tell(from, before.constData(), after.constData());
    }
}

DbfTable::Follower *DbfTable::follower(const QString &key) const
{
    for (const auto &[name, follower] : followers_)
        if (name == key)
            return follower.get();
    return nullptr;
}

DbfTable::Follower &DbfTable::addFollower(const QString &key, std::unique_ptr<Follower> follower)
{
    for (auto &[name, kept] : followers_)
        if (name == key) {
            kept = std::move(follower);
            return *kept;
        }
    followers_.emplace_back(key, std::move(follower));
    return *followers_.back().second;
}

std::vector<DbfTable::Follower *> DbfTable::followersBehind() const
{
    std::vector<Follower *> behind;
    for (const auto &[key, follower] : followers_)
        if (follower->followed != generation_)
            behind.push_back(follower.get());
    return behind;
}

bool DbfTable::followed() const
{
    for (const auto &[key, follower] : followers_)
        if (follower->followed == generation_)
            return true;
    return false;
}

void DbfTable::tell(quint64 from, const char *before, const char *after)
{
    for (auto &[key, follower] : followers_) {
        if (follower->followed != from)
            continue;
        follower->recordChanged(*this, before, after);
        follower->followed = generation_;
    }
}

void DbfTable::syncData()
{
    // fdatasync also commits the file's new length, which reading the record
    // back depends on.
    if (::fdatasync(fd_) != 0)
        throw StoreError(QStringLiteral("No se pudo asegurar en disco la tabla «%1»: %2.").arg(path_, systemError()));
}

void DbfTable::sync()
{
    if (readOnly_)
        return;
    if (::fsync(fd_) != 0)
        throw StoreError(QStringLiteral("No se pudo asegurar en disco la tabla «%1»: %2.").arg(path_, systemError()));
}

void DbfTable::create(const QString &path, const QList<FieldDef> &fields)
{
    const QString table = QFileInfo(path).fileName();
    if (fields.isEmpty() || fields.size() > 254)
        throw StoreError(QStringLiteral("La tabla «%1» debe tener de 1 a 254 campos.").arg(table));
    int recordLength = 1;
    QByteArray descriptors;
    for (const FieldDef &f : fields) {
        const QByteArray name = f.name.toUpper().toLatin1();
        bool goodName = !name.isEmpty() && name.size() <= 10;
        for (char c : name)
            goodName = goodName && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
        if (!goodName)
            throw StoreError(QStringLiteral("El nombre de campo «%1» de la tabla «%2» no es válido.").arg(f.name, table));
        QString fault = fieldFault(f);
        if (fault.isEmpty() && f.isMemo())
            fault = QStringLiteral("es memo; no se crean campos memo");
        if (fault.isEmpty() && f.type == 'C' && f.length > 254)
            fault = QStringLiteral("pasa de 254 caracteres");
        if (!fault.isEmpty())
            throw StoreError(QStringLiteral("El campo %1 de la tabla «%2» %3.").arg(f.name, table, fault));
        QByteArray d(kDescriptor, '\0');
        std::memcpy(d.data(), name.constData(), size_t(name.size()));
        d[11] = f.type;
        d[16] = char(f.length);
        d[17] = char(f.isNumeric() ? f.decimals : 0);
        descriptors += d;
        recordLength += f.length;
    }
    if (recordLength > 65535)
        throw StoreError(QStringLiteral("Los registros de la tabla «%1» son demasiado largos.").arg(table));
    const int headerLength = kFileHeader + int(descriptors.size()) + 1;
    QByteArray file(kFileHeader, '\0');
    auto *h = reinterpret_cast<unsigned char *>(file.data());
    h[0] = 0x03;
    putToday(h + 1);
    putLe32(h + 4, 0);
    putLe16(h + 8, quint16(headerLength));
    putLe16(h + 10, quint16(recordLength));
    h[29] = CodePage::windows1252().mark();
    file += descriptors;
    file += kTerminator;
    file += kEndOfFile;

    // Written whole under a scratch name, then linked into place: the table
    // appears complete or not at all, and an existing file is never replaced.
    const QByteArray native = QFile::encodeName(path);
    const QByteArray scratch = native + ".nueva-" + QByteArray::number(::getpid());
    const int fd = ::open(scratch.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw StoreError(QStringLiteral("No se pudo crear la tabla «%1»: %2.").arg(path, systemError()));
    const bool written = ::write(fd, file.constData(), size_t(file.size())) == file.size() && ::fsync(fd) == 0;
    QString why = systemError();
    ::close(fd);
    int linkError = 0;
    if (written && ::link(scratch.constData(), native.constData()) != 0) {
        linkError = errno;
        why = systemError();
    }
    ::unlink(scratch.constData());
    if (linkError == EEXIST)
        throw StoreError(QStringLiteral("La tabla «%1» ya existe; no se sobrescribe.").arg(path));
    if (!written || linkError != 0)
        throw StoreError(QStringLiteral("No se pudo crear la tabla «%1»: %2.").arg(path, why));
}
