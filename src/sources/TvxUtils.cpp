#include "TvxUtils.h"
