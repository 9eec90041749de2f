#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Drive A, where the request's tables are handed over: on Linux a folder.
// It is chosen in this order:
//  1. the folder named by the environment variable QUELVAR_UNIDAD_A (when
//     set, it alone decides);
//  2. /media/floppy, when a medium is mounted there;
//  3. the removable medium mounted for the user under /media/$USER or
//     /run/media/$USER: the one there is, or the one the user picks from a
//     list when there are several.
namespace DriveA {

// Where drive A could be, as the system shows it now.
struct Places {
    QString named;         // QUELVAR_UNIDAD_A, empty when not set
    QString floppy;        // "/media/floppy" when it is a mount point, else empty
    QStringList removable; // mount points of the user's removable media
};
Places systemPlaces();

enum class Use { Read, Write };

struct Choice {
    enum Status { Ready, NotReady, Cancelled, NotWritable };
    Status status = NotReady;
    QString folder; // Ready and NotWritable: the folder chosen
};

// The folder standing for drive A. NotReady when there is none, or when the
// one chosen is not a folder that can be read; NotWritable, for Write, when
// it is there but cannot be written (writable()); Cancelled when the user
// closes the list without picking.
Choice choose(QWidget *parent, Use use);

// Whether a file can be made in the folder: one is made there and removed
// at once. Whatever refuses it (permissions, a medium mounted read-only or
// locked against writing, a file system that takes no new files) says no.
bool writable(const QString &folder);

// --- for tests ---
// The places choose() looks at instead of the system's (nullptr: the
// system's again), and the pick from the list of several: the index chosen,
// or -1 for none.
void setPlacesForTests(const Places *places);
void setPickForTests(std::function<int(const QStringList &folders)> pick);

} // namespace DriveA
