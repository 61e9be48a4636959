// Compiled with the include roots of one floor only: includes PLAVO_PROBE_HEADER, which the
// build names. A header of a higher floor must not be found (see tests/CMakeLists.txt).
#include PLAVO_PROBE_HEADER
