// The dial for assistive technology.
#include "widgets/TBtnRotAccessible.h"

#include "widgets/AccessibleText.h"
#include "widgets/TBtnRot.h"

#include <QAccessible>
#include <QAccessibleValueInterface>

namespace {

constexpr double TwoPi = 2.0 * 3.14159265358979323846;

// A dial read as a spin box: a number set by steps from the keyboard, whose
// value is its position in the unit of its gearing (UnitsPerTurn per turn)
// and whose text is that value said in words with its unit. The spin-box role
// is what makes a screen reader speak the text: Qt's AT-SPI bridge sends no
// value text, and Orca speaks a dial or a slider by its bare number but a
// spin box by the text it shows. Setting the value turns the dial as a drag
// and release would.
class TBtnRotAccessible : public TAccessibleTextWidget, public QAccessibleValueInterface {
public:
    explicit TBtnRotAccessible(TBtnRot* dial)
        : TAccessibleTextWidget(dial, QAccessible::SpinBox, [dial] { return dial->AccessibleValueText(); }) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return TAccessibleTextWidget::interface_cast(t);
    }
    QVariant currentValue() const override {
        return (dial()->Tour() + dial()->Angle() / TwoPi) * dial()->UnitsPerTurn;
    }
    void setCurrentValue(const QVariant& value) override {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (ok && dial()->UnitsPerTurn != 0.0)
            dial()->TurnOnce(v / dial()->UnitsPerTurn * TwoPi);
    }
    QVariant maximumValue() const override {
        return dial()->BlockMax() ? QVariant(dial()->AngleMax() / TwoPi * dial()->UnitsPerTurn) : QVariant();
    }
    QVariant minimumValue() const override {
        return dial()->BlockMin() ? QVariant(dial()->AngleMin() / TwoPi * dial()->UnitsPerTurn) : QVariant();
    }
    QVariant minimumStepSize() const override { return dial()->UnitsPerTurn / TBtnRot::StepsPerTurn; }

private:
    TBtnRot* dial() const { return static_cast<TBtnRot*>(widget()); }
};

QAccessibleInterface* DialAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TBtnRot") && object && object->isWidgetType())
        return new TBtnRotAccessible(static_cast<TBtnRot*>(object));
    return nullptr;
}

} // namespace

void InstallBtnRotAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(DialAccessibleFactory);
        return true;
    }();
    (void)installed;
}

QString TBtnRot::AccessibleValueText() const {
    double v = (m_tour + m_angle / TwoPi) * UnitsPerTurn;
    if (v == 0.0)
        v = 0.0; // no "-0,000"
    QString s = QString::number(v, 'f', UnitsPerTurn >= 1.0 ? 3 : 5);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    if (!UnitText.isEmpty())
        s += QLatin1Char(' ') + UnitText;
    const QString detail = ValueDetail ? ValueDetail() : QString();
    return detail.isEmpty() ? s : s + QStringLiteral(", ") + detail;
}
