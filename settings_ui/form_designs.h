#pragma once

#include "platform/form_design.h"

namespace kumoden {

// The settings dialog "frmConf" and its two pickers, as designed.
const FormDesign& FrmConfDesign();
const FormDesign& FrmFileDesign();
const FormDesign& FrmExeDesign();

} // namespace kumoden
