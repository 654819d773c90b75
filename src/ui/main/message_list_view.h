#pragma once

#include <QTableView>

namespace dorvane::ui {

// The message list's table: grid lines, whole rows selected, several at once, nothing
// edited in place and no sort mark; the view never reorders rows by itself. "Position" is
// 0 wide until dragged wider, "Size" 35 wide, and the other five share the rest.
class MessageListView : public QTableView {
    Q_OBJECT
  public:
    explicit MessageListView(QWidget* parent);

    void setModel(QAbstractItemModel* model) override;

    // The selected rows, lowest first.
    QList<int> SelectedRows() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShareWidth();
    bool sharing_ = false;
};

}  // namespace dorvane::ui
