#include "editor/BackgroundImageView.h"
