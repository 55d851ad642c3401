#include "scope/GLRenderer.h"
