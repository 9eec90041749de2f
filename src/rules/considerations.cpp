#include "considerations.h"

#include "store/code_page.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Considerations {

namespace {

// Larger than any text of this kind: refused rather than read whole.
constexpr qint64 kLargest = 8 * 1024 * 1024;

} // namespace

QString fileName(int refundTypePosition)
{
    return refundTypePosition == 0 ? QStringLiteral("consider.txt") : QStringLiteral("consideret.txt");
}

QString path(const QString &requestFolder, const QString &programData, int refundTypePosition)
{
    const QString name = fileName(refundTypePosition);
    const QString own = QDir(requestFolder).filePath(name);
    if (!requestFolder.isEmpty() && QFileInfo(own).isFile())
        return own;
    return QDir(programData).filePath(name);
}

QString decode(const QByteArray &bytes)
{
    QString text = CodePage::decodeText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    // Shown and printed in a fixed-pitch face, a column per character: a
    // tab is the blanks up to the next multiple of eight columns.
    if (!text.contains(u'\t'))
        return text;
    QString expanded;
    qsizetype column = 0;
    for (const QChar c : std::as_const(text)) {
        if (c == u'\t') {
            const qsizetype blanks = 8 - column % 8;
            expanded.append(QString(blanks, u' '));
            column += blanks;
        } else {
            expanded.append(c);
            column = c == u'\n' ? 0 : column + 1;
        }
    }
    return expanded;
}

Loaded load(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.exists())
        return {{}, QStringLiteral("No se encontró el archivo de consideraciones generales «%1».").arg(shown)};
    if (file.size() > kLargest)
        return {{}, QStringLiteral("El archivo de consideraciones generales «%1» es demasiado grande para "
                                   "mostrarse.")
                        .arg(shown)};
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("No se pudo leer el archivo de consideraciones generales «%1».\n\n%2")
                        .arg(shown, file.errorString())};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("No se pudo leer el archivo de consideraciones generales «%1».\n\n%2")
                        .arg(shown, file.errorString())};
    return {decode(bytes), {}};
}

} // namespace Considerations
