// The headless screen's test entry points (headless_helpers.h) where there is one, and nothing
// on Windows: a public-API test file includes this and stays in Zelvan.dll's suite, with the
// cases that need the headless screen inside #ifndef _WIN32.
#ifndef ZELVAN_TESTS_HEADLESS_ON_POSIX_H
#define ZELVAN_TESTS_HEADLESS_ON_POSIX_H

#ifndef _WIN32
#include "headless_helpers.h"
#endif

#endif
