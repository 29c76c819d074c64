#pragma once

#include "data/Progress.h"
#include "data/Status.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

// The data as CSV files (RFC 4180: comma-separated, fields with a comma, a quote
// or a line break quoted, quotes doubled, CRLF between records) in UTF-8 with a
// byte-order mark, so that spreadsheets read the text right. Each file starts
// with a header row; money is a plain decimal number, a day is YYYY-MM-DD.
namespace CsvExport {

// One field, quoted when it must be.
QString field(const QString &text);

// Told rows written so far and rows in all; returns false to stop the export.
using Progress = ProgressCallback;

// The failure an export reports when its progress callback stopped it.
QString stoppedMessage();

// One file: the rows of `sql` (with `values` bound), their columns read as the
// columns of `kindTable` are (money, days, ...). Written whole or not at all.
// An export stopped through `progress` removes the files it had written, so no
// part of it is left behind.
struct Query
{
    QString file;       // file name inside the folder
    QString sql;
    QVariantList values;
    QString kindTable;
};
Status write(QSqlDatabase db, const QList<Query> &queries, const QString &folder,
             const Progress &progress = {}, QStringList *written = nullptr);

// Every table: customers, products, suppliers, recipes, orders, order lines,
// expenses and the business defaults.
QList<Query> allTables();

} // namespace CsvExport
