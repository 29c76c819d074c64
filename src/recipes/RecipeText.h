#pragma once

#include "data/Checks.h"
#include "data/RecordSet.h"

#include <QList>
#include <QString>
#include <QStringList>

// The directions of a recipe are edited as one text (line breaks as CR LF, each
// counting as two characters) and stored in four columns of 250 characters.
namespace RecipeText {

inline constexpr int ColumnLength = 250;
inline constexpr int ColumnCount = 4;
inline constexpr int MaxDirections = ColumnLength * ColumnCount;
inline constexpr int MaxName = 49;

// "Recipe_Directions1" to "Recipe_Directions4".
QStringList directionColumns();

// The four column values of `directions`: 250 characters each, in order; columns
// the text does not reach are empty. A character outside the basic plane counts
// two and is never cut in half: a column that would end inside one holds 249
// characters. The last column takes whatever is left, so nothing is ever dropped.
QStringList split(const QString &directions);

// The non-empty columns run together in order: the text that was split.
QString join(const QStringList &columns);

// The directions of the set's current row.
QString directions(const RecordSet &rs);

// The checks of the add and update forms, in the order they are reported.
// Blanks count as text.
QList<Check> checks(const QString &name, const QString &directions);

// The text of a printed recipe: the name, a line break, the directions.
QString printText(const QString &name, const QString &directions);

struct PrintJob
{
    QString name;
    QString text;
};

// One print job per row, from the current row to the end of the set.
QList<PrintJob> printJobs(RecordSet &rs);

} // namespace RecipeText
