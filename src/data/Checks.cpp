#include "data/Checks.h"

QList<Check> failedChecks(const QList<Check> &checks, bool stopAtFirst)
{
    QList<Check> failed;
    for (const Check &c : checks) {
        if (!c.failed)
            continue;
        failed << c;
        if (stopAtFirst)
            break;
    }
    return failed;
}
