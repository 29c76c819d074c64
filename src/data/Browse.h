#pragma once

#include "data/RecordSet.h"

#include <QStringList>
#include <optional>

// What a record browser shows: a table in a fixed order, the column listed in its
// name list, and the column its Go To searches. Names are program text.
struct BrowseSource
{
    QString table;
    QString orderBy;      // empty: the table's own order
    QString listColumn;
    QString searchColumn;
};

// The stepping and search logic of every record browser, without a window: the
// browser's record set with its current row.
class Browse
{
public:
    Browse(QSqlDatabase db, BrowseSource source);

    // Reads the rows; the first row becomes current.
    Status open();
    RecordSet &rs() { return m_rs; }
    const RecordSet &rs() const { return m_rs; }
    const BrowseSource &source() const { return m_source; }
    bool hasRows() const { return m_rs.recordCount() > 0; }

    // The list column of every row, first to last, duplicates included; the
    // current row moves to the first. Nothing when the set is empty (the screen
    // then keeps the list it has).
    std::optional<QStringList> rebuildList();

    enum class GoTo { NoRows, EmptyText, NotFound, Found };
    // Moves to the first row, in set order, whose search column equals `text` as
    // typed (letter case aside); when there is none, returns to the row it was on.
    GoTo goTo(const QString &text);

    // One row on, the last followed by the first; one row back, the first
    // preceded by the last. Nothing happens without rows.
    void next();
    void previous();

    // Go To is offered for text that holds more than blanks.
    static bool searchEnabledFor(const QString &text);

private:
    BrowseSource m_source;
    RecordSet m_rs;
};
