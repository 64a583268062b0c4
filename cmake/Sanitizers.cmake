# MIYOUTONG_SANITIZE=address,undefined or thread instruments the whole build.
set(MIYOUTONG_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(MIYOUTONG_SANITIZE)
    add_compile_options(-fsanitize=${MIYOUTONG_SANITIZE} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${MIYOUTONG_SANITIZE})
    if(MIYOUTONG_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
