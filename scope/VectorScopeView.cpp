#include "scope/VectorScopeView.h"
