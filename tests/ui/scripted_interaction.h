#pragma once

// The window tests' stand-in for the user: answers set in advance, and a record of every
// box shown and every file handed to the shell. Nothing here ever waits.

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "ui/tools/user_interaction.h"

namespace dorvane::ui::test {

struct ShownBox {
    enum Kind { Notice, Error } Type = Notice;
    QString Caption;
    QString Text;
};

// One request to the shell, as it was handed over.
struct ShellCall {
    QWidget* Owner = nullptr;
    QString Verb;
    QString File;
    QString Parameters;
    UserInteraction::ShowCommand Show = UserInteraction::ShowCommand::Show;
};

class ScriptedInteraction : public UserInteraction {
  public:
    // The files the next file-open dialogs answer; a null text stands for Cancel.
    std::deque<QString> NextMailFiles;
    std::vector<ShownBox> Boxes;
    std::vector<QString> ShellOpens;
    std::vector<ShellCall> ShellRequests;
    // The answers of the next directory choosers and batch file choosers; a null text
    // stands for Cancel. Titles asked for are recorded.
    std::deque<QString> NextDirectories;
    std::vector<QString> DirectoryTitles;
    std::deque<QString> NextBatchFiles;
    QString Directory;
    int UnexpectedChoosers = 0;
    // Runs when a box is shown, to look at the window as the user sees it then.
    std::function<void(const ShownBox&)> OnBox;

    void ShowNotice(QWidget*, const QString& text) override {
        Record({ShownBox::Notice, ApplicationCaption(), text});
    }
    void ShowErrorBox(QWidget*, const QString& caption, const QString& text) override {
        Record({ShownBox::Error, caption, text});
    }
    std::optional<QString> ChooseMailFile(QWidget*) override {
        if (NextMailFiles.empty()) {
            ++UnexpectedChoosers;
            return std::nullopt;
        }
        const QString answer = NextMailFiles.front();
        NextMailFiles.pop_front();
        if (answer.isNull()) return std::nullopt;
        return answer;
    }
    std::optional<QString> ChooseDirectory(QWidget*, const QString& title) override {
        DirectoryTitles.push_back(title);
        return Next(NextDirectories);
    }
    std::optional<QString> ChooseBatchSourceFile(QWidget*) override { return Next(NextBatchFiles); }
    void OpenWithShell(QWidget*, const QString& path) override { ShellOpens.push_back(path); }
    void ShellRequest(QWidget* owner, const QString& verb, const QString& file,
                      const QString& parameters, ShowCommand show) override {
        ShellRequests.push_back({owner, verb, file, parameters, show});
    }
    QString ProgramDirectory() const override { return Directory; }

  private:
    std::optional<QString> Next(std::deque<QString>& answers) {
        if (answers.empty()) {
            ++UnexpectedChoosers;
            return std::nullopt;
        }
        const QString answer = answers.front();
        answers.pop_front();
        if (answer.isNull()) return std::nullopt;
        return answer;
    }
    void Record(const ShownBox& box) {
        Boxes.push_back(box);
        if (OnBox) OnBox(box);
    }
};

}  // namespace dorvane::ui::test
