// Freeing all of GDI when the library is unloaded.
#ifndef ZELVAN_GDI_SHUTDOWN_H
#define ZELVAN_GDI_SHUTDOWN_H

// Frees every GDI object (stock ones too), the font engines with their FreeType faces, the
// FreeType library and the library's fontconfig configuration. Only at unload, when no
// thread can call into GDI any more; afterwards nothing in GDI may be used.
void gdi_shutdown(void);

#endif
