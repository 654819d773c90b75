#include "ui/tools/batch_window.h"

#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

#include "store/store_paths.h"
#include "ui/main/command_guard.h"
#include "ui/main/main_window.h"
#include "ui/main/shown_text.h"
#include "ui/tools/progress_dialog.h"
#include "ui/tools/store_export.h"
#include "ui/tools/tool_window.h"
#include "ui/tools/user_interaction.h"

namespace dorvane::ui {

namespace {

enum BatchColumn { kSourceFile = 0, kSaveTo = 1 };

QPointer<TFrmbatch>& BatchInstance() {
    static QPointer<TFrmbatch> instance;
    return instance;
}

QPointer<TFrmaddfile>& AddFileInstance() {
    static QPointer<TFrmaddfile> instance;
    return instance;
}

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent,
                    const QRect& place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(place);
    return button;
}

QToolButton* BrowseButton(const QString& name, QWidget* parent, const QRect& place) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    return button;
}

// The window's own side of a run: the main window (and with it this one) is locked and the
// progress dialog shown, and both are given back however the run ends, an error included.
class BatchRun {
  public:
    BatchRun(TForm1& form, QWidget* batch) : guard_(&form), batch_(batch) {
        CancelRequested = false;
        batch_->setEnabled(false);
        TFrmProgress& progress = FrmProgress();
        progress.ShowOver(batch_);
        progress.SetBar(0);
        progress.SetTitle(QStringLiteral("processing"));
    }
    ~BatchRun() {
        batch_->setEnabled(true);
        guard_.Release();
        FrmProgress().Finish();
    }
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    static void ShowRow(const std::string& source) {
        FrmProgress().SetTitle(QStringLiteral("processing---") + PathQString(FileNamePart(source)));
        FrmProgress().RepaintNow();
    }
    static void ShowDone(int done, int total) {
        FrmProgress().ShowCount(done * 100 / total, done, total);
    }

  private:
    CommandGuard guard_;
    QWidget* batch_;
};

}  // namespace

// --- The batch window -------------------------------------------------------------------

TFrmbatch::TFrmbatch(TForm1& form)
    : QWidget(&form, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), form_(form) {
    setObjectName(QStringLiteral("Frmbatch"));
    setWindowTitle(QStringLiteral("Batch Mode"));
    setFixedSize(477, 268);
    setFont(ToolWindowFont());

    ListFile = new QTreeWidget(this);
    ListFile->setObjectName(QStringLiteral("ListFile"));
    ListFile->setGeometry(0, 0, 361, 265);
    ListFile->setFrameShape(QFrame::NoFrame);
    ListFile->setRootIsDecorated(false);
    ListFile->setItemsExpandable(false);
    ListFile->setUniformRowHeights(true);
    ListFile->setColumnCount(2);
    ListFile->setHeaderLabels({QStringLiteral("SourceFile"), QStringLiteral("Save to")});
    ListFile->setColumnWidth(kSourceFile, 210);
    ListFile->setColumnWidth(kSaveTo, 150);
    ListFile->header()->setStretchLastSection(false);
    ListFile->header()->setSectionsMovable(false);
    ListFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListFile->setSelectionMode(QAbstractItemView::SingleSelection);

    AddButton =
        Button(QStringLiteral("Add"), QStringLiteral("AddButton"), this, QRect(376, 16, 89, 41));
    RemoveButton = Button(QStringLiteral("Remove"), QStringLiteral("RemoveButton"), this,
                          QRect(376, 72, 89, 41));
    StartButton = Button(QStringLiteral("Start"), QStringLiteral("StartButton"), this,
                         QRect(376, 152, 89, 41));
    CloseButton = Button(QStringLiteral("Close"), QStringLiteral("CloseButton"), this,
                         QRect(376, 208, 89, 41));
    connect(AddButton, &QPushButton::clicked, this, &TFrmbatch::AddClick);
    connect(RemoveButton, &QPushButton::clicked, this, &TFrmbatch::RemoveClick);
    connect(StartButton, &QPushButton::clicked, this, &TFrmbatch::StartClick);
    connect(CloseButton, &QPushButton::clicked, this, &TFrmbatch::CloseClick);
}

