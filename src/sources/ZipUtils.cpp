#include "ZipUtils.h"
