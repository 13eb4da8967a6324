#pragma once

#include "platform/form_design.h"

namespace kumoden {

// The version box "frmAbout" as designed. Label4 reads its caption
// followed by the version the program was built as.
const FormDesign& FrmAboutDesign();

} // namespace kumoden
