#include "ui/main/message_list_view.h"

#include <algorithm>

#include <QHeaderView>
#include <QItemSelectionModel>

#include "ui/main/message_rows.h"

namespace dorvane::ui {

namespace {
constexpr int kSizeColumnWidth = 35;
constexpr int kSharedColumns = 5;
}  // namespace

MessageListView::MessageListView(QWidget* parent) : QTableView(parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setWordWrap(false);
    verticalHeader()->hide();
    // Row heights stay the same, so the view never measures rows it does not show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int) {
        if (section == kPositionColumn || section == kSizeColumn) ShareWidth();
    });
}

QList<int> MessageListView::SelectedRows() const {
    QList<int> rows;
    if (selectionModel() == nullptr) return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MessageListView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    sharing_ = true;
    horizontalHeader()->resizeSection(kPositionColumn, 0);
    horizontalHeader()->resizeSection(kSizeColumn, kSizeColumnWidth);
    sharing_ = false;
    ShareWidth();
}

void MessageListView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    ShareWidth();
}

// The five text columns divide what Position and Size leave, following the list's width.
void MessageListView::ShareWidth() {
    if (sharing_ || model() == nullptr) return;
    sharing_ = true;
    QHeaderView* header = horizontalHeader();
    const int fixed = header->sectionSize(kPositionColumn) + header->sectionSize(kSizeColumn);
    const int shared = std::max(0, viewport()->width() - fixed) / kSharedColumns;
    for (int column = 0; column <= kLastSharedColumn; ++column) {
        header->resizeSection(column, shared);
    }
    sharing_ = false;
}

}  // namespace dorvane::ui
