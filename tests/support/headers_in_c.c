/* Host authors may write C: the public headers must compile as C and give the same layout. */
#include <stddef.h>

#include "kelnf.h"
#include "orbkit.h"

_Static_assert(sizeof(StartArgs) == 28, "StartArgs");
_Static_assert(sizeof(ReconfigureArgs) == 24, "ReconfigureArgs");
_Static_assert(offsetof(TagAddress, status) == 16, "TagAddress");
_Static_assert(offsetof(TagAccess, value) == 40, "TagAccess");
_Static_assert(offsetof(DriverRequest, args) == (sizeof(void *) == 4 ? 16 : 24), "DriverRequest");
_Static_assert(KEL_OP_DESCRIBE == 14 && KEL_TAG_REGISTER_G == 71, "codes");
