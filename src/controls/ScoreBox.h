#pragma once
// A player's six-digit score, painted from the digit strip.

#include "table/TableState.h"
#include "resources/PictureCutter.h"

#include <QWidget>

namespace tess {

class ScoreBox : public QWidget {
    Q_OBJECT

public:
    ScoreBox(const PictureCutter& digits, QWidget* parent = nullptr);
    void display(const ScoreState& state);
    const QString& digits() const { return state_.digits; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PictureCutter& digits_;
    ScoreState state_;
};

} // namespace tess
