// A combo box that draws its item texts itself: selected items in the
// highlight colours with a focus rectangle, each text two pixels in.
#pragma once

#include <QComboBox>

class COwnerDrawCombo : public QComboBox {
    Q_OBJECT
public:
    explicit COwnerDrawCombo(QWidget* parent = nullptr);
};
