#include "recipes/RecipeText.h"

#include <QtTest>

namespace {

// A text of `length` characters whose every position can be told apart.
QString pattern(int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'a' + i % 26);
    return text;
}

QList<int> lengths(const QStringList &columns)
{
    QList<int> result;
    for (const QString &c : columns)
        result << int(c.size());
    return result;
}

} // namespace

class tst_RecipeText : public QObject
{
    Q_OBJECT
private slots:
    void splitFillsColumnsInOrder_data();
    void splitFillsColumnsInOrder();
    void lineBreaksCountTwice_data();
    void lineBreaksCountTwice();
    void joinSkipsEmptyColumns_data();
    void joinSkipsEmptyColumns();
};

void tst_RecipeText::splitFillsColumnsInOrder_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("1") << 1 << QList<int>{1, 0, 0, 0};
    QTest::newRow("250") << 250 << QList<int>{250, 0, 0, 0};
    QTest::newRow("251") << 251 << QList<int>{250, 1, 0, 0};
    QTest::newRow("500") << 500 << QList<int>{250, 250, 0, 0};
    QTest::newRow("501") << 501 << QList<int>{250, 250, 1, 0};
    QTest::newRow("750") << 750 << QList<int>{250, 250, 250, 0};
    QTest::newRow("751") << 751 << QList<int>{250, 250, 250, 1};
    QTest::newRow("1000") << 1000 << QList<int>{250, 250, 250, 250};
}

void tst_RecipeText::splitFillsColumnsInOrder()
{
    QFETCH(int, length);
    QFETCH(QList<int>, expected);

    const QString text = pattern(length);
    const QStringList columns = RecipeText::split(text);
    QCOMPARE(lengths(columns), expected);
    for (int i = 0; i < columns.size(); ++i) {
        QCOMPARE(columns[i], text.mid(i * 250, 250));
        QVERIFY(!columns[i].isNull());
    }
    QCOMPARE(RecipeText::join(columns), text);
}

void tst_RecipeText::lineBreaksCountTwice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("expected");

    const QString crlf = QStringLiteral("\r\n");
    QTest::newRow("break ends column 1") << pattern(248) + crlf + "x" << QList<int>{250, 1, 0, 0};
    QTest::newRow("break across columns") << pattern(249) + crlf + "x" << QList<int>{250, 2, 0, 0};
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines << QStringLiteral("Stir %1").arg(i % 10);
    QTest::newRow("100 lines, 798 characters") << lines.join(crlf) << QList<int>{250, 250, 250, 48};
    QTest::newRow("only breaks") << crlf.repeated(130) << QList<int>{250, 10, 0, 0};
}

void tst_RecipeText::lineBreaksCountTwice()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, expected);

    const QStringList columns = RecipeText::split(text);
    QCOMPARE(lengths(columns), expected);
    QCOMPARE(RecipeText::join(columns), text);
}

void tst_RecipeText::joinSkipsEmptyColumns_data()
{
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first only") << QStringList{"Mix", "", "", ""} << "Mix";
    QTest::newRow("null columns") << QStringList{"Mix", QString(), QString(), QString()} << "Mix";
    QTest::newRow("all four") << QStringList{"a", "b", "c", "d"} << "abcd";
    QTest::newRow("blank column kept") << QStringList{"a", " ", "", "d"} << "a d";
    QTest::newRow("none") << QStringList{"", "", "", ""} << "";
}

void tst_RecipeText::joinSkipsEmptyColumns()
{
    QFETCH(QStringList, columns);
    QFETCH(QString, expected);

    QCOMPARE(RecipeText::join(columns), expected);
}

QTEST_APPLESS_MAIN(tst_RecipeText)
#include "tst_recipetext.moc"
