#pragma once

#include <QAbstractTableModel>

#include "store/uoexpress.h"

namespace dorvane::ui {

// The message list's model: it holds a row count and nothing else, and makes a row's
// texts from MessageList only when the view asks for them (ListMailData). Row i is always
// entry i of the list it watches.
class MessageListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    MessageListModel(const MessageList& messages, QObject* parent);

    // The number of rows shown; never more than the list holds.
    void SetRowCount(int rows);
    // Every row's texts are to be made again (after a sort); selections stay where they are.
    void RefreshRows();
    // How many cell texts have been made so far: only visible rows should cost anything.
    long long TextsMade() const { return textsMade_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    const MessageList& messages_;
    int rows_ = 0;
    mutable long long textsMade_ = 0;
};

}  // namespace dorvane::ui
