// Host module name extraction.
#include "core/startup/module_name.h"

bool extract_module_name(const char *command_line, char *name) {
    size_t length = 0;
    bool cut = false;
    for (const char *p = command_line; p && *p && *p != ' '; ++p) {
        if (*p == '/' || *p == ':' || *p == '\\') {
            length = 0;
        } else if (length < MODULE_NAME_MAX) {
            name[length++] = *p;
            cut = false;
        } else {
            cut = true;
        }
    }
    name[length] = '\0';
    return cut;
}
