# The class folders under src/, one per class group: the build (CMakeLists.txt) compiles them as
# the classes layer and the layer check (layers.cmake) ranks them there.
set(ZOR_CLASS_DIRS textfile various web system crypt media settings dialogs tables bitmap)
