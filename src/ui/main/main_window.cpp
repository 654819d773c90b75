#include "ui/main/main_window.h"

#include <exception>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>

#include "platform/platform_error.h"
#include "store/store_location.h"
#include "store/store_paths.h"
#include "ui/main/error_box_text.h"
#include "ui/main/folder_tree_view.h"
#include "ui/main/form_scaler.h"
#include "ui/main/message_list_model.h"
#include "ui/main/message_list_view.h"
#include "ui/main/shown_text.h"
#include "ui/tools/batch_window.h"
#include "ui/tools/help_about.h"
#include "ui/tools/search_dialog.h"
#include "ui/tools/user_interaction.h"

namespace dorvane::ui {

namespace {

constexpr int kWindowWidth = 746;
constexpr int kWindowHeight = 520;
constexpr int kTreeWidth = 245;

struct ButtonLook {
    const char* Caption;
    const char* ThemeIcon;
    QStyle::StandardPixmap Fallback;
};

// The toolbar's buttons in their order: the desktop theme's images where it has them.
constexpr ButtonLook kQuickButtons[] = {
    {"Open Archive", "document-open", QStyle::SP_DialogOpenButton},
    {"Search Mail", "edit-find", QStyle::SP_FileDialogContentsView},
    {"Extract All", "document-save-all", QStyle::SP_DialogSaveButton},
    {"Extract Selected", "document-save", QStyle::SP_DialogApplyButton},
    {"Recover", "view-refresh", QStyle::SP_BrowserReload},
    {"View", "mail-message", QStyle::SP_FileIcon},
    {"Batch Mode", "system-run", QStyle::SP_FileDialogListView},
    {"Help", "help-contents", QStyle::SP_DialogHelpButton},
};

}  // namespace

TForm1::TForm1(UserInteraction& interaction, StoreLocator locateStoreRoot)
    : interaction_(interaction), locateStoreRoot_(std::move(locateStoreRoot)) {
    if (!locateStoreRoot_) locateStoreRoot_ = [] { return LocateStoreRoot(); };
    setWindowTitle(QStringLiteral("Dorvane"));

    BuildMenusAndToolBar();

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    ListFolder_ = new FolderTreeView(splitter);
    ListMail_ = new MessageListView(splitter);
    ListMailModel_ = new MessageListModel(state_.MessageList, this);
    ListMail_->setModel(ListMailModel_);
    splitter->addWidget(ListFolder_);
    splitter->addWidget(ListMail_);
    // Both parts grow with the window, each by its share of the designed width.
    splitter->setStretchFactor(0, kTreeWidth);
    splitter->setStretchFactor(1, kWindowWidth - kTreeWidth);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({kTreeWidth, kWindowWidth - kTreeWidth - splitter->handleWidth()});
    setCentralWidget(splitter);

    connect(ListFolder_, &FolderTreeView::MouseClicked, this, &TForm1::ListFolderClick);
    connect(ListMail_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TForm1::ListMailColumnClick);
    connect(ListMail_, &QAbstractItemView::doubleClicked, this, [this] { ViewCurrentMessage(); });
    connect(ListMail_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) {
                // Qt reports a change once for a whole range; what the preview shows is
                // the first selected row either way.
                if (!selected.isEmpty()) ListMailSelectItem(selected.indexes().front().row(), true);
            });

