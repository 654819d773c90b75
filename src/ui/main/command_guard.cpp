#include "ui/main/command_guard.h"

#include <QApplication>
#include <QWidget>

namespace dorvane::ui {

CommandGuard::CommandGuard(QWidget* window) : window_(window) {
    window_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

CommandGuard::~CommandGuard() {
    Release();
}

void CommandGuard::Release() {
    if (!held_) return;
    held_ = false;
    QApplication::restoreOverrideCursor();
    window_->setEnabled(true);
}

}  // namespace dorvane::ui
