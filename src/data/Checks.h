#pragma once

#include <QList>
#include <QString>

// One input check of a record form: the box it concerns, whether it failed, and
// the message for the user.
struct Check
{
    QString box;
    bool failed = false;
    QString message;
};

// The failed checks in the order given; only the first when `stopAtFirst` (the
// add forms stop at the first problem, the update forms report every one).
QList<Check> failedChecks(const QList<Check> &checks, bool stopAtFirst);
