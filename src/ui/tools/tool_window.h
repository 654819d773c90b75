#pragma once

#include <QFont>

class QWidget;

namespace dorvane::ui {

// The look every tool window shares: the small dialog font the forms were laid out in.
QFont ToolWindowFont();

// Moves window so that it stands centred over owner, kept inside owner's screen.
void PlaceCentredOver(QWidget* window, const QWidget* owner);

}  // namespace dorvane::ui
