#include "engine/app/EngineTables.h"

// No family tables are linked yet: every family counts 0 rows.
const FamilyServices& engineFamilyServices() {
    static const FamilyServices services{};
    return services;
}