void TFrmbatch::AppendRow(const QString& sourceFile, const QString& saveTo) {
    auto* item = new QTreeWidgetItem(ListFile, {sourceFile, saveTo});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
}

int TFrmbatch::RowCount() const {
    return ListFile->topLevelItemCount();
}

QString TFrmbatch::SourceFileAt(int row) const {
    return ListFile->topLevelItem(row)->text(kSourceFile);
}

QString TFrmbatch::SaveToAt(int row) const {
    return ListFile->topLevelItem(row)->text(kSaveTo);
}

// The add-file dialog keeps what was typed last, so a run of files bound for one directory
// needs the directory only once. open() rather than exec(): modal to this window without a
// nested event loop.
void TFrmbatch::AddClick() {
    TFrmaddfile* dialog = Frmaddfile();
    if (dialog == nullptr) return;
    if (dialog->isVisible()) {
        dialog->raise();
        dialog->activateWindow();
        return;
    }
    dialog->open();
}

void TFrmbatch::RemoveClick() {
    const QList<QTreeWidgetItem*> selected = ListFile->selectedItems();
    for (QTreeWidgetItem* item : selected) delete item;
}

void TFrmbatch::CloseClick() {
    hide();
}

void TFrmbatch::StartClick() {
    if (RowCount() == 0) return;
    form_.RunCommand([this] { RunBatch(); });
}

// Rows stay in the list: a run can be repeated, and the list shows what was asked for.
void TFrmbatch::RunBatch() {
    std::vector<std::pair<std::string, std::string>> rows;
    rows.reserve(static_cast<std::size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row) {
        rows.emplace_back(PathText(SourceFileAt(row)), PathText(SaveToAt(row)));
    }
    const int total = static_cast<int>(rows.size());
    // A reader of its own: the main window's slot keeps the file it is browsing.
    ReaderState reader;
    ExportTally tally;
    {
        BatchRun run(form_, this);
        BatchRun::ShowDone(0, total);
        for (int row = 0; row < total; ++row) {
            BatchRun::ShowRow(rows[row].first);
            tally.Add(ExportBatchRow(reader, rows[row].first, rows[row].second));
            BatchRun::ShowDone(row + 1, total);
            QApplication::processEvents();
            if (CancelRequested) break;
        }
    }
    // Said after a cancel too: what was written by then is on disk, and losing count of a
    // failed file would be a failure reported as success.
    std::string notice = BatchNotice(tally);
    if (tally.WriteFailures > 0) notice += "\n" + WriteFailureNotice(tally);
    form_.Interaction().ShowNotice(this, PathQString(notice));
}

// --- The add-file dialog ----------------------------------------------------------------

