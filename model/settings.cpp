#include "model/settings.h"

namespace voltaris {

TSettings Settings;

}  // namespace voltaris
