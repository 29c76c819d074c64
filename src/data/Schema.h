#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The tables of a Corvana file, the marks that identify it, and its migrations.
namespace Schema {

// "CRVN" in PRAGMA application_id marks a file as Corvana's.
constexpr int ApplicationId = 0x4352564E;
// The schema version this program writes; PRAGMA user_version holds the file's.
constexpr int Version = 2;

// The kinds of value a column holds; money is stored as ten-thousandths.
enum class Kind { Integer, Money, Real, Text, Date, Bool };
// The kind of a column (names compared without regard to case); Text if unknown.
Kind columnKind(const QString &table, const QString &column);

// Creates every table, the one admin row, and marks the file (one transaction).
Status create(QSqlDatabase db);

// One step from version `from` to `from + 1`.
struct MigrationStep
{
    int from;
    std::function<Status(QSqlDatabase)> apply;
};
// The steps of this program, in order.
const std::vector<MigrationStep> &migrations();
// Brings a file from `fileVersion` to `target` with `steps`, all in one
// transaction; the file is unchanged when a step fails.
Status migrate(QSqlDatabase db, int fileVersion, int target,
               const std::vector<MigrationStep> &steps);

} // namespace Schema
