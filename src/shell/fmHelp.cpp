#include "shell/fmHelp.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtMath>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

const QString crlf = QStringLiteral("\r\n");

QString spaces(int count)
{
    return QString(count, u' ');
}

// Lines each ending with CR LF, the way the boxes have always held them.
QString joined(const QStringList &lines)
{
    return lines.join(crlf) + crlf;
}

// The indents are runs of blanks (and, for Administration, tabs) made to line up
// in the default proportional font; a tab stop of 16 blanks keeps "\t\t" level
// with the 32-blank continuation lines.
void alignTabs(QPlainTextEdit *box)
{
    box->setTabStopDistance(16 * QFontMetricsF(box->font()).horizontalAdvance(u' '));
}

// Tall enough to show every line without a scroll bar.
void fitHeight(QPlainTextEdit *box)
{
    const QFontMetricsF metrics(box->font());
    const int lines = box->document()->blockCount();
    const qreal margins = 2 * box->document()->documentMargin() + 2 * box->frameWidth();
    box->setFixedHeight(qCeil(lines * metrics.lineSpacing() + margins) + 2);
}

QPlainTextEdit *multiLineBox(const QString &name, const QString &text, QWidget *parent)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setPlainText(text);
    alignTabs(box);
    fitHeight(box);
    return box;
}

QLineEdit *singleLineBox(const QString &name, const QString &text, QWidget *parent)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setCursorPosition(0);
    return box;
}

} // namespace

fmHelp::fmHelp(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmHelp"));
    setWindowTitle(QStringLiteral("Help"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(multiLineBox(QStringLiteral("txtHelpCust"), custText(), this));
    layout->addWidget(multiLineBox(QStringLiteral("txtHelpInv"), invText(), this));
    layout->addWidget(multiLineBox(QStringLiteral("txtHelpOrd"), ordText(), this));
    layout->addWidget(multiLineBox(QStringLiteral("txtHelpBook"), bookText(), this));
    layout->addWidget(multiLineBox(QStringLiteral("txtHelpAdmin"), adminText(), this));
    layout->addWidget(singleLineBox(QStringLiteral("txtHelpExit"), exitText(), this));

    auto *cmExit = new QPushButton(QStringLiteral("Exit"), this);
    cmExit->setObjectName(QStringLiteral("cmExit"));
    cmExit->setDefault(true);
    connect(cmExit, &QPushButton::clicked, this, &fmHelp::cmExit_Click);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmExit);
    layout->addLayout(buttons);

    resize(760, sizeHint().height());
}

QString fmHelp::custText()
{
    return joined({
        QStringLiteral("Customers:") + spaces(4)
            + QStringLiteral("When adding customers, required fields are name, address, and phone.  If you do "),
        spaces(22) + QStringLiteral("not know, you can just put anything.  These are free form text fields."),
    });
}

QString fmHelp::invText()
{
    return joined({
        QStringLiteral("Inventory:") + spaces(5)
            + QStringLiteral("All fields are required.  Price and qty need to be numeric.  Name and product "),
        spaces(21) + QStringLiteral("ID are free form text fields.  "),
    });
}

QString fmHelp::ordText()
{
    return joined({
        QStringLiteral("Orders:") + spaces(9)
            + QStringLiteral("To create new order, select New.  To close an order, check  order has been paid for, "),
        spaces(21) + QStringLiteral("and then select Save.  Only at this time will inventory be adjusted.  This can be done "),
        spaces(21) + QStringLiteral("from New or Update screens."),
        spaces(21) + QStringLiteral("To view an order, either double click the order, or highlight the order and select "),
        spaces(21) + QStringLiteral("View order.   From here, you can print or email order."),
    });
}

QString fmHelp::bookText()
{
    return joined({
        QStringLiteral("Bookkeeping:") + spaces(2)
            + QStringLiteral("You can enter expenses here.  You can also display sales for a chosen time "),
        spaces(23) + QStringLiteral("frame."),
    });
}

QString fmHelp::adminText()
{
    const QString item = QStringLiteral("\t\t");
    const QString more = spaces(32);
    return joined({
        QStringLiteral("Administration:\tTo change defaults, click update.  Change values, then click Save."),
        item + QStringLiteral("Tax: If you want to calculate tax on the order forms, this is where "),
        more + QStringLiteral("you set the tax rate to use."),
        item + QStringLiteral("Shipping:  You can set a default price to charge for shipping.  You "),
        more + QStringLiteral("can also have an additional shipping price for out of town shipping."),
        item + QStringLiteral("Reorder reminder:  When a product gets to this qty, alert you that it "),
        more + QStringLiteral("is time to reorder.  This will happen when you close an order, and "),
        more + QStringLiteral("inventory is adjusted."),
        more + QStringLiteral("Suppliers:  This is where you can keep track of information about "),
        more + QStringLiteral("your suppliers."),
        item + QStringLiteral("Recipes:  You can keep recipes, or any misc information."),
        item + QStringLiteral("Email:  Creates one e-mail addressed to every customer that has an "),
        more + QStringLiteral("e-mail address, for sending advertisements to your clients.  It "),
        more + QStringLiteral("only works with a mail program installed on this computer, not "),
        more + QStringLiteral("with web-based mail."),
    });
}

QString fmHelp::exitText()
{
    return QStringLiteral("Exit:") + spaces(26) + QStringLiteral("Click this to exit the software.");
}

void fmHelp::cmExit_Click()
{
    accept();
}
