#include "inventory/fmReorderList.h"

#include "data/Database.h"
#include "data/Settings.h"
#include "shell/Messages.h"
#include "shell/Printer.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

fmReorderList::fmReorderList(QWidget *parent) : QDialog(parent)
{
    setObjectName("fmReorderList");
    setWindowTitle("Reorder List");
    auto *outer = new QVBoxLayout(this);
    auto *heading = new QLabel(this);
    heading->setObjectName("lblReorderHeading");
    heading->setText(QStringLiteral("Products with %1 or fewer on hand").arg(Settings::current().ReminderQty));
    outer->addWidget(heading);

    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName("tblReorder");
    m_table->setHorizontalHeaderLabels({"Product", "Product #", "On Hand", "Wanted", "Shortfall"});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    outer->addWidget(m_table);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *print = new QPushButton("Print", this);
    print->setObjectName("cmPrintReorder");
    connect(print, &QPushButton::clicked, this, &fmReorderList::cmPrintReorder_Click);
    auto *close = new QPushButton("Close", this);
    close->setObjectName("cmCloseReorder");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(print);
    buttons->addWidget(close);
    outer->addLayout(buttons);
    resize(620, 360);
    reload();
    m_table->setFocus();
}

bool fmReorderList::reload()
{
    if (Status s = InventoryRules::reorderRows(Database::connection(), Settings::current().ReminderQty, m_rows); !s) {
        Msg::show(this, "The database could not be read or written.\n\n" + s.message(), "Error",
                  Msg::Buttons::Ok, Msg::Icon::Critical);
        return false;
    }
    m_table->setRowCount(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r) {
        const auto &row = m_rows[r];
        const QStringList cells{row.product, row.refNum, QString::number(row.onHand), QString::number(row.wanted),
                                QString::number(row.shortfall())};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    return true;
}

void fmReorderList::cmPrintReorder_Click()
{
    const Printer::Result printed =
        Printer::printLines(InventoryRules::reorderLines(m_rows, QDate::currentDate()), "Reorder list");
    if (!printed.ok)
        Msg::show(this, "The list could not be printed.\n\n" + printed.error, "Print", Msg::Buttons::Ok,
                  Msg::Icon::Critical);
}
