#include "editor/AboutView.h"
