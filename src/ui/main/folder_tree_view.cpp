#include "ui/main/folder_tree_view.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include "store/folder_tree.h"
#include "ui/main/shown_text.h"

namespace dorvane::ui {

namespace {

constexpr int kNodeRole = Qt::UserRole;

// The window's two node images: a folder file, and the store's top folder.
QIcon NodeImage(int imageIndex) {
    QStyle* style = QApplication::style();
    if (imageIndex == 1) {
        return QIcon::fromTheme(QStringLiteral("mail-folder-inbox"),
                                style->standardIcon(QStyle::SP_DriveHDIcon));
    }
    return QIcon::fromTheme(QStringLiteral("folder"), style->standardIcon(QStyle::SP_DirIcon));
}

// Paints a light band under the node the mouse is over, whatever the style does.
class HoverDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if ((option.state & QStyle::State_MouseOver) && !(option.state & QStyle::State_Selected)) {
            painter->fillRect(option.rect, option.palette.midlight());
        }
        QStyledItemDelegate::paint(painter, option, index);
    }
};

}  // namespace

QString ListFolderGetText(const Toe5_FolderInfo& node) {
    return ShownText(node.FolderName);
}

int ListFolderGetImageIndex(const Toe5_FolderInfo& node) {
    return FolderImageIndex(node);
}

FolderTreeView::FolderTreeView(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setAnimated(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setItemDelegate(new HoverDelegate(this));
}

QTreeWidgetItem* FolderTreeView::MakeNode(FolderNodeData folder, QTreeWidgetItem* parent) {
    auto* node = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    node->setText(0, ListFolderGetText(*folder));
    const int image = ListFolderGetImageIndex(*folder);
    if (image >= 0) node->setIcon(0, NodeImage(image));
    node->setData(0, kNodeRole, QVariant::fromValue(static_cast<qulonglong>(nodes_.size())));
    nodes_.push_back(std::move(folder));
    return node;
}

void FolderTreeView::BuildFolderTree(const FolderList& folders) {
    const FolderTree tree = dorvane::BuildFolderTree(folders);
    if (tree.Nodes.empty()) return;
    // The core's nodes come in pre-order with parents first, so each parent's item exists
    // before its children's; no recursion, however deep the catalogue nests.
    std::vector<QTreeWidgetItem*> items(tree.Nodes.size(), nullptr);
    for (std::size_t i = 0; i < tree.Nodes.size(); ++i) {
        QTreeWidgetItem* parent = i == 0 ? nullptr : items[tree.Nodes[i].Parent];
        items[i] = MakeNode(tree.Nodes[i].Folder, parent);
    }
    expandAll();
    // Selected, not focused: nothing is loaded until a click.
    topLevelItem(0)->setSelected(true);
}

void FolderTreeView::AddSingleFileNode(const Toe5_FolderInfo& folder) {
    MakeNode(std::make_shared<const Toe5_FolderInfo>(folder), nullptr)->setSelected(true);
}

void FolderTreeView::RemoveAllNodes() {
    clear();
    nodes_.clear();
    setCurrentItem(nullptr);
}

const Toe5_FolderInfo* FolderTreeView::NodeData(const QTreeWidgetItem* node) const {
    if (node == nullptr) return nullptr;
    const auto at = node->data(0, kNodeRole).toULongLong();
    return at < nodes_.size() ? nodes_[at].get() : nullptr;
}

const Toe5_FolderInfo* FolderTreeView::FocusedNodeData() const {
    return NodeData(currentItem());
}

// Qt would make the first node current when the tree gains the focus; here the focus
// stays with no node until the user clicks one, so the item view's handler is passed over
// on purpose.
void FolderTreeView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);  // NOLINT(bugprone-parent-virtual-call)
    viewport()->update();
}

void FolderTreeView::mouseMoveEvent(QMouseEvent* event) {
    QTreeWidget::mouseMoveEvent(event);
    if (itemAt(event->position().toPoint()) != nullptr) {
        viewport()->setCursor(Qt::PointingHandCursor);
    } else {
        viewport()->unsetCursor();
    }
}

void FolderTreeView::leaveEvent(QEvent* event) {
    viewport()->unsetCursor();
    QTreeWidget::leaveEvent(event);
}

void FolderTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit MouseClicked();
}

// Dotted lines from each node to its parent and between siblings, then the style's
// expand and collapse buttons on top; not every style draws the lines itself.
void FolderTreeView::drawBranches(QPainter* painter, const QRect& rect,
                                  const QModelIndex& index) const {
    painter->save();
    QPen pen(palette().color(QPalette::Mid));
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    const int step = indentation();
    const int midY = rect.center().y();
    int level = 0;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ++level;
    // The column of this node's own line.
    int x = rect.right() - step / 2;
    const bool hasNext = index.sibling(index.row() + 1, 0).isValid();
    painter->drawLine(x, rect.top(), x, hasNext ? rect.bottom() : midY);
    painter->drawLine(x, midY, rect.right(), midY);
    // The lines of the ancestors that have siblings still to come.
    QModelIndex ancestor = index.parent();
    for (int l = level - 1; l >= 0 && ancestor.isValid(); --l, ancestor = ancestor.parent()) {
        x -= step;
        if (ancestor.sibling(ancestor.row() + 1, 0).isValid()) {
            painter->drawLine(x, rect.top(), x, rect.bottom());
        }
    }
    painter->restore();
    QTreeWidget::drawBranches(painter, rect, index);
}

}  // namespace dorvane::ui
