// The engine's effect families: its full tables and their dispatchers.
#pragma once
#include "engine/FamilyServices.h"

const FamilyServices& engineFamilyServices();
