#include "recipes/fmPrint.h"

#include "shell/Printer.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace {

// Sizes in twips (1440 to the inch) turned into pixels at 96 per inch.
constexpr int px(int twips)
{
    return twips * 96 / 1440;
}

} // namespace

PrintLabel::PrintLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QList<PrintLabel::Line> PrintLabel::lines(int *drawn) const
{
    QList<Line> result;
    const qreal width = contentsRect().width();
    const qreal height = contentsRect().height();
    const QString all = text();
    qreal y = 0;
    int consumed = 0;
    bool full = false;
    const QStringList paragraphs = all.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        QTextLayout layout(paragraph, font(), const_cast<PrintLabel *>(this));
        QTextOption option(alignment());
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (y + line.height() > height) {
                full = true;
                break;
            }
            result.append({paragraph.mid(line.textStart(), line.textLength()), y});
            consumed += line.textLength();
            y += line.height();
        }
        layout.endLayout();
        if (full)
            break;
        consumed += 1; // the line break
    }
    if (drawn)
        *drawn = std::min(consumed, int(all.size()));
    return result;
}

int PrintLabel::drawnLength() const
{
    int drawn = 0;
    lines(&drawn);
    return drawn;
}

void PrintLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    const QPointF origin = contentsRect().topLeft();
    const qreal ascent = QFontMetricsF(font(), this).ascent();
    for (const Line &line : lines()) {
        QString shown = line.text;
        while (!shown.isEmpty() && shown.back().isSpace())
            shown.chop(1);
        // drawText keeps the text as text when the sheet goes to a PDF.
        painter.drawText(origin + QPointF(0, line.y + ascent), shown);
    }
}

fmPrint::fmPrint(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmPrint"));
    setWindowTitle(QStringLiteral("Print"));
    setFixedSize(px(8445), px(5760));
    m_lblPrint = new PrintLabel(this);
    m_lblPrint->setObjectName(QStringLiteral("lblPrint"));
    QFont font = QApplication::font();
    font.setPointSize(8);
    m_lblPrint->setFont(Printer::withoutLigatures(font));
    m_lblPrint->setGeometry(px(960), px(600), px(6375), px(4935));
    m_lblPrint->setFixedSize(m_lblPrint->size());
}

void fmPrint::setPrintText(const QString &text)
{
    m_lblPrint->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}
