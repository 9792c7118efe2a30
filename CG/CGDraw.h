// Title drawing: the title image onto the frame.
#pragma once
#include "engine/EffectParams.h"

// "None": the whole image keyed (0 transparent) and centred on titleCenter.
void drawTitleNone(EffectParams* params);
