# zor_embed_version_resource(target [SOURCE file])
# Embeds the version resource text (default: VersionInfo.txt.in beside this file, with
# @PROJECT_VERSION@ filled in) into the target's ".zor_version" ELF section, where the About
# box reads it back from the executable file.
function(zor_embed_version_resource target)
    cmake_parse_arguments(V "" "SOURCE" "" ${ARGN})
    if(NOT V_SOURCE)
        set(V_SOURCE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionInfo.txt.in)
    endif()
    set(text ${CMAKE_CURRENT_BINARY_DIR}/${target}_VersionInfo.txt)
    configure_file(${V_SOURCE} ${text} @ONLY)
    file(READ ${text} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," ZOR_VERSION_BYTES "${hex}")
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}_VersionResource.cpp
        CONTENT "// Generated from ${V_SOURCE}: the version resource text, zero-terminated.
extern \"C\" __attribute__((section(\".zor_version\"), used))
const unsigned char zor_version_resource[] = {@ZOR_VERSION_BYTES@ 0x00};
" @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_VersionResource.cpp)
endfunction()
