#include "editor/DraggableLabelView.h"