    resize(kWindowWidth, kWindowHeight);
    new FormScaler(this, QSize(kWindowWidth, kWindowHeight));
    if (QScreen* screen = QApplication::primaryScreen()) {
        QRect placed(QPoint(0, 0), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }

    FormCreate();
    CreateBatchForms(*this);
    CreateAboutBox(*this);
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::BuildMenusAndToolBar() {
    auto command = [this](const QString& caption, auto&& slot) {
        auto* action = new QAction(caption, this);
        action->setToolTip(caption);
        action->setStatusTip(caption);
        action->setObjectName(caption);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto nothing = [] {};
    auto view = [this] { ViewCurrentMessage(); };
    auto open = [this] { OpenMailFile(); };
    auto search = [this] { ShowSearch(*this); };
    auto batch = [this] { ShowBatchMode(*this); };
    auto help = [this] { ShowHelp(*this); };
    auto extractAll = [this] { ExtractAllMessages(); };
    auto extractSelected = [this] { ExtractSelectedMessages(); };

    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(command(QStringLiteral("Open DBX File"), open));
    file->addAction(command(QStringLiteral("Exit"), [this] { close(); }));
    QMenu* actions = menuBar()->addMenu(QStringLiteral("Actions"));
    actions->addAction(command(QStringLiteral("Search"), search));
    actions->addAction(command(QStringLiteral("View the current mail"), view));
    actions->addAction(command(QStringLiteral("Extract all mail"), extractAll));
    actions->addAction(command(QStringLiteral("Extract Selected mail"), extractSelected));
    actions->addAction(command(QStringLiteral("Batch Mode"), batch));
    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("Help"));
    helpMenu->addAction(command(QStringLiteral("Dorvane Help"), help));
    helpMenu->addAction(
        command(QStringLiteral("Dorvane on the web"), [this] { ShowWebPage(this, interaction_); }));
    helpMenu->addAction(command(QStringLiteral("About Dorvane"), [this] { ShowAbout(*this); }));

    Quick_ = new QToolBar(QStringLiteral("Quick"), this);
    Quick_->setObjectName(QStringLiteral("Quick"));
    Quick_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Quick_->setMovable(false);
    Quick_->setFloatable(false);
    Quick_->setIconSize(QSize(32, 32));
    Quick_->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, Quick_);
    for (const ButtonLook& look : kQuickButtons) {
        const QString caption = QString::fromLatin1(look.Caption);
        std::function<void()> slot = nothing;
        if (caption == QLatin1String("Open Archive")) slot = open;
        if (caption == QLatin1String("Recover")) slot = [this] { RecoverMessages(); };
        if (caption == QLatin1String("View")) slot = view;
        if (caption == QLatin1String("Search Mail")) slot = search;
        if (caption == QLatin1String("Batch Mode")) slot = batch;
        if (caption == QLatin1String("Help")) slot = help;
        if (caption == QLatin1String("Extract All")) slot = extractAll;
        if (caption == QLatin1String("Extract Selected")) slot = extractSelected;
        // The toolbar's own actions, so each caption finds exactly one of them.
        QAction* action = command(caption, slot);
        action->setObjectName(QStringLiteral("Quick/") + caption);
        action->setIcon(QIcon::fromTheme(QString::fromLatin1(look.ThemeIcon),
                                         style()->standardIcon(look.Fallback)));
        Quick_->addAction(action);
    }
}

QAction* TForm1::ActionByCaption(const QString& caption) const {
    return findChild<QAction*>(caption, Qt::FindDirectChildrenOnly);
}

// Start-up: the store's catalogue read into the tree; a failure is told after the tree has
// been built, and the window opens all the same.
void TForm1::FormCreate() {
    std::string failure;
    try {
        state_.CurrentMailFile = WithTrailingDelimiter(locateStoreRoot_()) + "folders.dbx";
        ReadDbxIndex(reader_, state_.CurrentMailFile, &state_.FolderList, nullptr);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    ListFolder_->BuildFolderTree(state_.FolderList);
    if (!failure.empty()) ShowErrorBox(failure);
}

void TForm1::FormDestroy() {
    state_.MessageList.clear();
    state_.FolderList.clear();
}

void TForm1::ShowErrorBox(const std::string& errorText) {
    interaction_.ShowErrorBox(this, ApplicationCaption(), ShownText(ErrorBoxText(errorText)));
}

void TForm1::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
    }
}

}  // namespace dorvane::ui