TFrmaddfile::TFrmaddfile(TFrmbatch& batch, TForm1& form)
    : QDialog(&batch, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), batch_(batch), form_(form) {
    setObjectName(QStringLiteral("Frmaddfile"));
    setWindowTitle(QStringLiteral("Please add DBX file"));
    setFixedSize(418, 171);
    setFont(ToolWindowFont());
    setSizeGripEnabled(false);

    auto* upper = new QFrame(this);
    upper->setGeometry(0, 0, 417, 105);
    upper->setFrameShape(QFrame::Panel);
    upper->setFrameShadow(QFrame::Raised);
    auto* lower = new QFrame(this);
    lower->setGeometry(0, 106, 417, 63);
    lower->setFrameShape(QFrame::Panel);
    lower->setFrameShadow(QFrame::Raised);

    (new QLabel(QStringLiteral("Source DBX File:"), upper))->move(8, 24);
    textsourcefile = new QLineEdit(upper);
    textsourcefile->setObjectName(QStringLiteral("textsourcefile"));
    textsourcefile->setGeometry(104, 24, 273, 21);
    SourceBrowseButton =
        BrowseButton(QStringLiteral("SourceBrowseButton"), upper, QRect(376, 24, 33, 25));

    (new QLabel(QStringLiteral("Save To:"), upper))->move(8, 64);
    textsaveto = new QLineEdit(upper);
    textsaveto->setObjectName(QStringLiteral("textsaveto"));
    textsaveto->setGeometry(104, 56, 273, 21);
    SaveToBrowseButton =
        BrowseButton(QStringLiteral("SaveToBrowseButton"), upper, QRect(376, 56, 33, 25));

    AddFileButton = Button(QStringLiteral("Add File"), QStringLiteral("AddFileButton"), lower,
                           QRect(48, 8, 105, 49));
    CancelButton = Button(QStringLiteral("Cancel"), QStringLiteral("CancelButton"), lower,
                          QRect(304, 6, 105, 49));
    // Enter in an edit must not close the dialog behind the checks' back.
    AddFileButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);

    connect(SourceBrowseButton, &QToolButton::clicked, this, &TFrmaddfile::SourceBrowseClick);
    connect(SaveToBrowseButton, &QToolButton::clicked, this, &TFrmaddfile::SaveToBrowseClick);
    connect(AddFileButton, &QPushButton::clicked, this, &TFrmaddfile::AddFileClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFrmaddfile::CancelClick);

    move(261, 210);
}

// The choosers may answer with '/' on every platform; the list shows the platform's own.
void TFrmaddfile::SourceBrowseClick() {
    const auto chosen = form_.Interaction().ChooseBatchSourceFile(this);
    if (!chosen) return;
    textsourcefile->setText(QDir::toNativeSeparators(*chosen));
}

void TFrmaddfile::SaveToBrowseClick() {
    const auto chosen =
        form_.Interaction().ChooseDirectory(this, QStringLiteral("Please Choose A Directory"));
    if (!chosen) return;
    textsaveto->setText(
        PathQString(WithTrailingDelimiter(PathText(QDir::toNativeSeparators(*chosen)))));
}

void TFrmaddfile::AddFileClick() {
    const QString saveTo = textsaveto->text();
    const QString source = textsourcefile->text();
    if (saveTo.isEmpty() || !QFileInfo(saveTo).isDir()) {
        form_.Interaction().ShowNotice(this,
                                       QStringLiteral("The \"Save to\" path is unavailable!"));
        return;
    }
    if (source.isEmpty() || !QFileInfo(source).isFile()) {
        form_.Interaction().ShowNotice(this, QStringLiteral("The sourcefile is unavailable!"));
        return;
    }
    batch_.AppendRow(source, saveTo);
    hide();
}

void TFrmaddfile::CancelClick() {
    hide();
}

// --- Lifetime ---------------------------------------------------------------------------

void CreateBatchForms(TForm1& form) {
    ReleaseBatchForms();
    auto* batch = new TFrmbatch(form);
    BatchInstance() = batch;
    AddFileInstance() = new TFrmaddfile(*batch, form);
}

void ShowBatchMode(TForm1& form) {
    if (Frmbatch() == nullptr) CreateBatchForms(form);
    TFrmbatch* batch = Frmbatch();
    if (!batch->isVisible()) {
        QRect placed(QPoint(0, 0), batch->frameGeometry().size());
        placed.moveCenter(form.frameGeometry().center());
        batch->move(placed.topLeft());
        batch->show();
    }
    batch->raise();
    batch->activateWindow();
}

TFrmbatch* Frmbatch() {
    return BatchInstance().data();
}

TFrmaddfile* Frmaddfile() {
    return AddFileInstance().data();
}

void ReleaseBatchForms() {
    delete AddFileInstance().data();
    AddFileInstance().clear();
    delete BatchInstance().data();
    BatchInstance().clear();
}

}  // namespace dorvane::ui
