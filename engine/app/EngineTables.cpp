#include "engine/app/EngineTables.h"

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
        return s;
    }();
    return services;
}
