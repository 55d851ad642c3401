#include "editor/LevelMeterView.h"
