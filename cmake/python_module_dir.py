"""Prints the folder where the Python of an install prefix looks for modules.

Debian's interpreter reads /usr/lib/python3/dist-packages and
/usr/local/lib/python3.X/dist-packages (its own schemes for those two prefixes); any other
prefix gets the interpreter's plain scheme, <prefix>/lib/python3.X/site-packages.
"""

import os
import sys
import sysconfig

prefix = os.path.normpath(os.path.abspath(sys.argv[1]))
schemes = sysconfig.get_scheme_names()
base = prefix
if prefix == "/usr" and "deb_system" in schemes:
    scheme = "deb_system"
elif prefix == "/usr/local" and "posix_local" in schemes:
    scheme, base = "posix_local", "/usr"  # that scheme adds the local/ itself
else:
    scheme = "nt" if os.name == "nt" else "posix_prefix"
names = {"base": base, "platbase": base, "installed_base": base, "installed_platbase": base}
print(sysconfig.get_path("purelib", scheme, names))
