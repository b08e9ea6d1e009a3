#include "ui/common/number_field.h"

#include <QLineEdit>
#include <QLocale>

#include <cmath>
#include <limits>

namespace orvane::ui {
namespace {

// Wide enough that the spin box itself never cuts a typed number short; the window judges range.
constexpr double kLimit = 1e9;

} // namespace

NumberField::NumberField(const QString& accessibleName, int decimals, const QString& suffix,
                         QWidget* parent)
    : QDoubleSpinBox(parent) {
    setRange(-kLimit, kLimit);
    setDecimals(decimals);
    setSuffix(suffix);
    setAccessibleName(accessibleName);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    // Room for the digits of a real value, not of the wide range.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-000.00") + suffix) + 40);
    setMaximumWidth(minimumWidth());
    connect(lineEdit(), &QLineEdit::textChanged, this, &NumberField::edited);
}

std::optional<double> NumberField::number() const {
    bool ok = false;
    const double value = locale().toDouble(cleanText(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void NumberField::setNumber(std::optional<double> value) {
    if (value)
        setValue(*value);
    else
        lineEdit()->setText(prefix() + suffix());
}

QValidator::State NumberField::validate(QString& text, int&) const {
    QString body = text;
    if (!suffix().isEmpty() && body.endsWith(suffix()))
        body.chop(suffix().size());
    body = body.trimmed();
    bool ok = false;
    const double value = locale().toDouble(body, &ok);
    if (ok && std::abs(value) <= kLimit)
        return QValidator::Acceptable;
    // A start of a number: nothing yet, a sign, a trailing point or exponent.
    static const QString starts = QStringLiteral("-+.eE");
    const QString decimal = locale().decimalPoint();
    if (body.isEmpty() || (body.size() == 1 && starts.contains(body)))
        return QValidator::Intermediate;
    if (body.endsWith(decimal) || body.endsWith(u'e') || body.endsWith(u'E') ||
        body.endsWith(u'-') || body.endsWith(u'+')) {
        body.chop(1);
        locale().toDouble(body, &ok);
        if (ok || body.isEmpty())
            return QValidator::Intermediate;
    }
    return QValidator::Invalid;
}

double NumberField::valueFromText(const QString& text) const {
    QString body = text;
    if (!suffix().isEmpty() && body.endsWith(suffix()))
        body.chop(suffix().size());
    return locale().toDouble(body.trimmed());
}

void NumberField::fixup(QString&) const {
    // An unfinished entry stays as typed: the window names what is missing.
}

} // namespace orvane::ui
