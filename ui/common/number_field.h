#pragma once

// A number typed by a person. Unlike a plain spin box, it keeps whatever number is typed, even
// one outside the field's range ("200" stays 200, never 20.0), and leaves judging it to the
// window that reads it, which can then say at the field what is wrong. An empty or unfinished
// entry ("", "-", "1e") is kept as typed and reads as no number. The arrows still step.

#include <QDoubleSpinBox>

#include <optional>

namespace orvane::ui {

class NumberField : public QDoubleSpinBox {
    Q_OBJECT

public:
    NumberField(const QString& accessibleName, int decimals, const QString& suffix,
                QWidget* parent = nullptr);

    // The number in the field as typed, or none while it is empty or unfinished.
    std::optional<double> number() const;
    // Shows `value` with the field's decimals; no value empties the field.
    void setNumber(std::optional<double> value);

    QValidator::State validate(QString& text, int& pos) const override;
    double valueFromText(const QString& text) const override;
    void fixup(QString& text) const override;

signals:
    // Any edit, by typing, stepping or setNumber().
    void edited();
};

} // namespace orvane::ui
