#include "request_choices.h"

#include "store_error.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace RequestChoices {

namespace {

const QString kRefundCodes = QStringLiteral("MRP");

bool isRefundCode(const QString &code) { return code.size() == 1 && kRefundCodes.contains(code); }

// Makes the folder's entries (a file renamed into place, a file removed)
// survive a power cut.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString folio(const QString &number, const QString &year)
{
    if (number.isEmpty() && year.isEmpty())
        return {};
    const QChar fill = number.isEmpty() ? u' ' : u'0';
    return number.rightJustified(4, fill) + year;
}

FolioParts splitFolio(const QString &stored)
{
    return {stored.mid(0, 4).trimmed(), stored.mid(4, 4).trimmed()};
}

QString refundTypeFile(const QString &folder) { return QDir(folder).filePath(QStringLiteral(".quelvar.devolucion")); }

QString readRefundType(const QString &folder)
{
    QFile file(refundTypeFile(folder));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString code = QString::fromLatin1(file.read(16)).trimmed().toUpper();
    return isRefundCode(code) ? code : QString();
}

void writeRefundType(const QString &folder, const QString &code)
{
    const QString path = refundTypeFile(folder);
    // Written whole under another name and renamed into place (QSaveFile
    // flushes it to the disk first): the file holds the old type or the
    // new one, never a part of either.
    QSaveFile file(path);
    const QByteArray text = isRefundCode(code) ? code.toLatin1() + '\n' : QByteArray();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw StoreError(QStringLiteral("No se pudo guardar el tipo de devolución en «%1»: %2.")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    syncFolder(folder);
}

void removeRefundType(const QString &folder)
{
    const QString path = refundTypeFile(folder);
    if (QFile::exists(path) && !QFile::remove(path))
        throw StoreError(QStringLiteral("No se pudo borrar «%1».").arg(QDir::toNativeSeparators(path)));
    syncFolder(folder);
}

namespace {

QString firstChar(const QVariant &v) { return v.isNull() ? QString() : v.toString().trimmed().left(1).toUpper(); }

// The code at a position of a list of one-letter codes; null outside it.
QVariant codeAt(const QString &codes, int index)
{
    return index >= 0 && index < codes.size() ? QVariant(codes.mid(index, 1)) : QVariant();
}

} // namespace

Codes encode(const Choices &c)
{
    Codes codes;
    const bool direct = c.requestType == 0;
    const bool transfer = c.requestType == 1;
    if (direct || transfer)
        codes.oTipoExpor = c.requestType;
    codes.tipoExpor = transfer ? QVariant(QStringLiteral("T")) : codeAt(kRefundCodes, c.refundType);
    // A direct request names its export type only for transformed goods.
    if (direct)
        codes.merRet = c.refundType == 0 ? codeAt(QStringLiteral("ONT"), c.exportType) : QVariant();
    else
        codes.merRet = codeAt(QStringLiteral("CP"), c.exportType);
    const bool initial = c.kind == 0;
    codes.tsol = initial ? QStringLiteral("N") : QStringLiteral("R");
    if (!initial)
        codes.folio = folio(c.folioNumber, c.folioYear);
    codes.keptRefundType = codeAt(kRefundCodes, c.refundType).toString();
    return codes;
}

Choices decode(const Codes &codes)
{
    Choices c;
    if (!codes.oTipoExpor.isNull())
        c.requestType = codes.oTipoExpor.toInt();
    QString refund = firstChar(codes.tipoExpor);
    // A request read from a medium has no refund type kept: it stays as stored.
    if (refund == QLatin1String("T"))
        refund = codes.keptRefundType;
    c.refundType = refund.size() == 1 ? int(kRefundCodes.indexOf(refund)) : -1;

    const QString merRet = firstChar(codes.merRet);
    if (codes.oTipoExpor.isNull())
        c.exportType = -1;
    else if (c.requestType != 0)
        c.exportType = merRet.isEmpty() ? -1 : int(QStringLiteral("CP").indexOf(merRet));
    else if (firstChar(codes.tipoExpor) == QLatin1String("M"))
        c.exportType = merRet.isEmpty() ? -1 : int(QStringLiteral("ONT").indexOf(merRet));

    c.kind = firstChar(codes.tsol) == QLatin1String("N") ? 0 : 1;
    if (c.kind == 1 && !codes.folio.isNull()) {
        const FolioParts parts = splitFolio(codes.folio.toString());
        c.folioNumber = parts.number;
        c.folioYear = parts.year;
    }
    return c;
}

} // namespace RequestChoices
