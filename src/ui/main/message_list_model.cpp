#include "ui/main/message_list_model.h"

#include <algorithm>
#include <climits>

#include "ui/main/message_rows.h"
#include "ui/main/shown_text.h"

namespace dorvane::ui {

MessageListModel::MessageListModel(const MessageList& messages, QObject* parent)
    : QAbstractTableModel(parent), messages_(messages) {}

void MessageListModel::SetRowCount(int rows) {
    // Rows are removed and inserted rather than the model reset, so the view keeps its
    // column widths; the rows that go take their selection with them.
    const int wanted =
        std::clamp(rows, 0, static_cast<int>(std::min<std::size_t>(messages_.size(), INT_MAX)));
    if (wanted < rows_) {
        beginRemoveRows(QModelIndex(), wanted, rows_ - 1);
        rows_ = wanted;
        endRemoveRows();
    } else if (wanted > rows_) {
        beginInsertRows(QModelIndex(), rows_, wanted - 1);
        rows_ = wanted;
        endInsertRows();
    }
}

void MessageListModel::RefreshRows() {
    if (rows_ == 0) return;
    emit dataChanged(index(0, 0), index(rows_ - 1, kMessageColumnCount - 1), {Qt::DisplayRole});
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kMessageColumnCount;
}

// ListMailData: the texts are made afresh at every request from the record as it is now.
QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_ ||
        static_cast<std::size_t>(index.row()) >= messages_.size()) {
        return {};
    }
    ++textsMade_;
    return ShownText(
        MessageRowText(*messages_[static_cast<std::size_t>(index.row())], index.column()));
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kMessageColumnCount) {
        return {};
    }
    const auto caption = kMessageColumnCaptions[static_cast<std::size_t>(section)];
    return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

Qt::ItemFlags MessageListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace dorvane::ui
