#pragma once

#include "data/Status.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// How a new record's number is chosen, for every numbered table in one place.
namespace Keys {

enum class Kind { Customer, Product, Supplier, Order, Expense };

struct Rule
{
    QString table;
    QString column;
    bool lowestFree;     // lowest free number, else one more than the last
    int limit;           // lowest free: numbers 1..limit-1; else the highest number allowed
    int first;           // the number of the first record of an empty table
    QString limitMessage;
};
const Rule &rule(Kind kind);

// The lowest number from 1 to limit-1 that `used` lacks; `first` when `used` is
// empty; nothing when every number is taken.
std::optional<int> lowestFree(const QSet<int> &used, int limit, int first = 0);
// One more than `last`; `first` when there is no last; nothing past `max`.
std::optional<int> afterLast(std::optional<int> last, int max, int first);

struct NewKey
{
    Status status;              // a failure to read the table: no number is known
    std::optional<int> number;  // nothing when the numbers are used up (or unknown)
    QString limitMessage;       // the message for that case
    // Every number is taken: the only case for the limit message.
    bool usedUp() const { return status.ok() && !number; }
};
// The number for a new record of `kind`, read from the table as it is now.
NewKey next(QSqlDatabase db, Kind kind);

// The number of a new record through the life of its add form: chosen as the
// form opens and kept; when it could not be read then (the file was in use, say),
// it is read again before the record is stored. A passing failure thus never
// turns into the limit message.
class NewNumber
{
public:
    explicit NewNumber(Kind kind) : m_kind(kind) {}
    // Reads the number from the table (as the form opens).
    const NewKey &choose(QSqlDatabase db);
    // The number to store under: the one chosen, or, when it could not be read,
    // read again now.
    const NewKey &confirm(QSqlDatabase db);
    const NewKey &key() const { return m_key; }

private:
    Kind m_kind;
    NewKey m_key;
    bool m_read = false;
};

} // namespace Keys
