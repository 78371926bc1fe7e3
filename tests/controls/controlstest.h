// What the control tests share besides the pictures: the flat look.
#pragma once

#include "support/pictures.h"

// The flat look on for the whole test program.
void EnsureFlatLook();
