// Recover: the recovery scan over the current mail file, watched through the progress
// dialog, and the salvaged records shown as the list.

#include <QApplication>

#include "recovery/recovery_scan.h"
#include "ui/main/command_guard.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_model.h"
#include "ui/main/shown_text.h"
#include "ui/tools/progress_dialog.h"
#include "ui/tools/user_interaction.h"

namespace dorvane::ui {

namespace {

// Drives the progress dialog from the scan's progress points and lets the events run
// there, which is when a click on Cancel gets through.
class ProgressScanObserver final : public ScanObserver {
  public:
    explicit ProgressScanObserver(QWidget* owner) : owner_(owner) {}
    ~ProgressScanObserver() override {
        if (shown_) End();
    }

    void Begin(const std::string& fileName) override {
        TFrmProgress& progress = FrmProgress();
        progress.ShowOver(owner_);
        shown_ = true;
        progress.SetBar(0);
        progress.SetTitle(QStringLiteral("Scaning the mailbox---") + PathQString(fileName));
        progress.RepaintNow();
    }

    void Progress(std::int64_t labelPosition, std::int64_t scanPosition,
                  std::int64_t total) override {
        TFrmProgress& progress = FrmProgress();
        progress.SetLabel(QString::number(labelPosition) + QLatin1Char('/') +
                          QString::number(total));
        progress.SetBar(ProgressBarValue(scanPosition, total, progress.Bar()));
        progress.RepaintLabelNow();
    }

    void ProcessPendingEvents() override { QApplication::processEvents(); }
    bool CancelRequested() override { return ui::CancelRequested; }

    void End() override {
        shown_ = false;
        FrmProgress().Finish();
    }

  private:
    QWidget* owner_;
    bool shown_ = false;
};

}  // namespace

void TForm1::RecoverMessages() {
    RunCommand([this] { DoRecoverMessages(); });
}

void TForm1::DoRecoverMessages() {
    CancelRequested = false;
    state_.RecoveredMode = true;
    CommandGuard guard(this);
    ShowMessageListRows(0);
    state_.MessageList.clear();
    {
        ProgressScanObserver observer(this);
        ScanForMessages(reader_, state_.CurrentMailFile, 80, state_.MessageList, observer);
    }
    if (!CancelRequested) {
        interaction_.ShowNotice(this, QString::number(state_.MessageList.size()) +
                                          QStringLiteral(" messages recovered."));
    }
    PresentMessageList(guard);
}

}  // namespace dorvane::ui
