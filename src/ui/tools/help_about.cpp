#include "ui/tools/help_about.h"
