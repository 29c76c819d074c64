#pragma once

#include <QLabel>
#include <QWidget>

// A label that wraps its text at its width (inside a word too, when one word is
// wider than the label) and draws only the lines that fit whole above its bottom
// edge: what it cuts off is neither shown nor printed.
class PrintLabel : public QLabel
{
    Q_OBJECT
public:
    explicit PrintLabel(QWidget *parent = nullptr);

    // How many characters of text() the label draws (a line break counts as one).
    int drawnLength() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Line
    {
        QString text;
        qreal y = 0;   // top of the line
    };
    QList<Line> lines(int *drawn = nullptr) const;
};

// "Print": the recipe sheet. Loaded, filled and printed without being shown; its
// client area is the printed page's image.
class fmPrint : public QWidget
{
    Q_OBJECT
public:
    explicit fmPrint(QWidget *parent = nullptr);

    // Sets the label; line breaks may be CR LF.
    void setPrintText(const QString &text);
    PrintLabel *lblPrint() const { return m_lblPrint; }

private:
    PrintLabel *m_lblPrint = nullptr;
};
