// The shared library NUV: everything it holds comes from nuv_core; this file only names the module.
#include "nuv/nuv.h"
