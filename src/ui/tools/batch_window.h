#pragma once

// Batch Mode: a list of mail files, each paired with the directory its messages go to,
// processed in one run. The add-file dialog is the only way rows reach the list.

#include <QDialog>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace dorvane::ui {

class TForm1;

class TFrmbatch : public QWidget {
    Q_OBJECT
  public:
    explicit TFrmbatch(TForm1& form);

    // Appends a row with both texts exactly as given.
    void AppendRow(const QString& sourceFile, const QString& saveTo);
    int RowCount() const;
    QString SourceFileAt(int row) const;
    QString SaveToAt(int row) const;

    QTreeWidget* ListFile;
    QPushButton* AddButton;
    QPushButton* RemoveButton;
    QPushButton* StartButton;
    QPushButton* CloseButton;

    void AddClick();
    void RemoveClick();
    void StartClick();
    void CloseClick();

  private:
    void RunBatch();

    TForm1& form_;
};

class TFrmaddfile : public QDialog {
    Q_OBJECT
  public:
    TFrmaddfile(TFrmbatch& batch, TForm1& form);

    QLineEdit* textsourcefile;
    QLineEdit* textsaveto;
    QToolButton* SourceBrowseButton;
    QToolButton* SaveToBrowseButton;
    QPushButton* AddFileButton;
    QPushButton* CancelButton;

    void SourceBrowseClick();
    void SaveToBrowseClick();
    void AddFileClick();
    void CancelClick();

  private:
    TFrmbatch& batch_;
    TForm1& form_;
};

// Made once at start-up, both hidden; making them again replaces the earlier pair.
void CreateBatchForms(TForm1& form);
// The Batch Mode command: shows the batch window, or raises it when it is already shown.
void ShowBatchMode(TForm1& form);
// The instances, null before CreateBatchForms and after ReleaseBatchForms.
TFrmbatch* Frmbatch();
TFrmaddfile* Frmaddfile();
// Destroys both windows; they also go with the main window that owns them.
void ReleaseBatchForms();

}  // namespace dorvane::ui
