#include "model/work_counters.h"

namespace voltaris {

TWorkCounters WorkCounters;

}  // namespace voltaris
