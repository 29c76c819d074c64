#pragma once

#include "data/Money.h"
#include "data/Schema.h"
#include "data/Status.h"

#include <QDate>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// A snapshot of a query's rows with a current row, as the screens use it: rows are
// fetched completely when the set is read, so a screen sees other screens'
// changes only when it reads again (refresh). A set opened on a table can add,
// change and delete rows; writes go to the table at once (one statement each,
// whole or not at all) and are mirrored in the snapshot. A failed write leaves
// both as they were. A set that wrote or was read inside a Transaction that is
// then rolled back reads its rows again (keeping bookmarks and the current row
// where they still exist), so it never shows a row the file does not hold.
// Values are bound, never joined into SQL.
class RecordSet
{
public:
    using Bookmark = qint64;

    RecordSet() = default;
    // A writable set over a table; `orderBy` is program text (never user input),
    // e.g. "last_name COLLATE NOCASE". Unsorted sets come in insertion order.
    static RecordSet table(QSqlDatabase db, const QString &table, const QString &orderBy = {});
    // A read-only set over a query with bound values.
    static RecordSet query(QSqlDatabase db, const QString &sql, const QVariantList &values = {});

    // Reads the rows again; the first row becomes current. Drops a pending edit.
    Status refresh();
    bool isOpen() const { return m_open; }
    QStringList columns() const { return m_columns; }
    // Column names are program text: a name the set lacks is a programming error,
    // reported loudly (an assertion in debug builds, a logged warning otherwise;
    // a value set for it makes update() fail). Callers may ask first.
    bool hasColumn(const QString &column) const { return columnIndex(column) >= 0; }

    int recordCount() const;
    bool eof() const;
    bool bof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // 1-based position of the current row; 0 at BOF or EOF.
    int absolutePosition() const;
    void setAbsolutePosition(int position);
    // Stable for a row while the set is open (until it is read again).
    Bookmark bookmark() const;
    bool setBookmark(Bookmark mark);

    // Searches forward from the current row (inclusive) for the first row whose
    // column equals `value`: text without regard to letter case, numbers as
    // numbers. Leaves the set at EOF when nothing matches.
    bool find(const QString &column, const QVariant &value);
    // Reorders the rows by one column (stably) and moves to the first row.
    void sort(const QString &column);

    // The current row's value, with a pending edit applied.
    QVariant value(const QString &column) const;
    QString text(const QString &column) const;
    qint64 integer(const QString &column) const;
    double real(const QString &column) const;
    Money money(const QString &column) const;
    QDate date(const QString &column) const;

    // Field assignment on the current row or on the row begun with addNew(). A
    // column the set does not have makes the next update() fail, storing nothing.
    void setValue(const QString &column, const QVariant &value);
    void setMoney(const QString &column, Money amount);
    void setDate(const QString &column, const QDate &date);

    void addNew();
    // Writes the pending edit: an INSERT after addNew() (the new row stays last
    // and becomes current), else an UPDATE of the current row.
    Status update();
    void cancelUpdate();
    bool editing() const { return m_editMode != EditMode::None; }
    // Deletes the current row; the row after it becomes current.
    Status deleteCurrent();

private:
    struct Row
    {
        Bookmark mark = 0;
        qint64 rowid = -1;
        QVariantList values;
    };
    enum class EditMode { None, Edit, Add };

    // Reads the rows into the snapshot; `keepPlace` keeps bookmarks, the current
    // row and a pending edit (used when a rolled-back transaction is undone).
    Status read(bool keepPlace);
    // Catches up with the end of the transaction the snapshot depends on: a
    // rollback makes the set read its rows again. Run first by every access.
    void settle() const;
    void noteTransaction();
    bool onRow() const { return m_pos >= 0 && m_pos < int(m_rows.size()); }

    int columnIndex(const QString &column) const;
    // The position of a column that the caller needs; a name the open set lacks
    // is reported as a programming error (-1 is returned).
    int requiredColumn(const QString &column, const char *use) const;
    Status readRow(qint64 rowid, Row &row) const;
    QSqlDatabase database() const;

    QString m_connection;
    QString m_table;     // empty for a read-only query
    QString m_sql;
    QVariantList m_binds;
    bool m_open = false;
    QStringList m_columns;
    QHash<QString, int> m_index; // lower-case column name -> position
    std::vector<Row> m_rows;
    int m_pos = 0;
    Bookmark m_nextMark = 1;
    EditMode m_editMode = EditMode::None;
    QHash<int, QVariant> m_pending; // column position -> new value
    QStringList m_unknown;          // names assigned that the set lacks
    quint64 m_transaction = 0;      // the running Transaction the rows depend on
};
