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

} // namespace RequestChoices
