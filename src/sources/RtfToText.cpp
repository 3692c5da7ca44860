#include "RtfToText.h"
