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

# The demo collection is built from its source and put in place by PlaceDemo.cmake.
