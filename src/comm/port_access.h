#pragma once

#include "base/switches.h"

#include <QString>

// Why this user cannot open a serial device, in terms the operator can act
// on. Decided by the system's own answers (access(), the error number of an
// opening, lock files), not by QSerialPort's error class, which reports a
// missing permission and a device in use alike.
struct PortAccess {
    enum class Kind {
        Usable,  // nothing seen in the way
        Missing, // no such device (an unplugged adapter)
        Refused, // this user may not open it: the group may
        Held,    // another program holds it
        // This user may not open it, and no group may: only its owner
        // (root) may, so joining a group does not help.
        OwnerOnly,
    };
    Kind kind = Kind::Usable;
    QString device; // the device itself, links followed
    QString group;  // Refused: the group (not root) whose members may open it
    QString owner;  // OwnerOnly: the one user who may open it
    QString holder; // Held: the program holding it, when known ("minicom, pid 812")
};

// What can be seen without opening the device: whether it exists, whether
// this user may read and write it, and whether a living process holds a
// lock file for it (the UUCP convention of minicom, QSerialPort and others).
// Opening a port may reset what is plugged in, so the list asks only this.
PortAccess portAccess(const QString& path);

// The program that another process holds the device for by a lock file
// (the UUCP convention: "LCK..<name>" in /var/lock or the other folders
// serial programs use, naming a living process); "" when there is none. Lock
// files naming this process do not count.
QString otherPortHolder(const QString& path);

// After an opening failed: the above, and then the device opened once more
// to learn whether another program holds it exclusively (EBUSY).
PortAccess whyNotOpened(const QString& path);

// The message for a refused or held device; "" for the other kinds. A group
// is advised only when joining it lets this user open the device; a device
// only its owner may open is said to be so, and to choose the port again.
QString portAccessMessage(const PortAccess& access, const Switches& sw);

// The short state shown in the port list: "" when usable.
QString portAccessState(const PortAccess& access, const Switches& sw);
