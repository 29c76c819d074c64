#include "recipes/RecipeText.h"

#include "data/TextRules.h"

namespace RecipeText {

QStringList directionColumns()
{
    QStringList names;
    for (int i = 1; i <= ColumnCount; ++i)
        names << QStringLiteral("Recipe_Directions%1").arg(i);
    return names;
}

QStringList split(const QString &directions)
{
    QStringList columns;
    qsizetype start = 0;
    for (int i = 0; i < ColumnCount; ++i) {
        // A column that would end inside a character ends before it instead;
        // the next column starts with the whole character.
        const QString rest = directions.mid(start);
        const qsizetype length = i < ColumnCount - 1 ? TextRules::wholeCharacterLength(rest, ColumnLength)
                                                     : rest.size();
        // Unused columns hold empty text, never NULL.
        columns << QString(QLatin1String("")) + rest.left(length);
        start += length;
    }
    return columns;
}

QString join(const QStringList &columns)
{
    QString text;
    for (const QString &column : columns) {
        if (!column.isEmpty())
            text += column;
    }
    return text;
}

QString directions(const RecordSet &rs)
{
    QStringList columns;
    for (const QString &column : directionColumns())
        columns << rs.text(column);
    return join(columns);
}

QList<Check> checks(const QString &name, const QString &directions)
{
    return {
        {QStringLiteral("txtRecipe"), name.isEmpty(), QStringLiteral("You must enter a recipe name")},
        {QStringLiteral("txtDirections1"), directions.isEmpty(), QStringLiteral("You must enter directions")},
    };
}

QString printText(const QString &name, const QString &directions)
{
    return name + QStringLiteral("\r\n") + directions;
}

QList<PrintJob> printJobs(RecordSet &rs)
{
    QList<PrintJob> jobs;
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = rs.text(QStringLiteral("Recipe_Name"));
        jobs.append({name, printText(name, directions(rs))});
    }
    return jobs;
}

} // namespace RecipeText
