#pragma once

#include "orders/OrderEntry.h"

#include <QWidget>
#include <optional>
#include <vector>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
struct PickedProduct;

// The differences between the two order forms' item lines.
struct ItemLinesTexts
{
    QString priceHeading = QStringLiteral("Price:");   // "Unit Cost:" on the update form
    QString pickerTooltip = QStringLiteral("Click to retrieve product information");
    QString totalHeadingName = QStringLiteral("Label2");   // the update form's Label2 is "Order Status:"
};

// The item lines of an order form, with "Add Item" under them: line i is the
// row of txtQty_i, txtProduct_i, cmGetProduct_i ("..."), txtCost_i, txtTot_i,
// txtDelete_i and the hidden lblProdNum_i. Line 0 always exists; further lines
// are created and destroyed at run time. Whatever is laid out below this
// widget (the totals panel) moves down and up with the lines.
//
// This class holds the line mechanics only; the form asks the questions, runs
// the quantity check and the totals, and opens the picker when told to.
class ItemLines : public QWidget
{
    Q_OBJECT
public:
    explicit ItemLines(const ItemLinesTexts &texts = {}, QWidget *parent = nullptr);

    // Index of the last line; 0 means one line.
    int LastRow() const { return int(m_lines.size()) - 1; }

    QLineEdit *txtQty(int i) const { return line(i).qty; }
    QLineEdit *txtProduct(int i) const { return line(i).product; }
    QPushButton *cmGetProduct(int i) const { return line(i).picker; }
    QLineEdit *txtCost(int i) const { return line(i).cost; }
    QLineEdit *txtTot(int i) const { return line(i).total; }
    QLineEdit *txtDelete(int i) const { return line(i).remove; }
    QLabel *lblProdNum(int i) const { return line(i).productNum; }
    QPushButton *cmInsertrow() const { return m_insertRow; }

    // A new, empty line below the last one (quantity "0" and locked, no
    // product, price and total "$0.00"); it becomes the last line.
    void addLine();
    // Removes line `index` of several: every later line moves up one place
    // (the "..." button of the line below an empty one is disabled, and an empty
    // line's quantity locked), the last line is destroyed, and "Add Item" is
    // enabled when the new last line has a quantity above 0.
    void removeLine(int index);
    // Empties the only line instead of removing it (its product number stays)
    // and disables "Add Item".
    void emptyLine(int index);

    // What the product picker's OK writes: product, price, quantity "1", the
    // quantity unlocked, the product number; then "Add Item" is enabled.
    void fillLine(int index, const PickedProduct &product);
    // Writes a stored line (as the update form loads it); the quantity's lock
    // is left as it is.
    void setLine(int index, const OrderEntry::LineEntry &entry);
    void setQuantityEditable(int index, bool editable);
    bool quantityEditable(int index) const;

    // The lines as their boxes show them, line 0 first.
    std::vector<OrderEntry::LineEntry> entries() const;
    // Writes each computed line total (plain number text); a line without one
    // keeps what it shows.
    void showLineTotals(const std::vector<std::optional<double>> &totals);

signals:
    void insertRowClicked();
    void getProductClicked(int index);
    void deleteClicked(int index);
    // The focus left an editable quantity box for another box of the form.
    void quantityLeft(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Line
    {
        QLabel *productNum = nullptr;
        QLineEdit *qty = nullptr;
        QLineEdit *product = nullptr;
        QPushButton *picker = nullptr;
        QLineEdit *cost = nullptr;
        QLineEdit *total = nullptr;
        QLineEdit *remove = nullptr;
    };
    const Line &line(int i) const;
    void createLine(int i);
    void destroyLastLine();
    int lineOf(const QObject *box) const;

    ItemLinesTexts m_texts;
    QGridLayout *m_grid = nullptr;
    QPushButton *m_insertRow = nullptr;
    std::vector<Line> m_lines;
};
