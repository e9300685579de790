# Finds the real ImageMagick 6 executable and embeds its bytes as a resource.
# A wrapper script named `convert` may come first on PATH; only an ELF file will do.
set(QUORBEL_CONVERTER "" CACHE FILEPATH "ImageMagick 6 convert executable to embed")
if(NOT QUORBEL_CONVERTER)
    foreach(candidate /usr/bin/convert-im6.q16 /usr/bin/convert-im6.q16hdri /usr/bin/convert)
        if(EXISTS ${candidate})
            file(REAL_PATH ${candidate} resolved)
            file(READ ${resolved} magic LIMIT 4 HEX)
            if(magic STREQUAL "7f454c46")
                set(QUORBEL_CONVERTER ${resolved} CACHE FILEPATH "" FORCE)
                break()
            endif()
        endif()
    endforeach()
endif()
if(NOT QUORBEL_CONVERTER)
    message(FATAL_ERROR
        "ImageMagick 6 is missing: no executable /usr/bin/convert-im6.q16 was found.\n"
        "Install it with: apt-get install imagemagick (or run `make run`, which installs it).")
endif()
message(STATUS "Embedding converter: ${QUORBEL_CONVERTER}")

set(QUORBEL_CONVERTER_QRC ${CMAKE_BINARY_DIR}/converter.qrc)
file(WRITE ${QUORBEL_CONVERTER_QRC}.in
"<RCC><qresource prefix=\"/\"><file alias=\"converter\">${QUORBEL_CONVERTER}</file></qresource></RCC>\n")
configure_file(${QUORBEL_CONVERTER_QRC}.in ${QUORBEL_CONVERTER_QRC} COPYONLY)
