# ctest reads this before it lists or runs any test of the project: the desktop's displays are
# taken out of its own environment, so that no test, nor the listing of a test program's tests
# (which loads the library), reaches them, inside an X11 or a Wayland session alike. The
# headless tests need the headless screen; the X11 and Wayland tests start servers of their own.
foreach(name DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET ZELVAN_DISPLAY)
  unset(ENV{${name}})
endforeach()
