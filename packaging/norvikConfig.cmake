# norvik: the hosts file editor module. Gives the imported target norvik::norvik: norvik.dll,
# its import library and the include folder (#include "norvik/NorvikApi.h"). Copy
# $<TARGET_FILE:norvik::norvik> beside the host's program.
include("${CMAKE_CURRENT_LIST_DIR}/norvikTargets.cmake")
