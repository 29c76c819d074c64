#include "orders/PickerDialog.h"

#include "data/Database.h"
#include "shell/DataGrid.h"
#include "orders/OrderUi.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

PickerDialog::PickerDialog(const QString &name, const QString &caption, const QList<QueryModel::Column> &columns,
                           int wideColumn, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(caption);

    Frame1 = new QGroupBox(QStringLiteral("Sort By:"), this);
    Frame1->setObjectName("Frame1");
    m_options = new QHBoxLayout(Frame1);
    m_options->addStretch(1);

    m_model = new QueryModel(this);
    m_model->setColumns(columns);
    DataGrid1 = createDataGrid(this, m_model);
    DataGrid1->horizontalHeader()->setStretchLastSection(false);
    DataGrid1->horizontalHeader()->setDefaultSectionSize(120);
    DataGrid1->horizontalHeader()->setSectionResizeMode(wideColumn, QHeaderView::Stretch);
    connect(DataGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            cmOk_Click();
    });

    auto *cmOk = new QPushButton(QStringLiteral("OK"), this);
    cmOk->setObjectName("cmOk");
    cmOk->setDefault(true);
    auto *cmCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmCancel->setObjectName("cmCancel");
    cmCancel->setAutoDefault(false);
    connect(cmOk, &QPushButton::clicked, this, [this] { cmOk_Click(); });
    connect(cmCancel, &QPushButton::clicked, this, [this] { cmCancel_Click(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmOk);
    buttons->addWidget(cmCancel);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(Frame1);
    outer->addWidget(DataGrid1, 1);
    outer->addLayout(buttons);
    resize(680, 440);
    // The grid has the focus at open, so typing searches at once.
    DataGrid1->installEventFilter(this);
    DataGrid1->setFocus();
}

bool PickerDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DataGrid1 && event->type() == QEvent::KeyPress && !m_searchColumns.isEmpty()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.front().isPrint() && !text.front().isSpace()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            typeAhead(text);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PickerDialog::typeAhead(const QString &text)
{
    // A pause longer than the platform's typing interval starts a new search.
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_typed += text;
    m_sinceTyped.start();
    while (m_model->canFetchMore({}))
        m_model->fetchMore({});
    for (int row = 0; row < m_model->rowCount(); ++row) {
        for (int column : std::as_const(m_searchColumns)) {
            if (m_model->index(row, column).data().toString().startsWith(m_typed, Qt::CaseInsensitive)) {
                selectGridRow(DataGrid1, row);
                return;
            }
        }
    }
}

QRadioButton *PickerDialog::addSortOption(const QString &name, const QString &caption, std::function<void()> sorted)
{
    auto *option = new QRadioButton(caption, Frame1);
    option->setObjectName(name);
    m_options->insertWidget(m_options->count() - 1, option);
    connect(option, &QRadioButton::clicked, this, std::move(sorted));
    return option;
}

void PickerDialog::readRows(const QString &sql)
{
    if (const Status s = m_model->setQuery(Database::connection(), sql); !s)
        OrderUi::reportFailure(this, QStringLiteral("The list could not be read."), s);
}

int PickerDialog::currentRow() const
{
    return currentGridRow(DataGrid1);
}
