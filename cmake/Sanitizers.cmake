# MIYOUTONG_SANITIZE=address,undefined or thread instruments the whole build.
set(MIYOUTONG_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(MIYOUTONG_SANITIZE)
    add_compile_options(-fsanitize=${MIYOUTONG_SANITIZE} -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${MIYOUTONG_SANITIZE})
    # Reports need line tables; build types without debug information get just those.
    if(NOT CMAKE_BUILD_TYPE MATCHES "^(Debug|RelWithDebInfo)$")
        add_compile_options(-g1)
    endif()
    if(MIYOUTONG_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
