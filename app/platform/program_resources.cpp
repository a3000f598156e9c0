#include "app/platform/program_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterResources() { Q_INIT_RESOURCE(quillwen); }

void EnsureProgramResources() {
  static const bool registered = (RegisterResources(), true);
  (void)registered;
}
