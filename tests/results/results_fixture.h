#pragma once
// The hand-worked assay now lives with the other shared fixtures.
#include "support/hand_worked_assay.h"
