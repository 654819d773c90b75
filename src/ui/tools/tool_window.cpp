#include "ui/tools/tool_window.h"

#include <algorithm>

#include <QScreen>
#include <QWidget>

namespace dorvane::ui {

QFont ToolWindowFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
}

void PlaceCentredOver(QWidget* window, const QWidget* owner) {
    QRect placed(QPoint(0, 0), window->size());
    placed.moveCenter(owner->frameGeometry().center());
    if (const QScreen* screen = owner->screen()) {
        const QRect available = screen->availableGeometry();
        placed.moveLeft(std::clamp(placed.left(), available.left(),
                                   std::max(available.left(), available.right() - placed.width())));
        placed.moveTop(std::clamp(placed.top(), available.top(),
                                  std::max(available.top(), available.bottom() - placed.height())));
    }
    window->move(placed.topLeft());
}

}  // namespace dorvane::ui
