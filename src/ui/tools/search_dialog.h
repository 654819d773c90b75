#pragma once

// The "Find Message" dialog: narrows the main window's message list by sender, recipient,
// subject and received date. A search removes what fails from the list itself; reading
// the folder again brings the full list back.

#include <QPointer>
#include <QWidget>

#include "ui/tools/message_search.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dorvane::ui {

class TForm1;
class TitleStrip;

class TFormSearch : public QWidget {
    Q_OBJECT
  public:
    // A dialog over form's list. It is a window of its own, but a child of form, so it is
    // disabled while a command holds the main window (an export walking MessageList) and
    // goes with the main window.
    explicit TFormSearch(TForm1& form);

    // The criteria as the controls hold them, untrimmed; the bounds only where ticked.
    SearchCriteria Criteria() const;

    TitleStrip* FlatTitlebar1;
    QPushButton* FlatButton1;
    QLineEdit* EditFrom;
    QLineEdit* Editto;
    QLineEdit* Editsubject;
    QDateEdit* timebefore;
    QDateEdit* timeafter;
    QCheckBox* checkbefore;
    QCheckBox* checkafter;
    QPushButton* FlatButton2;
    QPushButton* FlatButton3;
    QLabel* Label1;

    // Find Now: narrows the main window's list; the dialog stays open.
    void FlatButton2Click();

  private:
    void Ontime();
    void FormCreate();
    QDateEdit* MakeDatePicker(const char* name, int top);

    QPointer<TForm1> form_;
};

// The Search command: a notice when the list shows no message; otherwise opens the dialog,
// or brings the open one to the front with its entries as they are.
void ShowSearch(TForm1& form);

// The open dialog, or nullptr when none is open.
TFormSearch* FormSearch();

}  // namespace dorvane::ui
