#include "orders/ItemLines.h"

#include "data/TextRules.h"
#include "orders/OrderTargets.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString NoAmount = QStringLiteral("$0.00");

enum Column { QtyColumn, ProductColumn, PickerColumn, CostColumn, TotalColumn, DeleteColumn };

QString elementName(const char *name, int i)
{
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(i);
}

void setLocked(QLineEdit *box, bool locked)
{
    box->setReadOnly(locked);
    // The look of a locked box follows the read-only property.
    box->style()->unpolish(box);
    box->style()->polish(box);
}

} // namespace

ItemLines::ItemLines(const ItemLinesTexts &texts, QWidget *parent) : QWidget(parent), m_texts(texts)
{
    setObjectName("ItemLines");

    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(6);
    m_grid->setVerticalSpacing(3);
    const struct
    {
        QString name;
        QString caption;
        int column;
    } headings[] = {
        {QStringLiteral("Label7"), QStringLiteral("Quantity:"), QtyColumn},
        {QStringLiteral("Label5"), QStringLiteral("Products:"), ProductColumn},
        {QStringLiteral("Label9"), m_texts.priceHeading, CostColumn},
        {m_texts.totalHeadingName, QStringLiteral("Total:"), TotalColumn},
    };
    for (const auto &h : headings) {
        auto *label = new QLabel(h.caption, this);
        label->setObjectName(h.name);
        m_grid->addWidget(label, 0, h.column);
    }
    m_grid->setColumnStretch(ProductColumn, 1);

    m_insertRow = new QPushButton(QStringLiteral("Add Item"), this);
    m_insertRow->setObjectName("cmInsertrow");
    m_insertRow->setAutoDefault(false);
    m_insertRow->setEnabled(false);
    // The key clicks the button, so a line is added only when the button would add one.
    m_insertRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    m_insertRow->setToolTip(QStringLiteral("Add a line (%1)").arg(m_insertRow->shortcut().toString(QKeySequence::NativeText)));
    connect(m_insertRow, &QPushButton::clicked, this, &ItemLines::insertRowClicked);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_insertRow);
    buttonRow->addStretch(1);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(m_grid);
    outer->addLayout(buttonRow);

    createLine(0);
}

const ItemLines::Line &ItemLines::line(int i) const
{
    Q_ASSERT_X(i >= 0 && i < int(m_lines.size()), "ItemLines::line", "no such line");
    return m_lines[size_t(i)];
}

void ItemLines::createLine(int i)
{
    Line l;
    l.productNum = new QLabel(this);
    l.productNum->setObjectName(elementName("lblProdNum", i));
    l.productNum->hide();

    const auto box = [&](const char *name, int width) {
        auto *b = new QLineEdit(this);
        b->setObjectName(elementName(name, i));
        if (width > 0)
            b->setFixedWidth(width);
        // Tab moves between the boxes the user works with: quantity and "...".
        b->setFocusPolicy(Qt::ClickFocus);
        return b;
    };
    l.qty = box("txtQty", 70);
    l.qty->setText(QStringLiteral("0"));
    l.qty->setAlignment(Qt::AlignRight);
    l.qty->setFocusPolicy(Qt::StrongFocus);
    setLocked(l.qty, true);
    l.qty->installEventFilter(this);

    l.product = box("txtProduct", 0);
    l.product->setMinimumWidth(300);
    setLocked(l.product, true);

    l.picker = new QPushButton(QStringLiteral("..."), this);
    l.picker->setObjectName(elementName("cmGetProduct", i));
    l.picker->setToolTip(m_texts.pickerTooltip);
    l.picker->setAutoDefault(false);
    l.picker->setFixedWidth(32);
    connect(l.picker, &QPushButton::clicked, this, [this, picker = l.picker] {
        if (const int at = lineOf(picker); at >= 0)
            emit getProductClicked(at);
    });

    l.cost = box("txtCost", 90);
    l.cost->setText(NoAmount);
    l.cost->setAlignment(Qt::AlignRight);
    setLocked(l.cost, true);

    l.total = box("txtTot", 100);
    l.total->setText(NoAmount);
    l.total->setAlignment(Qt::AlignRight);
    setLocked(l.total, true);

    l.remove = box("txtDelete", 70);
    l.remove->setText(QStringLiteral("Delete"));
    l.remove->setAlignment(Qt::AlignCenter);
    QFont bold = l.remove->font();
    bold.setBold(true);
    l.remove->setFont(bold);
    l.remove->setCursor(Qt::PointingHandCursor);
    setLocked(l.remove, true);
    l.remove->installEventFilter(this);

    const int row = i + 1; // row 0 holds the headings
    m_grid->addWidget(l.qty, row, QtyColumn);
    m_grid->addWidget(l.product, row, ProductColumn);
    m_grid->addWidget(l.picker, row, PickerColumn);
    m_grid->addWidget(l.cost, row, CostColumn);
    m_grid->addWidget(l.total, row, TotalColumn);
    m_grid->addWidget(l.remove, row, DeleteColumn);
    // Shown at once, also when the form is already on screen.
    for (QWidget *w : {static_cast<QWidget *>(l.qty), static_cast<QWidget *>(l.product),
                       static_cast<QWidget *>(l.picker), static_cast<QWidget *>(l.cost),
                       static_cast<QWidget *>(l.total), static_cast<QWidget *>(l.remove)})
        w->show();
    m_lines.push_back(l);

    // Tab order follows the lines, then "Add Item".
    if (i > 0)
        setTabOrder(m_lines[size_t(i) - 1].remove, l.qty);
    setTabOrder(l.qty, l.picker);
    setTabOrder(l.picker, m_insertRow);
}

