#pragma once

#include <memory>
#include <vector>

#include <QTreeWidget>

#include "store/uoexpress.h"

namespace dorvane::ui {

// The record behind a folder-tree node.
using FolderNodeData = std::shared_ptr<const Toe5_FolderInfo>;

// The folder tree. At most one node is selected and, apart from that, at most one has the
// focus (Qt's current item): a build selects the first node without focusing it, and only
// a mouse click focuses a node. The main window loads the focused node on a mouse click.
class FolderTreeView : public QTreeWidget {
    Q_OBJECT
  public:
    explicit FolderTreeView(QWidget* parent);

    // Builds the nodes from the catalogue's records (the tree must be empty), expands every
    // node and selects the first one.
    void BuildFolderTree(const FolderList& folders);
    // One top-level node for a file opened by hand, selected but not focused.
    void AddSingleFileNode(const Toe5_FolderInfo& folder);
    void RemoveAllNodes();

    // The data of the focused node; null when no node has the focus.
    const Toe5_FolderInfo* FocusedNodeData() const;
    const Toe5_FolderInfo* NodeData(const QTreeWidgetItem* node) const;
    // All nodes, every level counted.
    std::size_t NodeCount() const { return nodes_.size(); }

  signals:
    // A left mouse click anywhere in the tree (ListFolderClick).
    void MouseClicked();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

  private:
    QTreeWidgetItem* MakeNode(FolderNodeData folder, QTreeWidgetItem* parent);

    std::vector<FolderNodeData> nodes_;
};

// The node's text: its FolderName.
QString ListFolderGetText(const Toe5_FolderInfo& node);
// 0 for a folder file, 1 for the store's top folder, -1 for none.
int ListFolderGetImageIndex(const Toe5_FolderInfo& node);

}  // namespace dorvane::ui
