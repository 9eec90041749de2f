#include "file_choice.h"

#include "message_box.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace FileChoice {

namespace {

bool isScripted = false;
QStringList queue;

QString next()
{
    return queue.isEmpty() ? QString() : queue.takeFirst();
}

// The extensions a filter names: "Hojas (*.csv *.xlsx);;Todos (*)" gives
// csv and xlsx.
QStringList extensionsOf(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([^\\s;()]+)"));
    QStringList found;
    for (auto it = pattern.globalMatch(filter); it.hasNext();)
        found.append(it.next().captured(1));
    return found;
}

} // namespace

QString toRead(QWidget *parent, const QString &title, const QString &filter)
{
    return isScripted ? next().section(u'|', 0, 0) : QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString toWrite(QWidget *parent, const QString &title, const QString &filter, const QString &suggested,
                QString *selected)
{
    QString path, type = selected ? *selected : QString();
    if (type.isEmpty())
        type = filter.section(QStringLiteral(";;"), 0, 0);
    if (isScripted) {
        const QString choice = next();
        path = choice.section(u'|', 0, 0);
        if (choice.contains(u'|'))
            type = choice.section(u'|', 1);
    } else {
        QFileDialog dialog(parent, title, suggested, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectNameFilter(type);
        // The dialog itself adds the type's extension to a name typed
        // without one, and asks before replacing that file.
        const auto follow = [&dialog](const QString &chosen) {
            dialog.setDefaultSuffix(extensionsOf(chosen).value(0));
        };
        follow(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
        if (dialog.exec() == QDialog::Accepted)
            path = dialog.selectedFiles().value(0), type = dialog.selectedNameFilter();
    }
    if (selected)
        *selected = type;
    if (path.isEmpty())
        return {};
    const QString typed = QFileInfo(path).suffix();
    const QString added = extensionsOf(type).value(0);
    if (added.isEmpty() || extensionsOf(filter).contains(typed, Qt::CaseInsensitive))
        return path;
    path += u'.' + added;
    if (QFileInfo::exists(path)
        && !MessageBox::question(parent, QStringLiteral("El archivo «%1» ya existe. ¿Reemplazarlo?")
                                             .arg(QDir::toNativeSeparators(path))))
        return {};
    return path;
}

void setScripted(const QStringList &choices)
{
    isScripted = true;
    queue = choices;
}

bool scripted() { return isScripted; }

} // namespace FileChoice
