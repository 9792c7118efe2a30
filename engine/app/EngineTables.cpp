#include "engine/app/EngineTables.h"

#include "Animation/AnimationTable.h"
#include "Animation/ParticleList.h"
#include "AnimationEffect/AnimationEffectTable.h"
#include "CG/TitleTable.h"
#include "Sfx/ImageEffectTable.h"
#include "Transition/TransitionTable.h"

// The families whose tables are linked; the others count 0 rows.
const FamilyServices& engineFamilyServices() {
    static const FamilyServices services = [] {
        FamilyServices s;
        s.runTransition = runTransition;
        s.transitionCount = &transitionCount;
        s.runImageEffect = runImageEffect;
        s.imageEffectCount = &ImageEffectTableCount;
        s.runTitleStyle = runTitleStyle;
        s.runTitleMotionEffect = runTitleMotionEffect;
        s.titleCounts = titleTableCounts;
        s.runAnimation = runAnimation;
        s.animationCount = &AnimationTableCount;
        s.runAnimationEffect = runAnimationEffect;
        s.animationEffectCount = &AnimationEffectTableCount;
        s.blurSlowRow = &AnimationEffectBlurSlowRow;
        s.resetParticleLists = resetParticleLists;
        s.freeParticleLists = freeParticleLists;
        return s;
    }();
    return services;
}
