// The last error, shared by the whole process.
#ifndef ZELVAN_CORE_RESULT_CODES_H
#define ZELVAN_CORE_RESULT_CODES_H

#include "zelvan.h"

void set_last_error(int code);

#endif
