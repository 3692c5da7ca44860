#include "core/base/ProgressPace.h"

bool ProgressPace::due()
{
    if (sinceShown.isValid() && sinceShown.elapsed() < intervalMs)
        return false;
    sinceShown.start();
    return true;
}
