#pragma once
// The one error header is common/Error.h; this path stays for code written against it before.
#include "common/Error.h"
