#include "ui/tools/batch_window.h"
