#include "SettingsValues.h"
