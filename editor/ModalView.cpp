#include "editor/ModalView.h"
