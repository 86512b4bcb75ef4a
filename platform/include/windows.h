// The Win32-style API that the product is written against. Each part of the
// platform layer declares its calls in its own header under win/.
#pragma once

#include "win/base.h"
#include "win/errors.h"
#include "win/unknwn.h"
#if __has_include("win/kernel.h")
#include "win/kernel.h"
#endif
#if __has_include("win/version.h")
#include "win/version.h"
#endif
#if __has_include("win/user.h")
#include "win/user.h"
#endif
#if __has_include("win/gdi.h")
#include "win/gdi.h"
#endif
#if __has_include("objbase.h")
#include "objbase.h"
#endif
