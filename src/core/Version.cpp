#include "core/Version.h"

namespace plavo {

const char* PlavoVersion() {
  return PLAVO_VERSION;
}

}  // namespace plavo
