#pragma once

class QWidget;

namespace dorvane::ui {

// Disables the main window and shows the busy cursor for one command, and gives both back
// when the command ends, however it ends. Release gives them back early (the message list
// does so as soon as its rows are shown); the destructor then does nothing more.
class CommandGuard {
  public:
    explicit CommandGuard(QWidget* window);
    ~CommandGuard();
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

    void Release();

  private:
    QWidget* window_;
    bool held_ = true;
};

}  // namespace dorvane::ui
