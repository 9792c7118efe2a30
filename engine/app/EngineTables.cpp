#include "engine/app/EngineTables.h"

#include "Sfx/ImageEffectTable.h"

// The families whose tables are linked; the others count 0 rows.
const FamilyServices& engineFamilyServices() {
    static const FamilyServices services = [] {
        FamilyServices s;
        s.runImageEffect = runImageEffect;
        s.imageEffectCount = &ImageEffectTableCount;
        return s;
    }();
    return services;
}
