#include "Animation/ANI_AdvancedAnimation.h"
#include "Animation/ANI_AnimationPlus.h"
#include "Animation/ANI_Dot.h"
#include "Animation/ANI_Line.h"
#include "Animation/ANI_SpectrumAnimation.h"
#include "Animation/ANI_SpriteAnimation.h"
#include "Animation/ANI_UpgradedAnimation.h"
#include "Animation/ANI_WaveAnimation.h"
#include "Animation/AnimationShared.h"

void resetAnimationRunState() {
    resetAdvancedState();
    resetAnimationPlusState();
    resetDotState();
    resetLineState();
    resetSpectrumState();
    resetSpriteFireState();
    resetUpgradedState();
    resetWaveState();
}
