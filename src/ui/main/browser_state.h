#pragma once

#include <string>

#include "store/uoexpress.h"

namespace dorvane::ui {

// What the main window's commands share. It lives as long as the window.
struct BrowserState {
    // The DBX file the commands work on: the catalogue after start-up, then the file of the
    // folder loaded last or the file the user opened.
    std::string CurrentMailFile;
    // The catalogue records the tree was built from, in the reader's order.
    dorvane::FolderList FolderList;
    // The messages behind the list, in display order: row i shows entry i.
    dorvane::MessageList MessageList;
    // While set, message text is read as salvaged text.
    bool RecoveredMode = false;
    // The file the user has just opened is read by the load that follows at once.
    bool FileJustOpened = false;
    // The column of the last sort, 0 to 6, and the direction of the next one: it flips
    // after every sort, so the first sort after start-up is descending.
    int SortColumn = 0;
    bool SortDescending = true;
};

}  // namespace dorvane::ui
