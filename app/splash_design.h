#pragma once

#include "platform/form_design.h"

namespace kumoden {

// The start-up splash "frmStart" as designed; its progress bar runs from 0
// to the number of steps Main takes.
const FormDesign& FrmStartDesign();

} // namespace kumoden
