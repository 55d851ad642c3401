#include "editor/ZemSlider.h"