void ItemLines::destroyLastLine()
{
    const Line l = m_lines.back();
    m_lines.pop_back();
    // The click that removes a line may come from the line's own box: the boxes
    // leave the form at once and are deleted once that event is over.
    for (QWidget *w : {static_cast<QWidget *>(l.productNum), static_cast<QWidget *>(l.qty),
                       static_cast<QWidget *>(l.product), static_cast<QWidget *>(l.cost),
                       static_cast<QWidget *>(l.picker), static_cast<QWidget *>(l.total),
                       static_cast<QWidget *>(l.remove)}) {
        w->removeEventFilter(this);
        m_grid->removeWidget(w);
        w->hide();
        w->setObjectName(QString());
        w->setParent(nullptr);
        w->deleteLater();
    }
}

int ItemLines::lineOf(const QObject *box) const
{
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line &l = m_lines[i];
        if (box == l.qty || box == l.picker || box == l.remove)
            return int(i);
    }
    return -1;
}

void ItemLines::addLine()
{
    createLine(LastRow() + 1);
}

void ItemLines::removeLine(int index)
{
    if (LastRow() == 0 || index < 0 || index > LastRow())
        return;
    for (int j = index; j < LastRow(); ++j) {
        const Line &to = m_lines[size_t(j)];
        const Line &from = m_lines[size_t(j) + 1];
        to.qty->setText(from.qty->text());
        to.product->setText(from.product->text());
        to.productNum->setText(from.productNum->text());
        to.cost->setText(from.cost->text());
        to.total->setText(from.total->text());
        const bool empty = to.product->text().isEmpty();
        from.picker->setEnabled(!empty);
        setLocked(to.qty, empty);
    }
    destroyLastLine();
    m_insertRow->setEnabled(TextRules::toNumber(txtQty(LastRow())->text()).value_or(0) > 0);
}

void ItemLines::emptyLine(int index)
{
    const Line &l = line(index);
    l.qty->setText(QStringLiteral("0"));
    l.product->clear();
    l.cost->setText(NoAmount);
    l.total->setText(NoAmount);
    setLocked(l.qty, true);
    m_insertRow->setEnabled(false);
}

void ItemLines::fillLine(int index, const PickedProduct &product)
{
    if (index < 0 || index > LastRow())
        return;
    const Line &l = line(index);
    l.product->setText(product.product);
    l.cost->setText(product.cost);
    l.qty->setText(QStringLiteral("1"));
    setLocked(l.qty, false);
    l.productNum->setText(product.productNum);
    m_insertRow->setEnabled(true);
}

void ItemLines::setLine(int index, const OrderEntry::LineEntry &entry)
{
    const Line &l = line(index);
    l.product->setText(entry.product);
    l.qty->setText(entry.quantity);
    l.cost->setText(entry.cost);
    l.productNum->setText(entry.productNum);
}

void ItemLines::setQuantityEditable(int index, bool editable)
{
    setLocked(line(index).qty, !editable);
}

bool ItemLines::quantityEditable(int index) const
{
    return !line(index).qty->isReadOnly();
}

std::vector<OrderEntry::LineEntry> ItemLines::entries() const
{
    std::vector<OrderEntry::LineEntry> result;
    result.reserve(m_lines.size());
    for (const Line &l : m_lines)
        result.push_back({l.qty->text(), l.product->text(), l.productNum->text(), l.cost->text()});
    return result;
}

void ItemLines::showLineTotals(const std::vector<std::optional<double>> &totals)
{
    for (size_t i = 0; i < totals.size() && i < m_lines.size(); ++i) {
        if (totals[i])
            m_lines[i].total->setText(TextRules::shortest(*totals[i]));
    }
}

bool ItemLines::eventFilter(QObject *watched, QEvent *event)
{
    const int at = lineOf(watched);
    if (at >= 0 && event->type() == QEvent::FocusOut && watched == m_lines[size_t(at)].qty) {
        // Only a move to another box of the form checks the quantity, not the
        // window losing the focus to a message or another window.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        const bool moved = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason
            || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
        if (moved && !m_lines[size_t(at)].qty->isReadOnly())
            emit quantityLeft(at);
    } else if (at >= 0 && event->type() == QEvent::MouseButtonRelease && watched == m_lines[size_t(at)].remove) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            emit deleteClicked(at);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
