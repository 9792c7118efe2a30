#include "CG/CGMotion.h"

void moveTitleStill(EffectParams*) {}
