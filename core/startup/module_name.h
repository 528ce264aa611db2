// Finding the host program's name in its command line.
#ifndef ZELVAN_CORE_MODULE_NAME_H
#define ZELVAN_CORE_MODULE_NAME_H

#include <stddef.h>

// Room for a name of up to 355 characters plus ".exe" and the terminator.
enum { MODULE_NAME_CAPACITY = 360, MODULE_NAME_MAX = MODULE_NAME_CAPACITY - 5 };

// Copies the file name of the command line's first word into `name` (MODULE_NAME_CAPACITY
// bytes): the scan stops at the end or at the first space, and each '/', ':' or '\' starts
// the name afresh. Quotes are ordinary characters. A longer name is cut to MODULE_NAME_MAX
// characters so that ".exe" still fits; the result says whether it was cut.
bool extract_module_name(const char *command_line, char *name);

#endif
