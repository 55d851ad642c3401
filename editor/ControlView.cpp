#include "editor/ControlView.h"
