# Warnings and sanitizers shared by every target of the project, applied through
# tonvera_compile_options(<target>) so third-party code is not affected.

add_library(tonvera_options INTERFACE)
target_compile_options(tonvera_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
    # Designated initializers that leave defaulted members out are intended.
    -Wno-missing-field-initializers)
if(TONVERA_WARNINGS_AS_ERRORS)
    target_compile_options(tonvera_options INTERFACE -Werror)
endif()

if(TONVERA_SANITIZER STREQUAL "address")
    set(_tonvera_sanitize -fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
elseif(TONVERA_SANITIZER STREQUAL "thread")
    set(_tonvera_sanitize -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT TONVERA_SANITIZER STREQUAL "")
    message(FATAL_ERROR "Unknown TONVERA_SANITIZER '${TONVERA_SANITIZER}'")
endif()
if(_tonvera_sanitize)
    target_compile_options(tonvera_options INTERFACE ${_tonvera_sanitize})
    target_link_options(tonvera_options INTERFACE ${_tonvera_sanitize})
endif()

function(tonvera_compile_options target)
    target_link_libraries(${target} PRIVATE tonvera_options)
endfunction()

# Fuzzing needs coverage instrumentation in the code under test, not only in the targets.
if(TONVERA_FUZZ)
    target_compile_options(tonvera_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
