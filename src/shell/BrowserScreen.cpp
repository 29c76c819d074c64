#include "shell/BrowserScreen.h"

#include "data/Database.h"
#include "data/TextRules.h"
#include "shell/DropDownCombo.h"
#include "shell/MaskedEdit.h"
#include "shell/Messages.h"
#include "shell/Printer.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int ValueWidth = 360;

// Shows `text` in a value label: wrapped at blanks, and at least as wide as its
// widest word, so that a word wider than the box (an e-mail address) makes the
// values scroll sideways instead of being cut at the right edge.
void showValue(QLabel *label, const QString &text)
{
    label->setText(text);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString &word : text.split(blanks, Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    const int chrome = 2 * (label->margin() + label->frameWidth()) + label->contentsMargins().left()
                       + label->contentsMargins().right() + 2;
    label->setMinimumWidth(std::max(ValueWidth, widest + chrome));
}

} // namespace

BrowserScreen::BrowserScreen(BrowserConfig config, QWidget *parent)
    : QWidget(parent), m_config(std::move(config)), m_browse(Database::connection(), m_config.source)
{
    setWindowTitle(m_config.windowTitle);
    createLayout();
    setMinimumWidth(560);
    // Read the rows, list every name, show the first row.
    if (Status s = m_browse.open(); !s)
        reportFailure(s);
    if (const auto names = m_browse.rebuildList())
        setList(*names);
    showCurrent();
}

void BrowserScreen::createLayout()
{
    auto *outer = new QVBoxLayout(this);
    auto *heading = new QLabel(m_config.title, this);
    heading->setObjectName("Label1");
    QFont font(QStringLiteral("Calisto MT"), 20, QFont::Bold);
    font.setStyleHint(QFont::Serif);
    heading->setFont(font);
    outer->addWidget(heading);

    outer->addWidget(createValues());

    auto *search = new QHBoxLayout;
    m_combo = new DropDownCombo(this);
    m_combo->setObjectName(m_config.comboName);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMinimumWidth(260);
    m_combo->setMaxVisibleItems(20);
    search->addWidget(m_combo, 1);
    m_search = new QPushButton(tr("Go To"), this);
    m_search->setObjectName("cmSearch");
    search->addWidget(m_search);
    outer->addLayout(search);
    connect(m_combo, &QComboBox::editTextChanged, this, &BrowserScreen::cmbChange);
    connect(m_combo, &DropDownCombo::droppedDown, this, &BrowserScreen::cmbDropDown);
    connect(m_search, &QPushButton::clicked, this, &BrowserScreen::cmSearch_Click);

    m_buttons = new QHBoxLayout;
    addButton("cmPrev", "<<", [this] { cmPrev_Click(); });
    addButton("cmNext", ">>", [this] { cmNext_Click(); });
    addButton("cmAdd", "Add", [this] { cmAdd_Click(); });
    addButton("cmUpdate", "Update", [this] { cmUpdate_Click(); });
    addButton("cmPrint", "Print All", [this] { cmPrint_Click(); });
    outer->addLayout(m_buttons);
    outer->addStretch(1);
}

QScrollArea *BrowserScreen::createValues()
{
    // The values wrap to the window's width and scroll together when they need
    // more room than the window has (a long comment, a word wider than the box),
    // so each is shown whole whatever the size of the window.
    auto *area = new QScrollArea(this);
    area->setObjectName("scrValues");
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    auto *values = new QWidget(area);
    values->setObjectName("Values");
    auto *valuesColumn = new QVBoxLayout(values);
    valuesColumn->setContentsMargins(0, 0, 0, 0);
    m_grid = new QGridLayout;
    m_grid->setColumnStretch(1, 1);
    valuesColumn->addLayout(m_grid);
    valuesColumn->addStretch(1);
    int row = 0;
    for (const BrowserField &f : m_config.fields) {
        auto *caption = new QLabel(f.caption, this);
        caption->setObjectName(f.captionName);
        QWidget *value = nullptr;
        if (f.moneyFormat.isEmpty()) {
            auto *label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setWordWrap(true);
            label->setMinimumWidth(ValueWidth);
            label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            label->setBackgroundRole(QPalette::Base);
            label->setAutoFillBackground(true);
            label->setMargin(3);
            value = label;
        } else {
            auto *box = new MaskedEdit(this);
            box->setReadOnly(true);
            box->setMaximumWidth(160);
            value = box;
        }
        value->setObjectName(f.valueName);
        m_grid->addWidget(caption, row, 0, Qt::AlignTop);
        m_grid->addWidget(value, row, 1);
        m_values.insert(f.valueName, value);
        ++row;
    }
    area->setWidget(values);
    m_valueArea = area;
    fitValueArea();
    return area;
}

