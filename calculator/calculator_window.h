#pragma once

#include "calculator/calc_core.h"
#include "shared_ui/secondary_window.h"

#include <QObject>
#include <QPointer>

class QLineEdit;
class QRadioButton;
class QWidget;

namespace lumora {

class RefusalNotice;

// The cracking calculator: decimal/hexadecimal conversion in the lower
// group, the four operations on two operands in the upper one.  It keeps
// nothing but what its fields show; every click reads the fields afresh.
//
// A refused input or outcome writes nothing: the target field keeps its
// text, and the reason is shown in a notice under the field concerned, with
// a beep, so that no modal box interrupts the user.
class CalculatorWindow : public QObject, public FormDesign
{
    Q_OBJECT
public:
    // Builds the window with empty fields and hexadecimal mode selected, and
    // wires the handlers to the new controls.
    QWidget *CreateFromDesign() override;

    // "十转十六", "十六转十", then "相加", "相减", "相乘", "相除".
    void DecimalToHex();
    void HexToDecimal();
    void Add();
    void Subtract();
    void Multiply();
    void Divide();

private:
    void Operate(Operation op);
    void Refuse(QLineEdit *field, Refusal why);

    // The controls of the window currently on screen, if any.
    QPointer<QWidget> m_window;
    QPointer<QLineEdit> m_decimalField;
    QPointer<QLineEdit> m_hexField;
    QPointer<QLineEdit> m_operand1Field;
    QPointer<QLineEdit> m_operand2Field;
    QPointer<QLineEdit> m_resultField;
    QPointer<QRadioButton> m_hexOption;
    QPointer<RefusalNotice> m_notice;
};

} // namespace lumora
