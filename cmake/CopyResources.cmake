# Lays out the runnable program folder beside the program: run with
#   cmake -DSOURCE_DIR=<repository> -DBIN_DIR=<build>/bin -P CopyResources.cmake
# Folders that do not exist yet in the repository are skipped.

foreach(folder Templates Scripts Docs)
    if(IS_DIRECTORY "${SOURCE_DIR}/resources/${folder}")
        # file(COPY) only copies files whose time stamps differ, so this is cheap on every build.
        file(COPY "${SOURCE_DIR}/resources/${folder}" DESTINATION "${BIN_DIR}" USE_SOURCE_PERMISSIONS)
    endif()
endforeach()

file(MAKE_DIRECTORY "${BIN_DIR}/Data/Images")

# The demo collection is the user's data once the program has run on it: put it in place only when the
# program folder has none, never over a collection the program may have changed.
if(EXISTS "${SOURCE_DIR}/resources/demo/demo.tmk" AND NOT EXISTS "${BIN_DIR}/Data/demo.tmk")
    file(COPY "${SOURCE_DIR}/resources/demo/demo.tmk" DESTINATION "${BIN_DIR}/Data")
endif()
