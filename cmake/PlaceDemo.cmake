# Puts the built demo collection into the program folder: run with
#   cmake -DSOURCE=<demo-books.json> -DBUILT=<built demo.tmk> -DTARGET=<bin>/Data/demo.tmk -P PlaceDemo.cmake
# The demo collection is the user's data once the program has run on it: it is replaced only when there is
# none or when its source changed after it was put there, never just because the build ran again.

if(NOT EXISTS "${TARGET}" OR "${SOURCE}" IS_NEWER_THAN "${TARGET}")
    get_filename_component(target_dir "${TARGET}" DIRECTORY)
    file(MAKE_DIRECTORY "${target_dir}")
    file(COPY_FILE "${BUILT}" "${TARGET}")
    message(STATUS "Demo collection: ${TARGET}")
endif()
