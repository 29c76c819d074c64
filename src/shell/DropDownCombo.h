#pragma once

#include <QComboBox>

// An editable combo box that tells when its list drops down.
class DropDownCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit DropDownCombo(QWidget *parent = nullptr) : QComboBox(parent) { setEditable(true); }

    void showPopup() override
    {
        emit droppedDown();
        QComboBox::showPopup();
    }

signals:
    void droppedDown();
};
