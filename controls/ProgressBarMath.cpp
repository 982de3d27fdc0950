#include "controls/ProgressBarMath.h"
