// The document of the design open in the designer: its names, today's date
// in the user's format and the report as the report window shows it.
#pragma once

#include "document/document.h"

namespace voltaris {

class TDesigner;

TDocument DesignerDocument(TDesigner& designer);

}  // namespace voltaris
