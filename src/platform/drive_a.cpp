#include "drive_a.h"

#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace DriveA {

namespace {

std::optional<Places> &testPlaces()
{
    static std::optional<Places> places;
    return places;
}

std::function<int(const QStringList &)> &testPick()
{
    static std::function<int(const QStringList &)> pick;
    return pick;
}

QString userName()
{
    const QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty())
        return user;
    const passwd *pw = ::getpwuid(::getuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

int pickFrom(QWidget *parent, const QStringList &folders)
{
    if (const auto &pick = testPick())
        return pick(folders);
    QStringList items;
    for (const QString &folder : folders) {
        const QStorageInfo volume(folder);
        const QString name = volume.displayName();
        items.append(name.isEmpty() || name == folder
                         ? QDir::toNativeSeparators(folder)
                         : QStringLiteral("%1 (%2)").arg(name, QDir::toNativeSeparators(folder)));
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        parent, QStringLiteral("QUELVAR"), QStringLiteral("¿Cuál medio se usa como unidad A?"), items, 0, false, &ok);
    return ok ? int(items.indexOf(chosen)) : -1;
}

bool readable(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

Places systemPlaces()
{
    Places places;
    places.named = qEnvironmentVariable("QUELVAR_UNIDAD_A");
    const QString floppy = QStringLiteral("/media/floppy");
    const QStorageInfo floppyVolume(floppy);
    if (floppyVolume.isValid() && floppyVolume.isReady() && QDir::cleanPath(floppyVolume.rootPath()) == floppy)
        places.floppy = floppy;
    const QString user = userName();
    if (!user.isEmpty()) {
        const QStringList roots{QStringLiteral("/media/%1/").arg(user), QStringLiteral("/run/media/%1/").arg(user)};
        for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
            if (!volume.isValid() || !volume.isReady())
                continue;
            const QString root = QDir::cleanPath(volume.rootPath());
            for (const QString &under : roots)
                if (root.startsWith(under) && !places.removable.contains(root))
                    places.removable.append(root);
        }
    }
    return places;
}

Choice choose(QWidget *parent, Use use)
{
    const Places places = testPlaces() ? *testPlaces() : systemPlaces();
    QString folder;
    if (!places.named.isEmpty()) {
        folder = places.named;
    } else if (!places.floppy.isEmpty()) {
        folder = places.floppy;
    } else if (places.removable.size() == 1) {
        folder = places.removable.first();
    } else if (places.removable.size() > 1) {
        const int index = pickFrom(parent, places.removable);
        if (index < 0 || index >= places.removable.size())
            return {Choice::Cancelled, {}};
        folder = places.removable[index];
    }
    if (folder.isEmpty() || !readable(folder))
        return {Choice::NotReady, {}};
    const QString absolute = QDir(folder).absolutePath();
    if (use == Use::Write && !writable(absolute))
        return {Choice::NotWritable, absolute};
    return {Choice::Ready, absolute};
}

bool writable(const QString &folder)
{
    // Permission bits alone would not tell: they do not stop the superuser,
    // and a medium mounted read-only or a locked folder refuses everyone.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".quelvar-prueba-XXXXXX")));
    return probe.open();
}

void setPlacesForTests(const Places *places) { testPlaces() = places ? std::optional<Places>(*places) : std::nullopt; }

void setPickForTests(std::function<int(const QStringList &)> pick) { testPick() = std::move(pick); }

} // namespace DriveA
