#include "data/Browse.h"

Browse::Browse(QSqlDatabase db, BrowseSource source)
    : m_source(std::move(source)), m_rs(RecordSet::table(db, m_source.table, m_source.orderBy))
{
}

Status Browse::open()
{
    return m_rs.refresh();
}

std::optional<QStringList> Browse::rebuildList()
{
    if (!hasRows())
        return std::nullopt;
    QStringList names;
    for (m_rs.moveFirst(); !m_rs.eof(); m_rs.moveNext())
        names << m_rs.text(m_source.listColumn);
    m_rs.moveFirst();
    return names;
}

Browse::GoTo Browse::goTo(const QString &text)
{
    if (!hasRows())
        return GoTo::NoRows;
    if (text.isEmpty())
        return GoTo::EmptyText;
    const int position = m_rs.absolutePosition();
    m_rs.moveFirst();
    if (m_rs.find(m_source.searchColumn, text))
        return GoTo::Found;
    m_rs.setAbsolutePosition(position);
    return GoTo::NotFound;
}

void Browse::next()
{
    if (!hasRows())
        return;
    if (!m_rs.eof())
        m_rs.moveNext();
    if (m_rs.eof())
        m_rs.moveFirst();
}

void Browse::previous()
{
    if (!hasRows())
        return;
    if (!m_rs.bof())
        m_rs.movePrevious();
    if (m_rs.bof())
        m_rs.moveLast();
}

bool Browse::searchEnabledFor(const QString &text)
{
    return !text.trimmed().isEmpty();
}
