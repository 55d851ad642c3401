#include "editor/CustomizableMouseListener.h"
