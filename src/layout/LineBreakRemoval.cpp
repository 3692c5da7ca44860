#include "LineBreakRemoval.h"
