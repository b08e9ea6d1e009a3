#pragma once

// The WBGT estimator: for organizers without a WBGT meter, an estimate of the wet bulb globe
// temperature from the weather (air temperature, humidity, wind and sun) at a place and time,
// by the model of Liljegren and others (2008). It shows the estimate in °F and °C with the
// calculator's option for it, and can answer question 1 with that option on request. It
// belongs to the calculator that opened it and closes with it; it keeps nothing between runs.

#include "core/liljegren.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace orvane::ui {

class frm_Solvane_Calc;

class frmWbgtEstimator : public QWidget {
    Q_OBJECT

public:
    explicit frmWbgtEstimator(frm_Solvane_Calc* calculator);

    // The calculator's option for the current estimate (0 "<73°F" ... 3 ">= 86°F"), if any.
    std::optional<int> option() const { return option_; }

    void Estimate();
    void cmdUseInQuestion1_Click();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void buildInputs();
    QWidget* fieldOf(WbgtField field) const;
    void placeChanged();
    void markBad(QWidget* field, const QString& message);
    void updateUseButton();

    frm_Solvane_Calc* calculator_;
    QDoubleSpinBox* air_ = nullptr;
    QComboBox* humidityKind_ = nullptr;
    QDoubleSpinBox* humidity_ = nullptr;
    QDoubleSpinBox* wind_ = nullptr;
    QComboBox* sky_ = nullptr;
    QDoubleSpinBox* solar_ = nullptr;
    QCheckBox* shade_ = nullptr;
    QDateTimeEdit* when_ = nullptr;
    QComboBox* place_ = nullptr;
    QDoubleSpinBox* latitude_ = nullptr;
    QDoubleSpinBox* longitude_ = nullptr;
    QDoubleSpinBox* utcOffset_ = nullptr;
    QLabel* airC_ = nullptr;
    QLabel* humidityC_ = nullptr;
    QLabel* windMs_ = nullptr;
    QLabel* zone_ = nullptr;
    QLabel* result_ = nullptr;
    QLabel* band_ = nullptr;
    QLabel* problem_ = nullptr;
    QLabel* lockNote_ = nullptr;
    QPushButton* use_ = nullptr;
    std::optional<int> option_;
    bool nowByDefault_ = true;
};

} // namespace orvane::ui
