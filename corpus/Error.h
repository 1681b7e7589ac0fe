#pragma once
// The error type lives in common/ so that every folder can use it; this name stays for the notes code.
#include "common/Error.h"
