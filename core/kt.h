// The core utilities: results and failures, the formatter, type names, UUIDs.
#pragma once

#include "ktresult.h"
#include "ktuuid.h"
#include "objectname.h"
#include "ssprintf.h"
