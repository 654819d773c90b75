#pragma once

#include <QFont>
#include <QObject>
#include <QSize>

class QWidget;

namespace dorvane::ui {

// Grows and shrinks a window's fonts with the window, as its controls already follow its
// size through layouts: at the size the window was designed for the font is the one it
// started with, at twice the size (in the tighter direction) twice as large.
class FormScaler : public QObject {
    Q_OBJECT
  public:
    // Watches form, designed at designSize; the scaler belongs to form.
    FormScaler(QWidget* form, QSize designSize);

    // The factor for a window of the given size; kept within sensible bounds so a tiny
    // or huge window still shows readable text.
    static double Factor(QSize designSize, QSize size);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* form_;
    QSize designSize_;
    QFont baseFont_;
    double applied_ = 1.0;
};

}  // namespace dorvane::ui
