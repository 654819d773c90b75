#include "ui/tools/search_dialog.h"
