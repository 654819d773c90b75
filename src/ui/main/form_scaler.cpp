#include "ui/main/form_scaler.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QWidget>

namespace dorvane::ui {

FormScaler::FormScaler(QWidget* form, QSize designSize)
    : QObject(form), form_(form), designSize_(designSize), baseFont_(form->font()) {
    form->installEventFilter(this);
}

double FormScaler::Factor(QSize designSize, QSize size) {
    if (designSize.isEmpty() || size.isEmpty()) return 1.0;
    const double factor = std::min(static_cast<double>(size.width()) / designSize.width(),
                                   static_cast<double>(size.height()) / designSize.height());
    // Steps of a twentieth, so that dragging the border does not re-lay the text out for
    // every pixel.
    return std::clamp(std::round(factor * 20.0) / 20.0, 0.6, 3.0);
}

bool FormScaler::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::Resize) {
        const double factor = Factor(designSize_, form_->size());
        if (factor != applied_) {
            applied_ = factor;
            QFont font = baseFont_;
            if (baseFont_.pointSizeF() > 0) {
                font.setPointSizeF(baseFont_.pointSizeF() * factor);
            } else {
                font.setPixelSize(std::max(1, static_cast<int>(baseFont_.pixelSize() * factor)));
            }
            form_->setFont(font);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace dorvane::ui
