// The Win32-style API that the product is written against. Each part of the
// platform layer declares its calls in its own header under win/.
#pragma once

#include "win/base.h"
#include "win/errors.h"
#include "win/unknwn.h"
#include "win/kernel.h"
#include "win/version.h"
#include "win/user.h"
#include "win/gdi.h"
#include "objbase.h"