void BrowserScreen::fitValueArea()
{
    // Room for every field as it is laid out with one line each: values that
    // need more (a long comment) scroll.
    const int fields = m_valueArea->widget()->sizeHint().height() + 2 * m_valueArea->frameWidth();
    m_valueArea->setMinimumHeight(std::min(fields, 24 * fontMetrics().height()));
}

QPushButton *BrowserScreen::addButton(const QString &name, const QString &caption, std::function<void()> handler)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, std::move(handler));
    m_buttons->addWidget(button);
    return button;
}

QString BrowserScreen::valueText(const QString &valueName) const
{
    QWidget *w = m_values.value(valueName);
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *box = qobject_cast<MaskedEdit *>(w))
        return box->text();
    return {};
}

void BrowserScreen::showCurrent()
{
    const RecordSet &set = rs();
    const bool onRow = !set.eof() && !set.bof();
    for (const BrowserField &f : m_config.fields) {
        QWidget *w = m_values.value(f.valueName);
        if (auto *label = qobject_cast<QLabel *>(w)) {
            showValue(label, onRow ? set.text(f.column) : QString());
        } else if (auto *box = qobject_cast<MaskedEdit *>(w)) {
            box->setText(onRow ? TextRules::format(set.money(f.column), f.moneyFormat) : QString());
        }
    }
}

void BrowserScreen::setList(const QStringList &names)
{
    const QString typed = m_combo->currentText();
    const QSignalBlocker block(m_combo);
    m_combo->clear();
    m_combo->addItems(names);
    m_combo->setEditText(typed);
}

void BrowserScreen::FillList()
{
    if (const auto names = m_browse.rebuildList())
        setList(*names);
    showCurrent();
}

void BrowserScreen::cmbChange(const QString &text)
{
    if (m_browse.hasRows())
        m_search->setEnabled(Browse::searchEnabledFor(text));
}

void BrowserScreen::cmbDropDown()
{
    if (m_browse.hasRows())
        m_search->setEnabled(true);
}

void BrowserScreen::cmSearch_Click()
{
    switch (m_browse.goTo(m_combo->currentText())) {
    case Browse::GoTo::NoRows:
        return;
    case Browse::GoTo::EmptyText:
        Msg::show(this, "You must enter a search value", "Warning");
        return;
    case Browse::GoTo::NotFound:
        showCurrent();
        Msg::show(this, m_config.notFoundMessage, "Search Failed", Msg::Buttons::Ok, Msg::Icon::Exclamation);
        break;
    case Browse::GoTo::Found:
        showCurrent();
        break;
    }
    m_search->setEnabled(false);
    m_combo->setEditText(QString());
}

void BrowserScreen::cmPrev_Click()
{
    m_browse.previous();
    showCurrent();
}

void BrowserScreen::cmNext_Click()
{
    m_browse.next();
    showCurrent();
}

void BrowserScreen::cmAdd_Click()
{
    showAddForm();
    FillList();
}

void BrowserScreen::cmUpdate_Click()
{
    if (!m_browse.hasRows())
        return;
    showUpdateForm();
    if (Status s = rs().refresh(); !s)
        reportFailure(s);
    FillList();
}

void BrowserScreen::cmPrint_Click()
{
    if (!m_browse.hasRows())
        return;
    if (Msg::show(this, m_config.printQuestion, "Print", Msg::Buttons::OkCancel) != Msg::Answer::Ok)
        return;
    printAll();
}

void BrowserScreen::printAll()
{
    if (Status s = rs().refresh(); !s) {
        reportFailure(s);
        return;
    }
    rs().moveFirst();
    const QStringList lines = m_config.printLines(rs());
    if (Status s = rs().refresh(); !s)
        reportFailure(s);
    rs().moveFirst();
    showCurrent();
    const Printer::Result printed = Printer::printLines(lines, m_config.printJobName);
    if (!printed.ok)
        Msg::show(this, "The list could not be printed.\n\n" + printed.error, "Print",
                  Msg::Buttons::Ok, Msg::Icon::Critical);
}

void BrowserScreen::reportFailure(const Status &status)
{
    Msg::show(this, "The database could not be read or written.\n\n" + status.message(), "Error",
              Msg::Buttons::Ok, Msg::Icon::Critical);
}
