#include "app/startup/main_procedure.h"

namespace vesk::app {

int Main(int, char**) { return 0; }

}  // namespace vesk::app
