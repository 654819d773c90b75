#pragma once

// The progress dialog of the long operations: a title strip, a bar, a label over the bar
// and a Cancel button. It computes nothing; each operation sets what it shows.

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace dorvane::ui {

// Set by the dialog's Cancel button, cleared by each operation as it starts and tested by
// the operations that let events run. One flag for the whole program.
extern bool CancelRequested;

// The strip the dialog draws in place of a system caption: black, white text, the text
// dimmed while the dialog is not the active window.
class TitleStrip : public QWidget {
    Q_OBJECT
  public:
    explicit TitleStrip(QWidget* parent);
    void SetText(const QString& text);
    QString Text() const { return text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QString text_;
    QPoint dragOffset_;
};

class TFrmProgress : public QWidget {
    Q_OBJECT
  public:
    TFrmProgress();

    // Shows the dialog, not modal, centred over owner (on owner's screen).
    void ShowOver(QWidget* owner);
    void SetBar(int position);
    int Bar() const;
    void SetTitle(const QString& text);
    QString Title() const;
    void SetLabel(const QString& text);
    QString Label() const;
    // A run's progress: the bar at bar, the label "done/total", painted at once.
    void ShowCount(int bar, int done, int total);
    // The ending step of every operation that shows the dialog, however the operation
    // ends: the bar full, the title back to "processing", the dialog closed.
    void Finish();
    // Paints at once, without waiting for the event loop.
    void RepaintNow();
    void RepaintLabelNow();

    TitleStrip* FlatTitlebar1;
    QProgressBar* PBar1;
    QLabel* pLabel1;
    QPushButton* FlatButton1;

  signals:
    // The label was set: the operations' progress points, which tests watch.
    void LabelSet(const QString& text);

  private slots:
    void FlatButton1Click();
};

// The one instance, made on first use; it lives until ReleaseFrmProgress.
TFrmProgress& FrmProgress();
// Destroys the instance, if there is one; called before the application object goes.
void ReleaseFrmProgress();

}  // namespace dorvane::ui
